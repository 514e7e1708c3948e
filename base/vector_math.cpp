// vector_math.cpp - Vec3 operations, random01 and the Catmull-Rom Spline.
#include "base/vector_math.h"

#include <cmath>
#include <cstddef>

#include "base/crt_random.h"
#include "base/work_meter.h"  // resampling is part of reading a motion file

namespace {

Vec3 zeroVector() { return Vec3{VEC_PLAIN, 0.0f, 0.0f, 0.0f}; }

float component(const Vec3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// Catmull-Rom blend of one component between P1 (u = 0) and P2 (u = 1).
double catmullRom(double p0, double p1, double p2, double p3, double u)
{
    double m1 = 0.5 * (p2 - p0);
    double m2 = 0.5 * (p3 - p1);
    return p1 + m1 * u + u * u * (u * (m2 + m1 + 2.0 * p1 - 2.0 * p2) + (3.0 * p2 - 3.0 * p1 - 2.0 * m1 - m2));
}

// Whole-number index i modulo n, always in 0 ... n - 1; NaN and infinities
// (which a float parameter can carry) map to 0 instead of an undefined cast.
int32_t wrapIndex(double i, int32_t n)
{
    if (!std::isfinite(i))
        return 0;
    double r = std::fmod(i, static_cast<double>(n));
    if (r < 0.0)
        r += n;
    return static_cast<int32_t>(r);
}

int32_t clampIndex(int32_t i, int32_t n) { return i < 0 ? 0 : i > n - 1 ? n - 1 : i; }

}  // namespace

Vec3 add(const Vec3& a, const Vec3& b)
{
    if (a.kind == VEC_UNDEFINED || b.kind == VEC_UNDEFINED)
        return zeroVector();
    return Vec3{VEC_PLAIN, static_cast<float>(double(a.x) + b.x), static_cast<float>(double(a.y) + b.y),
                static_cast<float>(double(a.z) + b.z)};
}

Vec3 sub(const Vec3& a, const Vec3& b)
{
    if (a.kind == VEC_UNDEFINED || b.kind == VEC_UNDEFINED)
        return zeroVector();
    return Vec3{VEC_PLAIN, static_cast<float>(double(a.x) - b.x), static_cast<float>(double(a.y) - b.y),
                static_cast<float>(double(a.z) - b.z)};
}

Vec3 cross(const Vec3& a, const Vec3& b)
{
    if (a.kind == VEC_UNDEFINED || b.kind == VEC_UNDEFINED)
        return zeroVector();
    return Vec3{VEC_PLAIN, static_cast<float>(double(a.y) * b.z - double(a.z) * b.y),
                static_cast<float>(double(a.z) * b.x - double(b.z) * a.x),
                static_cast<float>(double(b.y) * a.x - double(a.y) * b.x)};
}

Vec3 scale(const Vec3& a, float s)
{
    if (a.kind == VEC_UNDEFINED)
        return zeroVector();
    return Vec3{a.kind, static_cast<float>(double(a.x) * s), static_cast<float>(double(a.y) * s),
                static_cast<float>(double(a.z) * s)};
}

float length(const Vec3& a)
{
    float xx = a.x * a.x;
    float yy = a.y * a.y;
    float zz = a.z * a.z;
    float sum = static_cast<float>(double(xx) + yy + zz);
    return sqrtf(sum);
}

Vec3& normalize(Vec3& a)
{
    if (a.kind != VEC_PLAIN)
        return a;
    float l = length(a);
    if (l < 1e-8f) {
        a.x = a.y = a.z = 0.0f;
    } else {
        float inverse = static_cast<float>(1.0 / l);
        a.x = static_cast<float>(double(a.x) * inverse);
        a.y = static_cast<float>(double(a.y) * inverse);
        a.z = static_cast<float>(double(a.z) * inverse);
    }
    a.kind = VEC_UNIT;
    return a;
}

double random01() { return crtRand() / 32767.0; }

Spline::Spline(int32_t mode)
{
    clear();
    this->mode = mode;
}

Spline::Spline(const Spline& other) { *this = other; }

Spline& Spline::operator=(const Spline& other)
{
    if (this == &other)
        return *this;
    count = other.count;
    mode = other.mode;
    closed = other.closed;
    points = other.points;
    points2 = other.points2;
    points3 = other.points3;
    return *this;
}

void Spline::clear()
{
    points.clear();
    points2.clear();
    points3.clear();
    count = 0;
    mode = 3;
    reserved = 0.0;
}

void Spline::append(const Vec3& p)
{
    points.push_back(p);
    ++count;
}

void Spline::evaluate(float t, Vec3& out) const
{
    const int32_t n = count;
    if (n <= 0 || static_cast<size_t>(n) > points.size())
        return;

    int32_t i;
    float u;
    int32_t j;
    if (t > 2.0f && double(t) < double(n) - 2.0) {
        i = static_cast<int32_t>(t);
        u = t - static_cast<float>(i);
        j = i;
    } else if (closed) {
        // The offset keeps the parameter positive; it is added in single
        // precision, which is what sets the resolution near the seam.
        float shifted = t + static_cast<float>(n) * 10000.0f;
        double whole = std::trunc(double(shifted));
        u = std::isfinite(whole) ? static_cast<float>(shifted - whole) : 0.0f;
        j = wrapIndex(whole, n);
    } else {
        // Clamp before the integer conversion: j is clamped anyway and u is
        // forced at both ends, so only huge or NaN parameters are affected.
        double bounded = t;
        if (!(bounded >= -1.0))
            bounded = -1.0;
        if (bounded > n)
            bounded = n;
        i = static_cast<int32_t>(bounded);
        u = t - static_cast<float>(i);
        if (t > n)
            u = 1.0f;
        if (t < 0.0f)
            u = 0.0f;
        j = clampIndex(i, n);
    }

    int32_t index[4];
    if (closed) {
        // Wrapping every index equals the usual neighbours for n >= 3 and
        // keeps curves of one or two points inside their list.
        index[0] = (j - 1 + n) % n;
        index[1] = j;
        index[2] = (j + 1) % n;
        index[3] = (j + 2) % n;
    } else {
        for (int k = 0; k < 4; ++k)
            index[k] = clampIndex(j - 1 + k, n);
    }

    float result[3];
    for (int axis = 0; axis < 3; ++axis) {
        result[axis] = static_cast<float>(catmullRom(component(points[index[0]], axis), component(points[index[1]], axis),
                                                     component(points[index[2]], axis), component(points[index[3]], axis), u));
    }
    out.x = result[0];
    out.y = result[1];
    out.z = result[2];

    if (!closed) {
        if (t > n)
            out = points[n - 1];
        if (t < 0.0f)
            out = points[0];
    }
}

void Spline::resample(int32_t newCount, int32_t stepsPerSegment)
{
    const int32_t n = count;
    if (n < 4 || stepsPerSegment <= 0 || static_cast<size_t>(n) > points.size())
        return;

    // Cumulative chord lengths over n * steps small steps along the curve.
    const size_t segments = static_cast<size_t>(n) * static_cast<size_t>(stepsPerSegment);
    std::vector<float> table(segments + 1);
    table[0] = 0.0f;
    Vec3 previous;
    evaluate(0.0f, previous);
    for (size_t k = 0; k < segments; ++k) {
        Vec3 next;
        evaluate(static_cast<float>(double(k + 1) / stepsPerSegment), next);
        table[k + 1] = table[k] + length(sub(next, previous));
        previous = next;
    }
    const float total = table[segments];

    // Targets grow with j, so the search for each segment resumes where the
    // previous one stopped: linear in n * steps + newCount overall.
    Spline spaced(1);
    size_t cursor = 0;
    for (int32_t j = 0; j < newCount; ++j) {
        double target = double(j) / newCount * total;
        size_t k = cursor;
        // A NaN target (a NaN length somewhere) matches no segment: without
        // this test every point would search to the end, n squared in all.
        if (std::isnan(target))
            k = segments;
        const size_t searchedFrom = k;
        while (k < segments && !(table[k] <= target && target <= table[k + 1]))
            ++k;
        readerWork += k - searchedFrom + 1;
        if (k < segments)
            cursor = k;
        else
            k = segments - 1;  // only reachable with NaN or infinite lengths
        float width = table[k + 1] - table[k];
        float divisor = width <= 0.001f ? 0.001f : width;
        float u = static_cast<float>((target - table[k]) / divisor);
        Vec3 p;
        evaluate(static_cast<float>((double(u) + double(k)) / stepsPerSegment), p);
        spaced.append(p);
    }

    clear();
    for (int32_t j = 0; j < newCount; ++j) {
        Vec3 p;
        spaced.evaluate(static_cast<float>(j), p);
        points.push_back(p);
        points2.push_back(p);
        points3.push_back(p);
        ++count;
    }
}
