#include "settings/startup_settings.h"

#include <cstdio>
#include <cstdlib>

int closestDisplayModeIndex(const std::vector<DisplayMode>& list, int width, int height)
{
    int best = -1;
    long bestDistance = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const long distance = std::labs(static_cast<long>(list[i].width) - width) +
                              std::labs(static_cast<long>(list[i].height) - height);
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

int offeredDepth(const std::vector<platform::DisplaySetting>& offered, int width, int height)
{
    for (const platform::DisplaySetting& s : offered)
        if (s.width == width && s.height == height)
            return s.bitsPerPixel;
    return 0;
}

static int listIndex(const std::vector<DisplayMode>& list, int width, int height)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].width == width && list[i].height == height)
            return static_cast<int>(i);
    return -1;
}

static bool offeredAtDepth(const std::vector<platform::DisplaySetting>& offered, int width, int height, int depth)
{
    for (const platform::DisplaySetting& s : offered)
        if (s.width == width && s.height == height && s.bitsPerPixel == depth)
            return true;
    return false;
}

DialogPreset presetSettings(const std::vector<DisplayMode>& listed,
                            const std::vector<platform::DisplaySetting>& offered,
                            const RememberedSettings* remembered, const CommandLine& options)
{
    DialogPreset p;
    p.modes = listed;
    p.selected = defaultDisplayModeIndex(listed);

    if (remembered) {
        p.windowed = remembered->windowed;
        p.antialiased = remembered->antialiased;
        p.force169 = remembered->force169;
        p.showFps = remembered->showFps;
        const int index = listIndex(listed, remembered->width, remembered->height);
        if (index >= 0 && offeredAtDepth(offered, remembered->width, remembered->height, remembered->depth))
            p.selected = index;
    }

    if (options.windowed)
        p.windowed = *options.windowed;
    if (options.antialiased)
        p.antialiased = *options.antialiased;
    if (options.force169)
        p.force169 = *options.force169;
    if (options.showFps)
        p.showFps = *options.showFps;
    if (options.width > 0 && options.height > 0) {
        const int index = listIndex(listed, options.width, options.height);
        if (index >= 0) {
            p.selected = index;
        } else if (p.windowed || listed.empty()) {
            // A window may have any size; the list gains a line for it.
            p.modes.push_back({options.width, options.height});
            p.selected = static_cast<int>(p.modes.size()) - 1;
        } else {
            p.selected = closestDisplayModeIndex(listed, options.width, options.height);
        }
    }
    return p;
}

RememberedSettings rememberedFromChoice(const SettingsChoice& choice,
                                        const std::vector<platform::DisplaySetting>& offered)
{
    RememberedSettings r;
    r.width = choice.mode.width;
    r.height = choice.mode.height;
    r.depth = offeredDepth(offered, choice.mode.width, choice.mode.height);
    r.windowed = choice.windowed;
    r.antialiased = choice.antialiased;
    r.force169 = choice.force169;
    r.showFps = choice.showFps;
    return r;
}

std::vector<platform::DisplaySetting> offeredDisplaySettings()
{
    std::vector<platform::DisplaySetting> offered;
    platform::DisplaySetting setting;
    for (int i = 0; platform::displaySetting(i, setting); ++i)
        offered.push_back(setting);
    return offered;
}

bool loadRememberedSettings(RememberedSettings& out)
{
    const std::string path = settingsFilePath();
    std::string why;
    switch (readSettingsFile(path, out, why)) {
    case SettingsFileStatus::Read: return true;
    case SettingsFileStatus::Missing: return false;
    case SettingsFileStatus::Unreadable:
        std::fprintf(stderr, "glasswake: cannot read %s (%s); using the default settings\n", path.c_str(), why.c_str());
        return false;
    case SettingsFileStatus::Corrupt:
        std::fprintf(stderr, "glasswake: ignoring %s (%s); using the default settings\n", path.c_str(), why.c_str());
        return false;
    }
    return false;
}

void saveRememberedSettings(const RememberedSettings& settings)
{
    const std::string path = settingsFilePath();
    std::string why;
    if (!writeSettingsFile(path, settings, why))
        std::fprintf(stderr, "glasswake: cannot remember the settings in %s (%s)\n",
                     path.empty() ? "the config folder" : path.c_str(), why.c_str());
}
