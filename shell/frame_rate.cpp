// frame_rate.cpp - the frame-rate counter of --show-fps (see frame_rate.h).
#include "shell/frame_rate.h"

#include <cmath>
#include <cstdio>

#include "platform/platform.h"
#include "shell/overlay.h"

FrameRateCounter frameRate;

namespace {

constexpr double MEASURE_SECONDS = 0.5;
// Text height as a fraction of the window height, and the margin to the corner.
constexpr double TEXT_HEIGHT = 0.05;
constexpr double MARGIN = 0.03;

double wallSeconds()
{
    return static_cast<double>(platform::performanceCounter()) /
           static_cast<double>(platform::performanceFrequency());
}

}  // namespace

void FrameRateCounter::count(double now)
{
    if (windowStart < 0.0) {
        windowStart = lastPass = now;
        return;
    }
    ++passes;
    const double measured = now - windowStart;
    if (measured >= MEASURE_SECONDS) {
        rate = passes / measured;
        windowStart = now;
        passes = 0;
    } else if (rate == 0.0 && now > lastPass) {
        rate = 1.0 / (now - lastPass);  // until the first half second is over
    }
    lastPass = now;
}

std::string frameRateText(double rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f fps", std::floor(rate + 0.5));
    return text;
}

void showFrameRate()
{
    frameRate.count(wallSeconds());
    if (frameRate.rate <= 0.0)
        return;
    int width = 0;
    int height = 0;
    windowSize(width, height);
    const OverlayScope overlay(width, height);
    const double aspect = static_cast<double>(width) / height;
    const double size = 2.0 * TEXT_HEIGHT;
    glMatrixMode(GL_PROJECTION);
    glOrtho(-aspect, aspect, -1.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glTranslated(-aspect + 2.0 * MARGIN, 1.0 - 2.0 * MARGIN - 0.75 * size, 0.0);
    glScaled(size, size, 0.01);
    drawOutlinedText(frameRateText(frameRate.rate).c_str());
}
