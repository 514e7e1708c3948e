// pause.h - the player's pause (P, or a pad's Start).
//
// While paused the game part is not drawn at all, so no game time passes, no
// rule runs and no random number is drawn; the music and the cues hold where
// they are. The last frame stays on screen with "Paused" over it in the
// outline font. Resuming takes the frame clock up where it stood, so the
// course goes on without a jump. Escape still fades out and ends the game
// while paused; minimising while paused keeps the pause.
#pragma once

struct PauseState {
    bool paused = false;
    bool toggleRequested = false;  // P or Start since the last pass
    bool beginning = false;        // the frame being drawn is the last before the pause
    double seconds = 0.0;          // wall time spent paused in this run
};
extern PauseState pauseState;

// P or Start: the pause begins or ends at the next pass of the message loop.
void requestPauseToggle();
// One pass of the message loop while the window is active: drawFrame, or
// while paused the held frame (and the exit fade once Escape was pressed).
// A replay's playback plays its next record instead.
void drawFrameOrPause();

// The clock and sound side, without drawing.
void holdFrameClock();     // the pause begins after this pass's frame
double pausedClockPass();  // a paused pass: the frame clock moves on, game time does not; its delta
void releaseFrameClock();  // the next frame's delta starts now

// The drawing side: keeps the window's back buffer as the held frame, and
// draws it again with "Paused" over it.
void captureHeldFrame();
void drawHeldFrame();
