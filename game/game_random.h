// game_random.h - the random numbers of the game rules and of the drawing.
//
// Everything random in the game comes from the one C-runtime-style generator
// (shell/crt_random.h), so the layout and enemy fire repeat exactly from a
// seed. gameRandom01 is the same function as random01 in render/vector_math.h
// (crtRand() / 32767.0, 0 and 1 both possible); it is kept here under its own
// name until the game can use that one directly.
#pragma once

#include "render/vec3.h"
#include "shell/crt_random.h"

inline double gameRandom01() { return crtRand() / 32767.0; }

// Three random numbers mapped to [-1, 1], normalised (the zero vector stays zero).
Vec3 randomDirection();
