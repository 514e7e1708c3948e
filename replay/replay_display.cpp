#include "replay/replay_display.h"

ReplaySettings recordedDisplay(const DisplaySizes& sizes, const SettingsChoice& choice)
{
    ReplaySettings s;
    s.fullscreen = sizes.fullscreen;
    s.windowed = choice.windowed;
    s.antialiased = sizes.antialiased;
    s.force169 = choice.force169;
    s.modeWidth = choice.mode.width;
    s.modeHeight = choice.mode.height;
    s.windowWidth = sizes.windowWidth;
    s.windowHeight = sizes.windowHeight;
    s.renderWidth = sizes.renderWidth;
    s.renderHeight = sizes.renderHeight;
    return s;
}

DisplaySizes sizesOfRecording(const ReplaySettings& s)
{
    return {s.fullscreen, s.antialiased, s.windowWidth, s.windowHeight, s.renderWidth, s.renderHeight};
}

SettingsChoice choiceOfRecording(const ReplaySettings& s)
{
    return {{s.modeWidth, s.modeHeight}, s.windowed, s.antialiased, s.force169};
}
