#include "noise.h"

#include <cmath>

namespace {

uint32_t hashCell(int x, int y, uint32_t seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

double cellValue(int x, int y, int period, uint32_t seed)
{
    const int px = ((x % period) + period) % period;
    const int py = ((y % period) + period) % period;
    return (hashCell(px, py, seed) & 0xFFFFFF) / 16777215.0;
}

double smooth(double t) { return t * t * (3.0 - 2.0 * t); }

}  // namespace

double valueNoise(double x, double y, int period, uint32_t seed)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const double tx = smooth(x - fx);
    const double ty = smooth(y - fy);
    const double a = cellValue(ix, iy, period, seed);
    const double b = cellValue(ix + 1, iy, period, seed);
    const double c = cellValue(ix, iy + 1, period, seed);
    const double d = cellValue(ix + 1, iy + 1, period, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double fractalNoise(double u, double v, int basePeriod, int octaves, double gain, uint32_t seed)
{
    double sum = 0.0;
    double amplitude = 1.0;
    double total = 0.0;
    int period = basePeriod;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(u * period, v * period, period, seed + static_cast<uint32_t>(i) * 101u);
        total += amplitude;
        amplitude *= gain;
        period *= 2;
    }
    return sum / total;
}
