// display_settings.h - the display modes offered at start-up and the sizes
// the settings dialog fixes for the rest of the run.
//
// The rules (which modes are listed, how they are labelled, which is selected
// first, and how "Force 16:9" and "Windowed" turn a mode into window and
// render sizes) are plain functions, so they can be tested without a display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DisplayMode {
    int32_t width = 0;
    int32_t height = 0;
};


// The display-mode list, in the order the modes were first found, no duplicates.
extern std::vector<DisplayMode> displayModes;

// Size used when "Run ... " is pressed with an empty mode list.
constexpr DisplayMode FALLBACK_DISPLAY_MODE{1024, 768};

// True for modes the dialog lists: at most 2047 pixels either way, not
// portrait, and no wider or taller than 1.8 : 1.
bool isListedDisplayMode(int32_t width, int32_t height);
// Appends the mode to the list unless it is filtered out or already there.
void addDisplayMode(std::vector<DisplayMode>& list, int32_t width, int32_t height);
// Rebuilds displayModes from the platform's settings of the default display.
void enumerateDisplayModes();

// The combo-box line of a mode, e.g. " 1280 x 800  (16:10)".
std::string displayModeLabel(const DisplayMode& mode);
// Index of 1280 x 720, else 1024 x 768, else 0 (-1 for an empty list).
int defaultDisplayModeIndex(const std::vector<DisplayMode>& list);

struct SettingsChoice {
    DisplayMode mode;
    bool windowed = false;
    bool antialiased = true;
    bool force169 = true;
    bool showFps = false;  // the frame-rate counter (not a dialog control; never recorded)
};

struct DisplaySizes {
    bool fullscreen = true;
    bool antialiased = true;
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    int32_t renderWidth = 0;
    int32_t renderHeight = 0;
};

// What "Run ... " makes of the dialog's state.
DisplaySizes sizesForChoice(const SettingsChoice& choice);

// The sizes every part uses; fixed by the settings dialog (or a replay's
// header). One value; the names below are its fields, as the game knows them.
extern DisplaySizes displaySizes;
extern int32_t& windowWidth;
extern int32_t& windowHeight;
extern int32_t& renderWidth;
extern int32_t& renderHeight;
extern bool& fullscreen;
extern bool& antialiased;  // main render target multisampled (4 samples) or not

// The choice the sizes above were made from (a replay records it).
extern SettingsChoice settingsChoice;

// Runs the settings dialog, preset from the remembered choices and the
// command line (or skips it with --skip-dialog), remembers what "Run ... "
// chose and sets the sizes above; ends the process with exit code 0 when the
// user quits.
void runSettingsDialog();
