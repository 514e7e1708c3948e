// platform_sdl_gamepad.cpp - pads through SDL2's game-controller layer: its
// controller database maps every known pad onto one button layout, and
// pads come and go while the game runs.
#include "platform/platform_sdl_gamepad.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/file_bytes.h"

namespace platform {

namespace {

struct OpenPad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    bool leftTrigger = false;   // held, as far as the events told
    bool rightTrigger = false;
};

std::vector<OpenPad> g_pads;
SDL_JoystickID g_lastUsed = -1;

// A trigger is a button once half way down, and let go below a quarter,
// so a resting finger does not make it flicker.
constexpr int TRIGGER_PRESS = 16384;
constexpr int TRIGGER_RELEASE = 8192;
// Stick travel that counts as using a pad (SDL's suggested dead zone).
constexpr int STICK_USE = 8000;

OpenPad* findPad(SDL_JoystickID id)
{
    for (OpenPad& pad : g_pads)
        if (pad.id == id)
            return &pad;
    return nullptr;
}

OpenPad* lastUsedPad()
{
    if (OpenPad* pad = findPad(g_lastUsed))
        return pad;
    return g_pads.empty() ? nullptr : &g_pads.front();
}

void openPad(int deviceIndex)
{
    if (!SDL_IsGameController(deviceIndex))
        return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0 || findPad(id))
        return;
    if (SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex)) {
        g_pads.push_back({controller, id});
        g_lastUsed = id;
    }
}

bool closePad(SDL_JoystickID id)
{
    const auto it = std::find_if(g_pads.begin(), g_pads.end(), [id](const OpenPad& p) { return p.id == id; });
    if (it == g_pads.end())
        return false;
    SDL_GameControllerClose(it->controller);
    g_pads.erase(it);
    return true;
}

PadButton buttonOf(Uint8 button)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return PadButton::A;
    case SDL_CONTROLLER_BUTTON_B: return PadButton::B;
    case SDL_CONTROLLER_BUTTON_BACK: return PadButton::Back;
    case SDL_CONTROLLER_BUTTON_START: return PadButton::Start;
    default: return PadButton::None;
    }
}

// Turns a trigger's travel into press and release events.
bool triggerEvent(OpenPad& pad, bool left, int value, Event& out)
{
    bool& held = left ? pad.leftTrigger : pad.rightTrigger;
    const bool now = held ? value > TRIGGER_RELEASE : value >= TRIGGER_PRESS;
    if (now == held)
        return false;
    held = now;
    out.type = now ? EventType::PadButtonDown : EventType::PadButtonUp;
    out.padButton = left ? PadButton::LeftTrigger : PadButton::RightTrigger;
    return true;
}

}  // namespace

bool initGamepads(const std::string& extraMappingsFile)
{
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return false;
    if (std::FILE* f = extraMappingsFile.empty() ? nullptr : openRegularFileStream(extraMappingsFile.c_str()))
        SDL_GameControllerAddMappingsFromRW(SDL_RWFromFP(f, SDL_TRUE), 1);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        openPad(i);
    return true;
}

bool gamepadStick(double& x, double& y)
{
    const OpenPad* pad = lastUsedPad();
    if (!pad)
        return false;
    auto axis = [pad](SDL_GameControllerAxis which) {
        return std::clamp(SDL_GameControllerGetAxis(pad->controller, which) / 32767.0, -1.0, 1.0);
    };
    x = axis(SDL_CONTROLLER_AXIS_LEFTX);
    y = axis(SDL_CONTROLLER_AXIS_LEFTY);
    return true;
}

bool rumbleGamepad(double strength, int milliseconds)
{
    const OpenPad* pad = lastUsedPad();
    if (!pad)
        return false;
    const auto level = static_cast<Uint16>(std::clamp(strength, 0.0, 1.0) * 0xFFFF);
    return SDL_GameControllerRumble(pad->controller, level, level, static_cast<Uint32>(std::max(milliseconds, 0))) == 0;
}

namespace sdl {

bool translateGamepadEvent(const SDL_Event& e, Event& out)
{
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
        openPad(e.cdevice.which);  // a device index here
        out = Event{};
        return true;
    case SDL_CONTROLLERDEVICEREMOVED:
        out = Event{};
        if (closePad(e.cdevice.which))  // an instance id here
            out.type = EventType::PadRemoved;
        return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        out = Event{};
        g_lastUsed = e.cbutton.which;
        out.padButton = buttonOf(e.cbutton.button);
        if (out.padButton != PadButton::None)
            out.type = e.type == SDL_CONTROLLERBUTTONDOWN ? EventType::PadButtonDown : EventType::PadButtonUp;
        return true;
    case SDL_CONTROLLERAXISMOTION: {
        out = Event{};
        OpenPad* pad = findPad(e.caxis.which);
        if (!pad)
            return true;
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || e.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT) {
            if (triggerEvent(*pad, e.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT, e.caxis.value, out))
                g_lastUsed = pad->id;
        } else if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX || e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
            if (e.caxis.value > STICK_USE || e.caxis.value < -STICK_USE)
                g_lastUsed = pad->id;
        }
        return true;
    }
    default:
        return false;
    }
}

}  // namespace sdl

}  // namespace platform
