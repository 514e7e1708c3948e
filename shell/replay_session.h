// replay_session.h - this run's replay: recorded, or played back.
//
// Every run of the game is recorded, to the file --record names or else to
// last.gwreplay in the player's state folder: each pass of the frame loop
// that draws (a frame of the game, or a pass of the pause). --replay FILE
// plays a recorded run back instead, and records nothing: the recorded
// settings without the dialog, the records paced in real time by their
// deltas, the recorded inputs in place of the live ones, the pause and the
// exit fade where the run had them. Escape still leaves at any time. The
// shell calls these hooks at fixed places; nothing else in the game knows
// about replays. The capture tool plays a replay through the same passes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/frame_inputs.h"
#include "replay/replay_file.h"

// Before the window, while relative paths still mean the user's folder.
// Playback: reads the file, checks it against this game and its assets and
// takes its settings. Returns -1 to go on, or the exit code after a message
// box has said why the replay cannot be played.
int prepareReplaySession();
// Plays `replay` (already read and checked) from its first record; `paced`
// waits each record's delta in real time, as the game does.
void startReplayPlayback(const Replay& replay, bool paced);
bool replayPlaybackActive();
// The recorded settings become the display settings (instead of the dialog).
void applyReplaySettings();

// initDemo, once the parts exist and before the clock starts. Recording:
// the header goes out. Playback: the first level is the recorded one.
void replayAfterParts();
// Playback: false once every record has been played; the run then ends as
// if the window had been closed.
bool replayHasFrame();
// Playback: plays the next record as the pass that recorded it played: a
// frame of the game (`draw` false: the rules alone, nothing drawn) with the
// pause beginning after it where it did, or a pass of the pause.
void replayPlaybackPass(bool draw = true);
// Records played so far (the number of the last one, counting from 1).
size_t replayRecordsPlayed();

// drawFrame, with the measured delta: playback returns the recorded delta;
// recording returns the measured one.
double replayFrameDelta(double measured);
// drawFrame, right before the game part's draw. Recording appends the frame
// (delta and inputs as the game receives them); playback puts the recorded
// inputs in.
void replayAtDraw(double delta, FrameInputs& inputs);
// Recording: a pass of the pause, with its delta.
void replayPausedPass(double delta);
// After each pass's drawing, before the swap: with GLASSWAKE_DUMP_FRAME=N:FILE
// set (several N:FILE apart by commas), a playback writes the picture of
// record N (counting from 1; at the render size) to FILE.
void replayAfterPass();
// At a normal end: the trailer with the state the game reached.
void replayRunEnded(ReplayEnding how);
// At the end of a playback that played every record of a complete replay:
// 0 when the game reached the state the recorded run stored, else 1 after
// saying so (a replay never plays as another run without a word).
int replayPlaybackVerdict();

struct FrameDump {
    size_t frame = 0;
    std::string path;
};
// The "N:FILE[,N:FILE...]" of GLASSWAKE_DUMP_FRAME; false when it is not of that form.
bool parseDumpFrames(const std::string& text, std::vector<FrameDump>& dumps);
