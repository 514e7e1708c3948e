// frame_values.h - values the game frame shows, kept apart from the drawing
// so they can be checked without a picture.
#pragma once

#include <algorithm>
#include <string>

#include "game/game_math.h"

// Brightness of the stars: black at the start, full after 3.3 s.
inline double starFadeIn(double time) { return ease(clampd(0.3 * time, 0.0, 1.0), 1.0); }

// "Get Ready" dissolves from time 3 until it is gone at 3 + 1/0.35 (about 5.86).
inline double getReadyCut(double time) { return clampd(0.35 * (time - 3.0), 0.0, 1.0); }

// The life figure of the head-up display: whole percent, 0 to 100.
inline std::string lifeText(double life)
{
    return std::to_string(static_cast<int>(std::clamp(life * 100.0, 0.0, 100.0)));
}
