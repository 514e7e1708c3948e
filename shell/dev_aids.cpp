#include "shell/dev_aids.h"

#include <cstdio>

#include "base/frame_inputs.h"
#include "platform/platform.h"

std::string cameraLog;
float markerDefaults[3] = {0.0f, 0.0f, 0.0f};

std::string formatLogNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

void recordCameraMarker(FrameInputs& inputs)
{
    inputs.markers.push_back(Vec3{VEC_PLAIN, static_cast<float>(inputs.markerX),
                                  static_cast<float>(inputs.markerY), static_cast<float>(inputs.markerZ)});

    cameraLog += "Cam :" + formatLogNumber(inputs.mouseX) + "," + formatLogNumber(inputs.mouseY) + "," +
                 formatLogNumber(inputs.wheel) + "  \n";
    cameraLog += "Pnt :" + formatLogNumber(inputs.markerX) + "," + formatLogNumber(inputs.markerY) + "," +
                 formatLogNumber(inputs.markerZ) + "  \n \n";
    cameraLog += "MCr :" + formatLogNumber(markerDefaults[0]) + "," + formatLogNumber(markerDefaults[1]) + "," +
                 formatLogNumber(markerDefaults[2]) + "  \n \n";
}

bool copyToClipboard(const std::string& text) { return platform::setClipboardText(text); }
