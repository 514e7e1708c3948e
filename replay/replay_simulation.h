// replay_simulation.h - a recorded run played again with the rules only.
//
// The first level is laid out from the generator state the header recorded,
// then every frame feeds its delta and inputs to GameRules::step, which makes
// the same random draws as a drawn frame, so the rules reach the state the
// live game reached, frame by frame. Passes of the pause leave the rules
// alone. The shell's clock sums the deltas as the frame loop sums them: the
// frames', and the pause's once the exit fade has begun.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/frame_inputs.h"
#include "game/game_rules.h"
#include "replay/replay_file.h"

class ReplaySimulation {
public:
    // `withSound`: the game's sound set-up runs first (FSOUND calls), as the
    // game part's initialise does; leave it off where no sound is wanted.
    explicit ReplaySimulation(const Replay& replay, bool withSound = false);

    bool done() const { return next >= replay.frames.size(); }
    // Runs the next record; returns its game delta (0 for a pass of the pause).
    double step();
    ReplayRunState state() const;

    const Replay& replay;
    GameRules rules;
    FrameInputs inputs;
    size_t next = 0;
    double demoTime = 0.0;
    bool fading = false;  // the exit fade has begun
    bool pausing = false;  // the last frame began the pause, and no frame has ended it
};

// The rules' state after the run, as the trailer stores it.
ReplayRunState stateOfRules(const GameRules& rules, uint32_t frames, double demoTime);
// True when every value equals the trailer's, bit for bit.
bool trailerAgrees(const ReplayTrailer& trailer, const ReplayRunState& state);
// Ends a replay made by hand (tests, benchmarks) as the game ends a run: the
// trailer holds the state the rules reach.
void closeWithTrailer(Replay& replay, ReplayEnding ending);
