// crt_random.h - the game's pseudo-random generator.
//
// The game was tuned against the Windows C runtime's rand(): a linear
// congruential generator with 15-bit results (0 ... 32767). glibc's rand()
// returns 31-bit results, which would stretch every random range, so the
// project carries its own generator with the Windows behaviour. Every place
// that draws a random number uses these two functions.
#pragma once

#include <cstdint>

constexpr int CRT_RAND_MAX = 0x7FFF;

// Next result in 0 ... 32767.
int crtRand();
// Sets the generator state; the state at start-up is 1.
void crtSeed(uint32_t seed);
// Current state, so tests and simulations can save and restore it.
uint32_t crtState();
