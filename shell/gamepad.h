// gamepad.h - a pad plays the game the way the designed mouse does.
//
// The left stick stands for the cursor: full left and right reach the game
// window's edges, full up and down its top and bottom, and the centred stick
// is the cursor's neutral place (screen pixel 400, 300, where both mouse
// values are zero). The rules therefore see exactly the inputs a mouse at
// that place would give. A and either trigger are the left button, B the
// right button, Back is Escape and Start pauses. Whichever moved last, the
// stick or the mouse, places the cursor.
#pragma once

#include "platform/platform.h"

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

constexpr int NEUTRAL_CURSOR_X = 400;
constexpr int NEUTRAL_CURSOR_Y = 300;
// SDL's suggested dead zone of a stick, as a fraction of full travel.
constexpr double STICK_DEAD_ZONE = 8000.0 / 32767.0;
// Stick travel between two frames that hands the cursor back to the stick.
constexpr double STICK_TAKEOVER = 0.02;
// Contact rumble: strength, length, and how often it is renewed while contact lasts.
constexpr double CONTACT_RUMBLE_STRENGTH = 0.6;
constexpr int CONTACT_RUMBLE_MS = 150;
constexpr double CONTACT_RUMBLE_RENEW_SECONDS = 0.05;

// 0 inside the dead zone, then rising linearly to -1 or 1 at full travel.
double withoutDeadZone(double axis);
// The screen pixel the stick (after the dead zone) stands for in `window`.
void stickCursor(double stickX, double stickY, const ScreenRect& window, int& cursorX, int& cursorY);

// What the pads hold, as far as the events told the shell.
struct GamepadInput {
    bool a = false;
    bool b = false;
    bool leftTrigger = false;
    bool rightTrigger = false;
    bool steering = false;     // the stick places the cursor until the mouse moves
    bool seenCursor = false;   // the real cursor of the last frame
    int cursorX = 0;
    int cursorY = 0;
    double stickX = 0.0;       // the stick of the last frame, after the dead zone
    double stickY = 0.0;
    double lastRumble = -1.0;  // counter seconds of the last contact rumble

    bool fireHeld() const { return a || leftTrigger || rightTrigger; }
    bool rightHeld() const { return b; }
};

extern GamepadInput gamepad;

// What a pad event stands for beyond the buttons it holds.
enum class PadAction { None, Escape, Pause };

// Starts the pads (with the player's extra mappings from the config folder)
// and the game's contact rumble. Without a controller layer nothing changes.
void startGamepads();
// Applies a PadButtonDown, PadButtonUp or PadRemoved event to `gamepad`.
PadAction applyGamepadEvent(const platform::Event& event);
// drawFrame: while the stick steers, the cursor is where the stick points.
void steerWithGamepad(int& cursorX, int& cursorY);
// The game's contact hook: rumbles the pad, renewed at most every 50 ms.
void rumbleOnContact();
