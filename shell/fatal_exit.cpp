// fatal_exit.cpp - the one way a message ends the program.
#include "shell/fatal_exit.h"

#include <cstdlib>

#include "shell/window.h"

void showFatalMessage(const std::string& text, const std::string& caption, platform::MessageIcon icon)
{
    killGLWindow();
    platform::messageBox(text, caption, icon);
}

void fatalExit(const std::string& text, const std::string& caption, platform::MessageIcon icon)
{
    showFatalMessage(text, caption, icon);
    std::exit(0);
}
