#include "base/crt_random.h"

static uint32_t g_state = 1;

int crtRand()
{
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

void crtSeed(uint32_t seed) { g_state = seed; }

uint32_t crtState() { return g_state; }
