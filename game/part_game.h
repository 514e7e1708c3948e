// part_game.h - the game part. For now a stand-in that clears the screen.
#pragma once

#include "shell/parts.h"

class part_game final : public parts {
public:
    void draw(double* frameDelta, Renderer* renderer, FrameInputs* inputs) override;
    void init(Renderer* renderer) override;
};
