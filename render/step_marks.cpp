// step_marks.cpp - see step_marks.h.
#include "render/step_marks.h"

StepListener stepListener = nullptr;
