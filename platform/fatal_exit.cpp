// fatal_exit.cpp - the one way a message ends the program.
#include "platform/fatal_exit.h"

#include <cstdlib>

FatalCleanup fatalCleanup = nullptr;

void showFatalMessage(const std::string& text, const std::string& caption, platform::MessageIcon icon)
{
    if (fatalCleanup)
        fatalCleanup();
    platform::messageBox(text, caption, icon);
}

void fatalExit(const std::string& text, const std::string& caption, platform::MessageIcon icon)
{
    showFatalMessage(text, caption, icon);
    std::exit(0);
}
