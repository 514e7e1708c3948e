#include "game/part_game.h"

#include "render/renderer.h"

void part_game::init(Renderer* renderer) {}

void part_game::draw(double* frameDelta, Renderer* renderer, FrameInputs* inputs)
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
