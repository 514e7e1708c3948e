// game_random.h - the random numbers of the game rules and of the drawing.
//
// Everything random in the game comes from the one C-runtime-style generator
// (base/crt_random.h) through random01 (base/vector_math.h), so the layout
// and enemy fire repeat exactly from a seed.
#pragma once

#include "base/crt_random.h"
#include "base/vec3.h"
#include "base/vector_math.h"

// Three random numbers mapped to [-1, 1], normalised (the zero vector stays zero).
Vec3 randomDirection();
