// step_marks.h - named marks between the steps of start-up and of a drawn
// frame. A benchmark listens to time the steps (to glFinish); nothing
// listens in the game, where a mark costs one test of a null pointer.
#pragma once

using StepListener = void (*)(const char* step);

// Process-wide; null unless a benchmark or test is listening.
extern StepListener stepListener;

// The step named here has just ended.
inline void markStep(const char* step)
{
    if (stepListener)
        stepListener(step);
}
