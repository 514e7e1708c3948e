#include "settings/display_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "settings/command_line.h"
#include "settings/startup_settings.h"

DisplaySizes displaySizes{true, true, 0, 0, 0, 0};
int32_t& windowWidth = displaySizes.windowWidth;
int32_t& windowHeight = displaySizes.windowHeight;
int32_t& renderWidth = displaySizes.renderWidth;
int32_t& renderHeight = displaySizes.renderHeight;
bool& fullscreen = displaySizes.fullscreen;
bool& antialiased = displaySizes.antialiased;
std::vector<DisplayMode> displayModes;
SettingsChoice settingsChoice;

static const char* const DIALOG_CAPTION = "              Glasswake by Vexa - 2009 ";

bool isListedDisplayMode(int32_t w, int32_t h)
{
    if (w <= 0 || h <= 0)
        return false;
    const double wide = static_cast<double>(w) / h;
    const double tall = static_cast<double>(h) / w;
    return w <= 2047 && h <= 2047 && h <= w && wide <= 1.8 && tall <= 1.8;
}

void addDisplayMode(std::vector<DisplayMode>& list, int32_t width, int32_t height)
{
    if (!isListedDisplayMode(width, height))
        return;
    for (const DisplayMode& m : list)
        if (m.width == width && m.height == height)
            return;
    list.push_back({width, height});
}

void enumerateDisplayModes()
{
    displayModes.clear();
    platform::DisplaySetting setting;
    for (int i = 0; platform::displaySetting(i, setting); ++i)
        addDisplayMode(displayModes, setting.width, setting.height);
}

std::string displayModeLabel(const DisplayMode& mode)
{
    const double aspect = static_cast<double>(mode.width) / mode.height;
    const char* format = " %d x %d       ";
    if (std::fabs(aspect - 1.6) < 0.01)
        format = " %d x %d  (16:10)";
    else if (std::fabs(aspect - 16.0 / 9.0) < 0.01)
        format = " %d x %d  (16:9)";
    char line[64];
    std::snprintf(line, sizeof line, format, mode.width, mode.height);
    return line;
}

int defaultDisplayModeIndex(const std::vector<DisplayMode>& list)
{
    for (const DisplayMode& wanted : {DisplayMode{1280, 720}, DisplayMode{1024, 768}})
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].width == wanted.width && list[i].height == wanted.height)
                return static_cast<int>(i);
    return list.empty() ? -1 : 0;
}

DisplaySizes sizesForChoice(const SettingsChoice& choice)
{
    DisplaySizes s;
    s.fullscreen = !choice.windowed;
    s.antialiased = choice.antialiased;
    s.windowWidth = choice.mode.width;
    s.windowHeight = choice.mode.height;
    s.renderWidth = choice.mode.width;
    s.renderHeight = choice.mode.height;
    if (choice.force169) {
        // Rounded to single precision, then truncated: 1280 -> 720, 1366 -> 768.
        const float height = static_cast<float>(choice.mode.width / (16.0 / 9.0));
        s.renderHeight = std::max<int32_t>(1, static_cast<int32_t>(height));  // never an empty picture
        if (choice.windowed)
            s.windowHeight = s.renderHeight;  // full screen keeps the display mode's height
    }
    return s;
}

void runSettingsDialog()
{
    // The designed defaults, then what was remembered, then the command line.
    const std::vector<platform::DisplaySetting> offered = offeredDisplaySettings();
    RememberedSettings remembered;
    const bool haveRemembered = loadRememberedSettings(remembered);
    const DialogPreset preset = presetSettings(displayModes, offered, haveRemembered ? &remembered : nullptr, commandLine);

    platform::SettingsDialogModel model;
    model.caption = DIALOG_CAPTION;
    for (const DisplayMode& m : preset.modes)
        model.modeLabels.push_back(displayModeLabel(m));
    model.selected = preset.selected;
    model.antialiased = preset.antialiased;
    model.windowed = preset.windowed;
    model.force169 = preset.force169;

    platform::SettingsDialogResult result;
    if (commandLine.skipDialog) {
        result.run = true;
        result.selected = model.selected;
        result.antialiased = model.antialiased;
        result.windowed = model.windowed;
        result.force169 = model.force169;
    } else {
        result = platform::runSettingsDialog(model);
    }
    if (!result.run)
        std::exit(0);

    SettingsChoice choice;
    const bool valid = result.selected >= 0 && result.selected < static_cast<int>(preset.modes.size());
    choice.mode = valid ? preset.modes[static_cast<size_t>(result.selected)] : FALLBACK_DISPLAY_MODE;
    choice.windowed = result.windowed;
    choice.antialiased = result.antialiased;
    choice.force169 = result.force169;
    choice.showFps = preset.showFps;
    if (!commandLine.skipDialog)
        saveRememberedSettings(rememberedFromChoice(choice, offered));

    settingsChoice = choice;
    displaySizes = sizesForChoice(choice);
}
