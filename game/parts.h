// parts.h - the interface every drawable part implements.
//
// The shell creates its parts once at start-up, calls init once, then draw
// every frame. The two virtual operations keep this slot order: draw, init.
#pragma once

#include "base/frame_inputs.h"

class Renderer;

class parts {
public:
    // frameDelta: seconds since the previous frame; the part may change it.
    virtual void draw(double* frameDelta, Renderer* renderer, FrameInputs* inputs) = 0;
    virtual void init(Renderer* renderer) = 0;
};
