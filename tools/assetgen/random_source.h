// random_source.h - a small seeded generator (SplitMix64) for the asset generator.
// The standard library's distributions differ between implementations; this one
// gives the same numbers everywhere, so every build writes the same bytes.
#pragma once

#include <cstdint>

struct RandomSource {
    uint64_t state;

    explicit RandomSource(uint64_t seed) : state(seed) {}

    uint64_t next()
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
    // Uniform integer in [0, n).
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
};
