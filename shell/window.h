// window.h - the process entry point, the one top-level window with its GL
// context, the window procedure and the non-blocking message loop.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Raw input state, copied into FrameInputs by the frame loop.
extern bool active;          // false while the window is minimised
extern bool keys[256];       // by Windows virtual-key code
extern bool leftButton;
extern bool rightButton;
extern double wheel;         // 0.2 per wheel notch
extern bool escapePressed;   // Escape went down since the last idle pass

constexpr int VK_ESCAPE_KEY = 27;
constexpr int VK_LEFT_KEY = 37;
constexpr int VK_UP_KEY = 38;
constexpr int VK_RIGHT_KEY = 39;
constexpr int VK_DOWN_KEY = 40;
constexpr int VK_PAUSE_KEY = 'P';  // pauses and resumes the game

extern const char* const WINDOW_TITLE;

bool createGLWindow(const char* title, int32_t width, int32_t height, int32_t bits, bool fullscreenFlag);
// Releases whatever exists; safe on a half-built window.
void killGLWindow();
// Viewport and the default 45-degree projection.
void resizeGLScene(int32_t width, int32_t height);
// Default GL state, then initDemo.
bool initGL();
// Everything the game draws with, on the current GL context of a window of
// width x height: viewport and projection, the effect context, initGL (the
// default state, the Renderer, render targets, the parts) and the outline
// font. The game's window and every tool that renders the game (the capture
// tool, the video export, the benchmarks) set up through here.
bool setUpRenderer(int32_t width, int32_t height);
// The window procedure: applies one event to the input state.
void windowProc(const platform::Event& event);
// Begins the exit fade when Escape is held; holding it longer changes nothing.
void startExitFadeOnEscape();
// One pass with no message pending: the frame (or the pause) while the
// window is active, Escape's fade, then the swap.
void messageLoopPass();
// Runs until the quit message arrives (returns its code) or the exit fade
// has reached black (returns 0).
int runMessageLoop();
// The end of a run: the replay's trailer, the exit report, after the exit
// fade the camera markers onto the clipboard, and killGLWindow.
void endRun();
// The message loop, then endRun. A closed window, the exit fade, SIGINT,
// SIGTERM and SIGHUP all end this way. Returns the exit code.
int runUntilQuit();

// The program: command line, settings dialog, window, loop, teardown.
// Returns the exit code (2 for a usage error).
int glasswakeMain(int argc, const char* const* argv);
