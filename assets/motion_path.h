// motion_path.h - recorded paths: positions with two value tracks.
//
// A motion file is a headerless run of 28-byte little-endian records
// (float x, y, z; double a, b). Besides the raw samples the loader builds
// three smoothed curves (the path, and each track over the sample index) by
// resampling to a few points and back, and writes the smoothed tracks back.
//
// Budget: for a file of N bytes, loadMotion allocates at most 48 N bytes plus
// 64 KiB in all (the N bytes of the file included; about 35 bytes per byte
// for the samples and the three curves) and takes time linear in N, curves of
// NaN or infinite points included. Memory that runs out anyway leaves the
// path empty, never with an exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/vec3.h"
#include "base/vector_math.h"

// The budget: bytes allocated per input byte, and the fixed allowance.
constexpr size_t MOTION_BUDGET_PER_BYTE = 48;
constexpr size_t MOTION_BUDGET_FIXED = size_t(64) << 10;

constexpr size_t MOTION_RECORD_SIZE = 28;

class MotionPath {
public:
    std::vector<Vec3> samples;
    std::vector<double> trackA;
    std::vector<double> trackB;
    Spline pathCurve;
    Spline trackACurve;
    Spline trackBCurve;

    // 0 when the file cannot be opened (the path is then left as it was),
    // otherwise 1. A trailing incomplete record is ignored.
    int32_t loadMotion(const char* fileName);
    // The same on the bytes of a file already in memory.
    void loadMotionBytes(const unsigned char* data, size_t size);

private:
    void readAndSmooth(const unsigned char* data, size_t size);
};
