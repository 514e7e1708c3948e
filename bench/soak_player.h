// soak_player.h - the scripted player of the soak runs.
//
// It sweeps across the half-pipe, pulls back and forth and holds the fire
// button (released for one frame every 3 s). Holding the right button carries
// it through a level to the end; without it, levels end by lost life.
#pragma once

#include <cmath>

#include "game/game_rules.h"

inline GameControls soakControls(double t, bool holdRight)
{
    GameControls c;
    c.mouseX = 5.0 + 6.0 * std::sin(0.7 * t);
    c.mouseY = 5.0 + 5.0 * std::sin(0.3 * t);
    c.leftButton = std::fmod(t, 3.0) > 0.02;
    c.rightButton = holdRight;
    return c;
}

// Which levels the soak plays to the end; the others are lost.
enum class SoakLevels { Alternate, AllCompleted, AllLost };

inline bool soakHoldsRight(SoakLevels mode, int level)
{
    switch (mode) {
    case SoakLevels::AllCompleted: return true;
    case SoakLevels::AllLost: return false;
    default: return level % 2 == 1;
    }
}

// Resident memory of this process in KiB (VmRSS), 0 where /proc is missing.
long residentKiB();
