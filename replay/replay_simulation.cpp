// replay_simulation.cpp - see replay_simulation.h.
#include "replay/replay_simulation.h"

#include <cstring>

#include "base/crt_random.h"
#include "sound/sound.h"

ReplaySimulation::ReplaySimulation(const Replay& r, bool withSound) : replay(r)
{
    if (withSound)
        rules.sound.load();
    crtSeed(replay.header.levelSeed);
    rules.buildLevel();
}

double ReplaySimulation::step()
{
    const ReplayFrame& record = replay.frames[next++];
    fading = fading || record.fadeStarts;
    if (record.paused) {
        // The game stands still; the shell's clock runs on once the fade has begun.
        if (fading)
            demoTime += record.delta;
        return 0.0;
    }
    // The sound holds through a pause, as the game holds it (heard only where
    // a device is open or the calls are logged).
    if (pausing) {
        pauseSound(false);
        pausing = false;
    }
    applyReplayFrame(record, inputs);
    demoTime += record.delta;
    const ReplaySettings& s = replay.header.settings;
    const double gameDelta = rules.step(record.delta, controlsFromFrameInputs(inputs, s.windowWidth, s.windowHeight));
    if (record.pauseBegins) {
        pauseSound(true);
        pausing = true;
    }
    return gameDelta;
}

ReplayRunState ReplaySimulation::state() const { return stateOfRules(rules, static_cast<uint32_t>(next), demoTime); }

ReplayRunState stateOfRules(const GameRules& rules, uint32_t frames, double demoTime)
{
    ReplayRunState s;
    s.frames = frames;
    s.demoTime = demoTime;
    s.gameTime = rules.time;
    s.score = rules.score;
    s.life = rules.life;
    s.levelsCompleted = static_cast<uint32_t>(rules.levelsCompleted);
    s.levelsLost = static_cast<uint32_t>(rules.levelsLost);
    return s;
}

void closeWithTrailer(Replay& replay, ReplayEnding ending)
{
    ReplaySimulation simulation(replay);
    while (!simulation.done())
        simulation.step();
    replay.complete = true;
    replay.trailer = {simulation.state(), ending};
}

bool trailerAgrees(const ReplayTrailer& t, const ReplayRunState& s)
{
    auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    return t.frames == s.frames && same(t.demoTime, s.demoTime) && same(t.gameTime, s.gameTime) &&
           same(t.score, s.score) && same(t.life, s.life) && t.levelsCompleted == s.levelsCompleted &&
           t.levelsLost == s.levelsLost;
}
