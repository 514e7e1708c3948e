// vector_math.h - Vec3 operations, the random helper and Catmull-Rom curves.
//
// Every operation checks the kind tag of its operands: an undefined vector
// (kind 0) turns the result into the plain zero vector instead of spreading
// garbage. Arithmetic runs in double precision and is stored back as float.
//
// sqrtf is the C library's float square root. It is not redeclared here (the
// global one from <math.h> cannot be overloaded with the same signature); this
// header includes <math.h> so that an unqualified sqrtf(v) always resolves to
// it, with no ambiguity against std::sqrtf.
#pragma once

#include <math.h>

#include <cstdint>
#include <vector>

#include "base/vec3.h"

Vec3 add(const Vec3& a, const Vec3& b);
Vec3 sub(const Vec3& a, const Vec3& b);
Vec3 cross(const Vec3& a, const Vec3& b);
// Keeps the kind of a (a scaled unit vector stays tagged as unit).
Vec3 scale(const Vec3& a, float s);
float length(const Vec3& a);
// In place, only for plain vectors; the result is tagged unit even when the
// vector was too short to normalise (it then becomes zero).
Vec3& normalize(Vec3& a);

// crtRand() / 32767.0: both 0 and 1 can come out.
double random01();

// Catmull-Rom curve through control points. points2 and points3 are kept in
// step with points by resample() for callers that want spare copies.
class Spline {
public:
    std::vector<Vec3> points;
    std::vector<Vec3> points2;
    std::vector<Vec3> points3;
    int32_t mode = 3;
    bool closed = false;
    int32_t count = 0;
    double reserved = 0.0;

    explicit Spline(int32_t mode = 3);
    // Copies replace the three lists (count always matches the lists).
    Spline(const Spline& other);
    Spline& operator=(const Spline& other);

    void clear();
    void append(const Vec3& p);
    // Writes x, y, z of the point at parameter t into out. out.kind is only
    // written by the end rules of an open curve (t < 0 or t > count). A curve
    // without points leaves out untouched.
    void evaluate(float t, Vec3& out) const;
    // Replaces the control points by newCount points evenly spaced along the
    // curve; curves of fewer than 4 points and steps <= 0 are left alone.
    void resample(int32_t newCount, int32_t stepsPerSegment);
};
