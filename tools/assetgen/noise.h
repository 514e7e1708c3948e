// noise.h - tileable value noise and fractal sums for the procedural pictures.
#pragma once

#include <cstdint>

// Smooth value noise on a lattice that repeats every `period` cells in x and y.
double valueNoise(double x, double y, int period, uint32_t seed);

// Sum of `octaves` noise layers, each twice the frequency and `gain` times the
// amplitude of the one before; the result is scaled back to about [0, 1].
// Tileable over the unit square when `basePeriod` cells span it.
double fractalNoise(double u, double v, int basePeriod, int octaves, double gain, uint32_t seed);
