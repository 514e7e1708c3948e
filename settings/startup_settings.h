// startup_settings.h - what the settings dialog starts with: the designed
// defaults, then the choices remembered from the last run, then the command
// line. With --skip-dialog the game runs with exactly this.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/command_line.h"
#include "settings/display_settings.h"
#include "settings/settings_file.h"

struct DialogPreset {
    // The listed modes, and after them a windowed --size the list lacks.
    std::vector<DisplayMode> modes;
    int selected = -1;
    bool windowed = false;
    bool antialiased = true;
    bool force169 = true;
    bool showFps = false;  // not in the dialog: remembered or given
};

// The list entry nearest to width x height (smallest sum of the two
// differences, the first of equals); -1 for an empty list.
int closestDisplayModeIndex(const std::vector<DisplayMode>& list, int width, int height);
// Bits per pixel of the first screen setting of that size; 0 when none.
int offeredDepth(const std::vector<platform::DisplaySetting>& offered, int width, int height);

// `remembered` may be null (nothing remembered). A remembered mode counts
// only when it is listed and the screen still offers it at its depth.
DialogPreset presetSettings(const std::vector<DisplayMode>& listed,
                            const std::vector<platform::DisplaySetting>& offered,
                            const RememberedSettings* remembered, const CommandLine& options);

// What the file remembers of a choice made with "Run ... ".
RememberedSettings rememberedFromChoice(const SettingsChoice& choice,
                                        const std::vector<platform::DisplaySetting>& offered);

// Every setting of the default display.
std::vector<platform::DisplaySetting> offeredDisplaySettings();
// Reads the settings file; a corrupt or unreadable one is reported in one
// line on stderr and, like a missing one, gives false.
bool loadRememberedSettings(RememberedSettings& out);
// Writes the settings file; a failure is reported in one line on stderr.
void saveRememberedSettings(const RememberedSettings& settings);
