#include <gtest/gtest.h>

#include "base/crt_random.h"

TEST(CrtRandom, MatchesTheWindowsRuntimeSequence)
{
    crtSeed(1);
    EXPECT_EQ(crtRand(), 41);
    EXPECT_EQ(crtRand(), 18467);
    EXPECT_EQ(crtRand(), 6334);
    EXPECT_EQ(crtRand(), 26500);
    EXPECT_EQ(crtRand(), 19169);
}

TEST(CrtRandom, StaysWithinFifteenBitsAndReseedsReproducibly)
{
    crtSeed(423423423);
    int first[100];
    for (int& v : first) {
        v = crtRand();
        EXPECT_GE(v, 0);
        EXPECT_LE(v, CRT_RAND_MAX);
    }
    crtSeed(423423423);
    for (int v : first)
        EXPECT_EQ(crtRand(), v);
}
