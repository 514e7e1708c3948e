// step_marks.cpp - see step_marks.h.
#include "base/step_marks.h"

StepListener stepListener = nullptr;
