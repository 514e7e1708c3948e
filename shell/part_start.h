// part_start.h - the loader part: drawn once at start-up while the game loads.
#pragma once

#include <cstdint>

#include "game/parts.h"

class part_start final : public parts {
public:
    double startTime = 0.0;
    double lastTime = 0.0;
    int32_t loaderFrame = 0;  // added to texture slot 10 to pick the loader picture
    int32_t frameCount = 0;

    void draw(double* frameDelta, Renderer* renderer, FrameInputs* inputs) override;
    void init(Renderer* renderer) override;
};
