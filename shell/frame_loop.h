// frame_loop.h - start-up of the production and the per-frame driver.
//
// initDemo prepares the Renderer, creates the parts and starts the clock;
// drawFrame measures the frame delta, fills FrameInputs, draws the game part
// and, once Escape has been pressed, fades to black; when the picture is
// black the run is over (exitFadeDone) and the message loop ends it.
#pragma once

#include <cstdint>
#include <vector>

#include "base/frame_inputs.h"
#include "game/parts.h"

// Stopwatch on the high-resolution performance counter.
struct FrameTimer {
    int64_t lastCount = 0;
    double elapsed = 0.0;  // seconds since reset
    // The counter source; tests replace them.
    int64_t (*counter)() = nullptr;
    int64_t (*frequency)() = nullptr;

    void reset();
    double read();
};

constexpr double FADE_RATE = 101.8;  // per second

extern double demoTime;
extern double frameDelta;
extern bool ending;
extern double endStart;

// The loop's own state, beside the globals above that the game knows by name.
struct FrameLoop {
    double previousRead = 0.0;  // the timer's reading at the last frame delta
    bool exitFadeDone = false;  // the exit fade reached black: the run ends after this pass
    // Tests drive the loop without a display: the game part's rules run,
    // nothing is drawn and nothing waits.
    bool headless = false;
    FrameTimer timer;
    FrameInputs inputs;
    // The two parts and the start-up inputs record, alive for the whole run.
    parts* loaderPart = nullptr;
    parts* gamePart = nullptr;
    FrameInputs* startupInputs = nullptr;
};
extern FrameLoop frameLoop;

class part_game;
// The game part as its own type, or null: the one place that knows what
// gamePart is (parts offers only draw and init, and no virtual destructor).
part_game* runningGame();

void initDemo();
// One frame; `draw` false runs the game part's rules alone (nothing drawn).
void drawFrame(bool draw = true);

// Delta since the previous measurement (never negative, at most
// REPLAY_MAX_DELTA); advances previousRead.
double measureFrameDelta();
// Screen cursor position to the inputs' mouse values.
double mouseXFromCursor(int cursorX);
double mouseYFromCursor(int cursorY);
// Fade level (0 clear ... 1 black) and FrameInputs values[10], t seconds after Escape.
double exitFadeLevel(double t);
double exitFadeValue10(double t);
// Darkens the frame by the fade level (`draw` false: the level alone); once
// it is black the run is over (exitFadeDone).
void drawExitFade(bool draw = true);
// The picture the window shows, (0, 0) to (width, height) of its back buffer:
// RGBA, bottom row first.
std::vector<uint8_t> readWindowPicture(int32_t width, int32_t height);
// Render targets 0 (the scene; 4 samples when antialiased), 1 (quarter size), 2 (half size).
void createRenderTargets(int32_t width, int32_t height, bool multisampled);
// Creates the loader and game parts in their fixed order (inside initDemo).
void createParts();
// Releases both parts and the start-up inputs (tools and tests that set up
// more than once; the game keeps its parts to the end).
void destroyParts();
