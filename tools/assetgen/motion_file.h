// motion_file.h - "meshes/try1.sav": a recorded hand-held camera wobble,
// 35 samples a second, as 28-byte little-endian records
// (float x, y, z; double a, b).
#pragma once

#include <string>

constexpr int kMotionSamplesPerSecond = 35;
constexpr int kMotionSeconds = 72;

bool writeMotionFile(const std::string& outputDir);
