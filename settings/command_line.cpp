#include "settings/command_line.h"

#include <cstring>

CommandLine commandLine;

#ifndef GLASSWAKE_VERSION
#define GLASSWAKE_VERSION "unknown"
#endif

std::string versionText() { return std::string("glasswake ") + GLASSWAKE_VERSION; }

std::string usageText()
{
    return "Usage: glasswake [OPTION]...\n"
           "Real-time 3D arcade shooter along a half-pipe.\n"
           "\n"
           "Without options the settings dialog comes first.\n"
           "  --windowed          run in a window\n"
           "  --fullscreen        run full screen\n"
           "  --size WxH          resolution (full screen: the closest mode offered)\n"
           "  --antialias         multisample the scene\n"
           "  --no-antialias      do not multisample the scene\n"
           "  --force-16-9        render a 16:9 picture on any screen\n"
           "  --no-force-16-9     render at the screen's own shape\n"
           "  --show-fps          show the frame rate in a corner of the window\n"
           "  --no-show-fps       do not show the frame rate\n"
           "  --no-sound          play without sound\n"
           "  --skip-dialog       start at once with the remembered or given settings\n"
           "  --record FILE       record this run to FILE\n"
           "  --replay FILE       play a recorded run back\n"
           "  --help              show this help and exit\n"
           "  --version           show the version and exit\n";
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 == text.size())
        return false;
    auto number = [](const std::string& digits, int& out) {
        if (digits.size() > 5)
            return false;
        int value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > 16384)
            return false;
        out = value;
        return true;
    };
    int w = 0, h = 0;
    if (!number(text.substr(0, x), w) || !number(text.substr(x + 1), h))
        return false;
    width = w;
    height = h;
    return true;
}

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine cl;
    auto fail = [&cl](const std::string& why) {
        cl.action = CommandLine::Action::UsageError;
        cl.error = why;
        return cl;
    };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasValue = false;
        if (arg.rfind("--", 0) == 0) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg.resize(eq);
                hasValue = true;
            }
        }
        // Options that take a value accept it joined by '=' or as the next argument.
        auto takeValue = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= argc)
                return false;
            value = argv[++i];
            return true;
        };
        auto flag = [&](std::optional<bool>& target, bool v) {
            target = v;
            return !hasValue;
        };

        bool ok = true;
        if (arg == "--help") {
            cl.action = CommandLine::Action::Help;
            return cl;
        } else if (arg == "--version") {
            cl.action = CommandLine::Action::Version;
            return cl;
        } else if (arg == "--windowed") {
            ok = flag(cl.windowed, true);
        } else if (arg == "--fullscreen") {
            ok = flag(cl.windowed, false);
        } else if (arg == "--antialias") {
            ok = flag(cl.antialiased, true);
        } else if (arg == "--no-antialias") {
            ok = flag(cl.antialiased, false);
        } else if (arg == "--force-16-9") {
            ok = flag(cl.force169, true);
        } else if (arg == "--no-force-16-9") {
            ok = flag(cl.force169, false);
        } else if (arg == "--show-fps") {
            ok = flag(cl.showFps, true);
        } else if (arg == "--no-show-fps") {
            ok = flag(cl.showFps, false);
        } else if (arg == "--no-sound") {
            cl.noSound = true;
            ok = !hasValue;
        } else if (arg == "--skip-dialog") {
            cl.skipDialog = true;
            ok = !hasValue;
        } else if (arg == "--size") {
            if (!takeValue())
                return fail("option '--size' needs a value");
            if (!parseSize(value, cl.width, cl.height))
                return fail("bad size '" + value + "' (expected WxH, e.g. 1280x720)");
            // Smaller pictures have no room for the quarter-size passes.
            if (cl.width < MIN_SIZE || cl.height < MIN_SIZE)
                return fail("bad size '" + value + "' (" + std::to_string(MIN_SIZE) + "x" +
                            std::to_string(MIN_SIZE) + " at least)");
        } else if (arg == "--record" || arg == "--replay") {
            if (!takeValue() || value.empty())
                return fail("option '" + arg + "' needs a file name");
            (arg == "--record" ? cl.recordPath : cl.replayPath) = value;
        } else {
            return fail("unrecognised option '" + std::string(argv[i]) + "'");
        }
        if (!ok)
            return fail("option '" + arg + "' takes no value");
    }
    if (!cl.recordPath.empty() && !cl.replayPath.empty())
        return fail("--record and --replay cannot be used together");
    return cl;
}
