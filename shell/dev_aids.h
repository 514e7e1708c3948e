// dev_aids.h - recording camera markers while the game runs.
//
// Each middle click appends the current marker point to the inputs' markers
// and a few lines describing the view inputs to cameraLog. Leaving with
// Escape puts cameraLog on the clipboard, ready to paste into code or notes.
#pragma once

#include <string>

struct FrameInputs;

extern std::string cameraLog;

// Shown on the "MCr :" line; nothing sets them.
extern float markerDefaults[3];

// A number as gcvt writes it with 6 significant digits.
std::string formatLogNumber(double value);
// The middle-button handler.
void recordCameraMarker(FrameInputs& inputs);
// Places text on the clipboard; true on success.
bool copyToClipboard(const std::string& text);
