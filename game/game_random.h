// game_random.h - the random numbers of the game rules and of the drawing.
//
// Everything random in the game comes from the one C-runtime-style generator
// (shell/crt_random.h) through random01 (render/vector_math.h), so the layout
// and enemy fire repeat exactly from a seed.
#pragma once

#include "render/vec3.h"
#include "render/vector_math.h"
#include "shell/crt_random.h"

// Three random numbers mapped to [-1, 1], normalised (the zero vector stays zero).
Vec3 randomDirection();
