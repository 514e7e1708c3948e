// command_line.h - the game's command-line options.
//
// Every option is additive: run without any, the game starts as it always
// has (the settings dialog first, nothing remembered). Long options only, in
// the GNU style: "--size 1280x720" or "--size=1280x720".
#pragma once

#include <optional>
#include <string>

struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    std::string error;  // what was wrong, for UsageError

    std::optional<bool> windowed;     // --windowed / --fullscreen
    int width = 0;                    // --size WxH; 0 when not given
    int height = 0;
    std::optional<bool> antialiased;  // --antialias / --no-antialias
    std::optional<bool> force169;     // --force-16-9 / --no-force-16-9
    std::optional<bool> showFps;      // --show-fps / --no-show-fps
    bool noSound = false;             // --no-sound
    bool skipDialog = false;          // --skip-dialog
    std::string recordPath;           // --record FILE
    std::string replayPath;           // --replay FILE
};

// The options of this run (parsed once by the entry point).
extern CommandLine commandLine;

CommandLine parseCommandLine(int argc, const char* const* argv);
// The text of --help.
std::string usageText();
// "glasswake 1.0.0"
std::string versionText();
// The smallest window --size takes, either way.
constexpr int MIN_SIZE = 16;

// Parses "WxH" (both 1 ... 16384); false for anything else.
bool parseSize(const std::string& text, int& width, int& height);
