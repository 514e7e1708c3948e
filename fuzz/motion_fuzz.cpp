// motion_fuzz.cpp - libFuzzer target for the motion-file reader.
//
// Also evaluates the built curves around and beyond their ends, as a replay
// would, and checks that every track keeps one value per sample and that the
// read keeps to the reader's budget.
#include <cstddef>
#include <cstdint>

#include "assets/motion_path.h"
#include "budget_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MotionPath path;
    {
        BudgetCheck budget;
        path.loadMotionBytes(data, size);
        // Three curves, each searched through once per resampling.
        budget.expectWithin(size, MOTION_BUDGET_PER_BYTE, MOTION_BUDGET_FIXED, 8, 64);
    }
    size_t n = path.samples.size();
    if (n != size / MOTION_RECORD_SIZE || path.trackA.size() != n || path.trackB.size() != n)
        __builtin_trap();
    for (const Spline* curve : {&path.pathCurve, &path.trackACurve, &path.trackBCurve}) {
        if (curve->points.size() != static_cast<size_t>(curve->count))
            __builtin_trap();
        for (float t : {-3.5f, 0.0f, 0.5f, 2.5f, static_cast<float>(n) - 1.5f, static_cast<float>(n) + 2.0f}) {
            Vec3 out;
            curve->evaluate(t, out);
        }
    }
    return 0;
}
