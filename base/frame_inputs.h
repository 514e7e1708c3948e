// frame_inputs.h - the per-frame input record the shell hands to every part.
//
// The shell fills one FrameInputs each frame (mouse, buttons, keys, time) and
// passes it by pointer to the game part's draw. The record copies by value as
// a whole; the markers array copies element by element, so a copy never shares
// storage with its source.
#pragma once

#include <cstdint>
#include <vector>

#include "base/vec3.h"

struct FrameInputs {
    double mouseX = 0.0;  // (cursor x - 400) * 7 / 400
    double mouseY = 0.0;  // (cursor y - 300) * 7 / 300
    double wheel = 0.0;   // accumulated wheel travel, 0.2 per notch
    double arrowX = 0.0;  // moved by Left/Right
    double arrowY = 0.0;  // moved by Up/Down
    int32_t leftButton = 0;
    int32_t rightButton = 0;
    double markerX = 0.0;
    double markerY = 0.0;
    double markerZ = 0.0;
    bool flagsA[32] = {};
    bool flagsB[32] = {};
    double time = 0.0;         // demo time after this frame's advance
    std::vector<Vec3> markers; // one per middle-button click
    int32_t eventId = 0;       // reserved
    int32_t modeWord = 0;      // set to 0 every frame
    float spectrum[512] = {};  // reserved, stays zero
    double values[32] = {};    // free parameters; the shell writes [10] during the exit fade
    int32_t keyStates[256] = {};
    Vec3 markerDefault{VEC_PLAIN, 0.0f, 0.0f, 0.0f};
    int32_t trailing[2] = {};
};
