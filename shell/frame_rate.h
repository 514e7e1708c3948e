// frame_rate.h - the frame-rate counter of --show-fps.
//
// Passes of the message loop per second of wall time, over half a second
// (until the first half second, the last pass's own rate), drawn in the
// window's top left corner in the outline font. It is drawn last in a pass,
// after the picture has been kept for a replay's dump or the exit report, so
// no recorded or exported picture holds it.
#pragma once

#include <string>

struct FrameRateCounter {
    double windowStart = -1.0;  // wall seconds when the current half second began; < 0 before any pass
    double lastPass = -1.0;
    int passes = 0;             // in the current half second
    double rate = 0.0;          // 0 until there is one to show

    // A pass of the message loop at `now` wall seconds.
    void count(double now);
};

extern FrameRateCounter frameRate;

// "60 fps": the rate rounded to whole frames.
std::string frameRateText(double rate);
// Counts this pass and, when there is a rate, draws it over the window.
void showFrameRate();
