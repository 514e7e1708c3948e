// game_capture.h - plays the game part at a fixed frame step with scripted
// input and leaves chosen frames in the window's back buffer.
//
// Frames far from a requested time run headless (GameRules::step makes the
// same random draws as a drawn frame), so a capture at 200 s costs a few drawn
// frames, not 12000. The last `drawnFrames` frames before each request are
// drawn in full.
#pragma once

#include <cstdint>
#include <vector>

#include "base/frame_inputs.h"
#include "game/capture_script.h"
#include "game/part_game.h"

// Sets the display globals (the window stays 1280x720 for the mouse scale, so
// a script steers the same at every render size) and sets up as the game does
// (setUpRenderer: GL state, Renderer, render targets, both parts, font) on
// the current GL context, a window of the render size. The game part is then
// gamePart.
void prepareCaptureRenderer(int32_t renderW, int32_t renderH);

class GameCapture {
public:
    part_game* game = nullptr;  // initialised by the caller
    CaptureScript script;
    double frameStep = 1.0 / 60.0;  // frame-clock seconds per frame
    int drawnFrames = 3;
    double clock = 0.0;  // game seconds played, across level restarts
    long framesRun = 0;
    long framesDrawn = 0;
    FrameInputs inputs;

    // Plays until the clock reaches t (at least one frame); the last frame is drawn.
    void runUntil(double t);
    // One frame, drawn or headless.
    void runFrame(bool drawIt);
};

// The window's back buffer (bottom row first, RGBA).
std::vector<uint8_t> readWindowPixels(int32_t w, int32_t h);
