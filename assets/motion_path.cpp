// motion_path.cpp - motion file reader and the smoothing of its tracks.
#include "assets/motion_path.h"

#include <cmath>
#include <cstring>
#include <new>

#include "base/file_bytes.h"

namespace {

uint64_t readLittleEndian(const unsigned char* p, int bytes)
{
    uint64_t value = 0;
    for (int k = bytes - 1; k >= 0; --k)
        value = (value << 8) | p[k];
    return value;
}

float readFloat32(const unsigned char* p)
{
    uint32_t bits = static_cast<uint32_t>(readLittleEndian(p, 4));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double readFloat64(const unsigned char* p)
{
    uint64_t bits = readLittleEndian(p, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Resampling to n / divisor points and back to n is a low-pass filter.
Spline smoothedCurve(const std::vector<Vec3>& controlPoints, double divisor)
{
    Spline curve;
    for (const Vec3& p : controlPoints)
        curve.append(p);
    int32_t n = curve.count;
    curve.resample(static_cast<int32_t>(std::trunc(n / divisor)), 3);
    curve.resample(n, 3);
    return curve;
}

// A track curve over the sample index: (i, value, 0).
std::vector<Vec3> trackPoints(const std::vector<double>& track)
{
    std::vector<Vec3> points;
    points.reserve(track.size());
    for (size_t i = 0; i < track.size(); ++i)
        points.push_back(makeVec3(static_cast<float>(i), static_cast<float>(track[i]), 0.0f));
    return points;
}

// Short files leave a track curve with fewer points than samples (too few
// control points survive the coarse pass to be resampled back up); such a
// track keeps its raw values, and so does one whose curve was never resampled.
void writeBack(std::vector<double>& track, const Spline& curve)
{
    if (track.size() < 4 || curve.points.size() != track.size())
        return;
    for (size_t i = 0; i < track.size(); ++i)
        track[i] = curve.points[i].y;
}

}  // namespace

int32_t MotionPath::loadMotion(const char* fileName)
{
    // A folder or a device is treated like a file that cannot be opened.
    std::vector<uint8_t> bytes;
    if (!readRegularFile(fileName, bytes))
        return 0;
    loadMotionBytes(bytes.data(), bytes.size());
    return 1;
}

void MotionPath::loadMotionBytes(const unsigned char* data, size_t size)
{
    try {
        readAndSmooth(data, size);
    } catch (const std::bad_alloc&) {
        *this = MotionPath();  // out of memory: read as an empty file, never thrown on
    }
}

void MotionPath::readAndSmooth(const unsigned char* data, size_t size)
{
    samples.clear();
    trackA.clear();
    trackB.clear();
    const size_t records = size / MOTION_RECORD_SIZE;
    samples.reserve(records);
    trackA.reserve(records);
    trackB.reserve(records);
    for (size_t offset = 0; offset + MOTION_RECORD_SIZE <= size; offset += MOTION_RECORD_SIZE) {
        const unsigned char* record = data + offset;
        samples.push_back(makeVec3(readFloat32(record), readFloat32(record + 4), readFloat32(record + 8)));
        trackA.push_back(readFloat64(record + 12));
        trackB.push_back(readFloat64(record + 20));
    }

    pathCurve = smoothedCurve(samples, 5.0);
    trackBCurve = smoothedCurve(trackPoints(trackB), 20.0);
    writeBack(trackB, trackBCurve);
    trackACurve = smoothedCurve(trackPoints(trackA), 10.0);
    writeBack(trackA, trackACurve);
}
