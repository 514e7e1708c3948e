// replay_session.h - this run's replay: recorded, or played back.
//
// Every run of the game is recorded, to the file --record names or else to
// last.gwreplay in the player's state folder. --replay FILE plays a recorded
// run back instead, and records nothing: the recorded settings without the
// dialog, the recorded frame deltas paced in real time, the recorded inputs
// in place of the live ones, the exit fade where the run began it. Escape
// still leaves at any time. The shell calls these hooks at fixed places;
// nothing else in the game knows about replays.
#pragma once

#include "shell/frame_inputs.h"
#include "shell/replay_file.h"

// Before the window, while relative paths still mean the user's folder.
// Playback: reads the file, checks it against this game and its assets and
// takes its settings. Returns -1 to go on, or the exit code after a message
// box has said why the replay cannot be played.
int prepareReplaySession();
bool replayPlaybackActive();
// The recorded settings become the display settings (instead of the dialog).
void applyReplaySettings();

// initDemo, once the parts exist and before the clock starts. Recording:
// the header goes out. Playback: the first level is the recorded one.
void replayAfterParts();
// drawFrame: false when a playback has no frame left; the run then ends as
// if the window had been closed.
bool replayHasFrame();
// drawFrame, with the measured delta: playback waits for the recorded frame's
// time, begins the exit fade where the run began it, and returns the recorded
// delta; recording returns the measured one.
double replayFrameDelta(double measured);
// drawFrame, right before the game part's draw. Recording appends the frame
// (delta and inputs as the game receives them); playback puts the recorded
// inputs in.
void replayAtDraw(double delta, FrameInputs& inputs);
// At a normal end: the trailer with the state the game reached.
void replayRunEnded(ReplayEnding how);
