// game_math.h - the easing curve and the course geometry shared by the game.
//
// The course is the inside of a half-pipe of radius 20 along +z. A lane in
// [0, 1] runs around the half circle: 0 at the top (0, 20), 0.5 at the far
// left (-20, 0), 1 at the bottom (0, -20).
#pragma once

#include <algorithm>
#include <cmath>

constexpr double GAME_PI = 3.14159265358979323846;
constexpr double COURSE_RADIUS = 20.0;

inline double clampd(double v, double lo, double hi) { return std::min(std::max(v, lo), hi); }

// Easing of all game animation: 0 at t = 0, 1 at t = 1; k = 1 is the raised
// cosine, larger k sharpens the rise. Callers clamp t to [0, 1].
inline double ease(double t, double k)
{
    double c = (std::cos(GAME_PI * t) + 1.0) / 2.0;
    return std::pow(1.0 - std::pow(c, 1.0 + 0.5 * (k - 1.0)), k);
}

// A point of the course in world space, in double precision.
struct CoursePoint {
    double x = 0.0, y = 0.0, z = 0.0;
};

inline double laneAngle(double lane) { return clampd(lane, 0.0, 1.0) * GAME_PI + GAME_PI / 2.0; }

inline CoursePoint coursePoint(double lane, double z, double lift)
{
    double a = laneAngle(lane);
    return {COURSE_RADIUS * std::cos(a), COURSE_RADIUS * std::sin(a) + lift, z};
}

inline double distance(const CoursePoint& a, const CoursePoint& b)
{
    double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The recorded-motion sample that shakes the camera at this time (35 samples
// per second, wrapping over all but the last sample), or -1 when the motion
// has fewer than two samples and the shake must be left out.
inline long jitterSampleIndex(double time, long sampleCount)
{
    if (sampleCount < 2)
        return -1;
    long long tick = static_cast<long long>((time + 300000.0) * 35.0);
    return static_cast<long>(tick % (sampleCount - 1));
}
