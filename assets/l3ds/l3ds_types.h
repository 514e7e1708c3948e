// l3ds_types.h - the small value types of the 3DS importer.
//
// Arrays of these are handed to GL as client-side vertex arrays, so each one
// is exactly its floats or indices with no padding.
#pragma once

#include <cstdint>

struct LVector2 {
    float x = 0.0f;
    float y = 0.0f;
};

struct LVector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct LColor3 {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// Three vertex indices, in the order GL_UNSIGNED_SHORT index arrays expect.
struct LTriangle {
    uint16_t a = 0;
    uint16_t b = 0;
    uint16_t c = 0;
};

// A triangle with what the importer knows about it beyond its corners.
struct LTriangle2 {
    LTriangle corners;
    LVector3 faceNormal;
    uint32_t smoothingGroups = 0;
    int32_t materialId = -1;  // -1: no material group named this triangle
};

// 4 x 4 matrix in OpenGL's column-major order: m[0..2] X axis, m[4..6] Y axis,
// m[8..10] Z axis, m[12..14] origin.
struct LMatrix4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// Rotation by `angle` radians about `axis` (glRotate order: angle, then axis).
struct LRotation {
    float angle = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 1.0f;
};

static_assert(sizeof(LVector3) == 12 && sizeof(LVector2) == 8 && sizeof(LTriangle) == 6,
              "vertex arrays must be tightly packed");

// Vector helpers shared by the importer's post-processing.
inline LVector3 operator+(LVector3 a, LVector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline LVector3 operator-(LVector3 a, LVector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline LVector3 operator*(LVector3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(LVector3 a, LVector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline LVector3 cross(LVector3 a, LVector3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// Unit vector along v, or `fallback` when v has no usable length.
LVector3 normalizedOr(LVector3 v, LVector3 fallback);
