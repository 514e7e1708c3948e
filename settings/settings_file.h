// settings_file.h - the settings dialog's choices, remembered between runs.
//
// The file is $XDG_CONFIG_HOME/glasswake/settings.ini (by default
// ~/.config/glasswake/settings.ini):
//
//   [glasswake-settings 1]
//   width=1280
//   height=720
//   depth=24
//   windowed=0
//   antialiased=1
//   force-16-9=1
//   show-fps=0
//
// The first line names the format and its version; every key must be there
// but show-fps, which files written before it lack.
// Blank lines and lines starting with '#' or ';' are skipped, unknown keys
// ignored. It is written whole to a temporary file beside it, then renamed
// over it, so a crash never leaves half a file behind.
#pragma once

#include <string>

inline constexpr const char* SETTINGS_MAGIC = "[glasswake-settings 1]";
// A settings file is a few dozen bytes; anything this long is not one.
constexpr long SETTINGS_FILE_MAX_BYTES = 64 * 1024;

struct RememberedSettings {
    int width = 0;
    int height = 0;
    int depth = 0;  // bits per pixel the screen gave the mode; 0 when unknown
    bool windowed = false;
    bool antialiased = true;
    bool force169 = true;
    bool showFps = false;  // optional in the file (files before it lack it): 0 when missing
    bool operator==(const RememberedSettings&) const = default;
};

enum class SettingsFileStatus { Read, Missing, Unreadable, Corrupt };

// "<config folder>/settings.ini", or "" when there is no config folder.
std::string settingsFilePath();

// The text of a settings file.
std::string formatSettings(const RememberedSettings& settings);
// Read, or Corrupt with the reason in `why`; `out` is only written when Read.
SettingsFileStatus parseSettings(const std::string& text, RememberedSettings& out, std::string& why);
// Missing when there is no file; Unreadable when it cannot be read.
SettingsFileStatus readSettingsFile(const std::string& path, RememberedSettings& out, std::string& why);
// Creates the folder when needed; false (with the reason) when nothing was written.
bool writeSettingsFile(const std::string& path, const RememberedSettings& settings, std::string& why);
