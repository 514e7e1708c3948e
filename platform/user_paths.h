// user_paths.h - where the game keeps a player's files, after the XDG base
// directory rules: settings under $XDG_CONFIG_HOME (default ~/.config), the
// last run's replay under $XDG_STATE_HOME (default ~/.local/state).
#pragma once

#include <string>

// "<config home>/glasswake/" or "" when neither the variable nor HOME is usable.
std::string configDirectory();
// "<state home>/glasswake/" or "".
std::string stateDirectory();
// Creates the folder and its parents (mode 0700 for new ones); true when it exists afterwards.
bool makeDirectories(const std::string& path);
