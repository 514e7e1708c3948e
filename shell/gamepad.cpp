#include "shell/gamepad.h"

#include <algorithm>
#include <cmath>

#include "game/game_rules.h"
#include "platform/user_paths.h"
#include "settings/display_settings.h"

GamepadInput gamepad;

double withoutDeadZone(double axis)
{
    const double magnitude = std::min(std::fabs(axis), 1.0);
    if (magnitude <= STICK_DEAD_ZONE)
        return 0.0;
    return std::copysign((magnitude - STICK_DEAD_ZONE) / (1.0 - STICK_DEAD_ZONE), axis);
}

// Full travel toward `low` or `high` (inclusive pixels) from the neutral place.
static int alongAxis(double stick, int low, int high, int neutral)
{
    neutral = std::clamp(neutral, low, high);
    stick = std::clamp(stick, -1.0, 1.0);
    const double reach = stick < 0.0 ? neutral - low : high - neutral;
    return static_cast<int>(std::lround(neutral + stick * reach));
}

void stickCursor(double stickX, double stickY, const ScreenRect& window, int& cursorX, int& cursorY)
{
    const int right = window.x + std::max(window.width, 1) - 1;
    const int bottom = window.y + std::max(window.height, 1) - 1;
    cursorX = alongAxis(stickX, window.x, right, NEUTRAL_CURSOR_X);
    cursorY = alongAxis(stickY, window.y, bottom, NEUTRAL_CURSOR_Y);
}

void startGamepads()
{
    const std::string config = configDirectory();
    if (platform::initGamepads(config.empty() ? "" : config + "gamecontrollerdb.txt"))
        onContactDrain = rumbleOnContact;
}

PadAction applyGamepadEvent(const platform::Event& event)
{
    using platform::EventType;
    using platform::PadButton;
    if (event.type == EventType::PadRemoved) {
        // Whatever the pad held is let go; the mouse steers again.
        const double lastRumble = gamepad.lastRumble;
        gamepad = GamepadInput{};
        gamepad.lastRumble = lastRumble;
        return PadAction::None;
    }
    const bool down = event.type == EventType::PadButtonDown;
    if (!down && event.type != EventType::PadButtonUp)
        return PadAction::None;
    switch (event.padButton) {
    case PadButton::A: gamepad.a = down; break;
    case PadButton::B: gamepad.b = down; break;
    case PadButton::LeftTrigger: gamepad.leftTrigger = down; break;
    case PadButton::RightTrigger: gamepad.rightTrigger = down; break;
    case PadButton::Back: return down ? PadAction::Escape : PadAction::None;
    case PadButton::Start: return down ? PadAction::Pause : PadAction::None;
    case PadButton::None: break;
    }
    return PadAction::None;
}

void steerWithGamepad(int& cursorX, int& cursorY)
{
    const bool mouseMoved = gamepad.seenCursor && (cursorX != gamepad.cursorX || cursorY != gamepad.cursorY);
    gamepad.seenCursor = true;
    gamepad.cursorX = cursorX;
    gamepad.cursorY = cursorY;
    if (mouseMoved)
        gamepad.steering = false;

    double x = 0.0;
    double y = 0.0;
    if (!platform::gamepadStick(x, y)) {
        gamepad.steering = false;
        return;
    }
    x = withoutDeadZone(x);
    y = withoutDeadZone(y);
    if (std::fabs(x - gamepad.stickX) > STICK_TAKEOVER || std::fabs(y - gamepad.stickY) > STICK_TAKEOVER)
        gamepad.steering = true;
    gamepad.stickX = x;
    gamepad.stickY = y;
    if (!gamepad.steering)
        return;

    ScreenRect window{0, 0, windowWidth, windowHeight};
    platform::windowBounds(window.x, window.y, window.width, window.height);
    stickCursor(x, y, window, cursorX, cursorY);
}

void rumbleOnContact()
{
    const double now =
        static_cast<double>(platform::performanceCounter()) / static_cast<double>(platform::performanceFrequency());
    if (gamepad.lastRumble >= 0.0 && now - gamepad.lastRumble < CONTACT_RUMBLE_RENEW_SECONDS)
        return;
    gamepad.lastRumble = now;
    platform::rumbleGamepad(CONTACT_RUMBLE_STRENGTH, CONTACT_RUMBLE_MS);
}
