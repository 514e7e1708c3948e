// game_random.cpp - random directions for the sky, stars and glows.
#include "game/game_random.h"

#include <cmath>

Vec3 randomDirection()
{
    double x = 2.0 * random01() - 1.0;
    double y = 2.0 * random01() - 1.0;
    double z = 2.0 * random01() - 1.0;
    double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0)
        return makeVec3(0.0f, 0.0f, 0.0f);
    return Vec3{VEC_UNIT, float(x / length), float(y / length), float(z / length)};
}
