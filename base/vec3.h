// vec3.h - the engine's small single-precision vector record.
//
// A Vec3 carries a kind tag in front of its components so that operations can
// tell an unset vector from a plain one and a plain one from a normalised one.
// The operations live in base/vector_math.h.
#pragma once

#include <cstdint>

enum VecKind : int32_t {
    VEC_UNDEFINED = 0,
    VEC_PLAIN = 1,
    VEC_UNIT = 2,
};

struct Vec3 {
    int32_t kind = VEC_PLAIN;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline Vec3 makeVec3(float x, float y, float z) { return Vec3{VEC_PLAIN, x, y, z}; }
