// platform_sdl_gamepad.h - the SDL side of the pads, shared by the event
// loop and the settings dialog of the SDL platform layer (not part of the
// platform interface).
#pragma once

#include <SDL2/SDL.h>

#include "platform/platform.h"

namespace platform::sdl {

// Translates a game-controller event (and keeps the open pads in step with
// hot plug). False when `e` is no pad event; `out` is then untouched.
bool translateGamepadEvent(const SDL_Event& e, Event& out);

}  // namespace platform::sdl
