// fatal_exit.h - the one way a message ends the program once the game window
// may exist.
//
// A missing or broken picture, a missing shader file or font, a window that
// cannot be set up: each runs the cleanup hook first (the window installs
// killGLWindow there, which gives the desktop back its display mode and
// cursor), so that the message is never hidden behind a full-screen window
// and the desktop is never left at the game's resolution. With no hook, only
// the message is shown.
#pragma once

#include <string>

#include "platform/platform.h"

// Releases what the program holds on the desktop; null until a layer above
// installs one.
using FatalCleanup = void (*)();
extern FatalCleanup fatalCleanup;

// Runs the cleanup hook, then shows the message.
void showFatalMessage(const std::string& text, const std::string& caption, platform::MessageIcon icon);
// The same, then ends the program with exit code 0.
[[noreturn]] void fatalExit(const std::string& text, const std::string& caption, platform::MessageIcon icon);
