#include <gtest/gtest.h>

#include <cmath>

#include "base/vector_math.h"

namespace {

Vec3 undefinedVector() { return Vec3{VEC_UNDEFINED, 1.0f, 2.0f, 3.0f}; }

void expectVec(const Vec3& v, int32_t kind, float x, float y, float z, float tolerance = 0.0f)
{
    EXPECT_EQ(v.kind, kind);
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

Spline lineAlongX(int points, float spacing = 1.0f)
{
    Spline s;
    for (int i = 0; i < points; ++i)
        s.append(makeVec3(i * spacing, 0.0f, 0.0f));
    return s;
}

}  // namespace

TEST(VectorOps, UndefinedOperandGivesPlainZero)
{
    Vec3 a = makeVec3(1.0f, 2.0f, 3.0f);
    for (const Vec3& r : {add(a, undefinedVector()), add(undefinedVector(), a), sub(a, undefinedVector()),
                          sub(undefinedVector(), a), cross(a, undefinedVector()), cross(undefinedVector(), a),
                          scale(undefinedVector(), 2.0f)})
        expectVec(r, VEC_PLAIN, 0.0f, 0.0f, 0.0f);
}

TEST(VectorOps, NormalizeTagsPlainVectorsUnitZeroIncludedAndLeavesOthersAlone)
{
    Vec3 v = makeVec3(0.0f, 0.0f, 0.0f);
    normalize(v);
    expectVec(v, VEC_UNIT, 0.0f, 0.0f, 0.0f);

    v = makeVec3(0.0f, 3.0f, 4.0f);
    Vec3& same = normalize(v);
    EXPECT_EQ(&same, &v);
    expectVec(v, VEC_UNIT, 0.0f, 0.6f, 0.8f, 1e-7f);

    // Already tagged unit: left alone even when it is not of length 1.
    Vec3 tagged{VEC_UNIT, 0.0f, 2.0f, 0.0f};
    normalize(tagged);
    expectVec(tagged, VEC_UNIT, 0.0f, 2.0f, 0.0f);
    Vec3 undefined = undefinedVector();
    normalize(undefined);
    expectVec(undefined, VEC_UNDEFINED, 1.0f, 2.0f, 3.0f);
}

TEST(SplineLists, ConstructAppendClearAndCopy)
{
    Spline s(7);
    s.append(makeVec3(1, 2, 3));
    s.append(makeVec3(4, 5, 6));
    EXPECT_EQ(s.count, 2);

    // Assigning over a curve that has points replaces them: count and the
    // lists stay in step.
    Spline other = lineAlongX(5);
    other = s;
    EXPECT_EQ(other.count, 2);
    EXPECT_EQ(other.points.size(), 2u);
    EXPECT_EQ(other.points[0].x, 1.0f);

    s.reserved = 4.0;
    s.clear();
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.mode, 3);
    EXPECT_EQ(s.reserved, 0.0);
    EXPECT_TRUE(s.points.empty());
}

TEST(SplineEvaluate, PassesThroughControlPoints)
{
    Spline s;
    const float ys[] = {0.0f, 2.0f, -1.0f, 4.0f, 3.0f, 5.0f, 1.0f};
    for (int i = 0; i < 7; ++i)
        s.append(makeVec3(float(i), ys[i], 0.0f));
    for (int i = 0; i < 7; ++i) {
        Vec3 out;
        s.evaluate(float(i), out);
        EXPECT_FLOAT_EQ(out.y, ys[i]) << "t = " << i;
    }
}

TEST(SplineEvaluate, OpenCurveEndRules)
{
    Spline s = lineAlongX(5);
    s.points[0].kind = VEC_UNIT;  // the end rules copy the whole record
    s.points[4].z = 9.0f;
    Vec3 out;
    s.evaluate(-0.5f, out);
    expectVec(out, VEC_UNIT, 0.0f, 0.0f, 0.0f);
    out = makeVec3(7, 7, 7);
    s.evaluate(5.5f, out);
    expectVec(out, VEC_PLAIN, 4.0f, 0.0f, 9.0f);
    // t = n itself is not past the end: the clamped blend lands on the last
    // point and leaves the kind alone.
    out.kind = VEC_UNDEFINED;
    s.evaluate(5.0f, out);
    expectVec(out, VEC_UNDEFINED, 4.0f, 0.0f, 9.0f);
    // Huge and NaN parameters are bounded rather than cast blindly.
    s.evaluate(1e30f, out);
    EXPECT_FLOAT_EQ(out.x, 4.0f);
    s.evaluate(-1e30f, out);
    EXPECT_FLOAT_EQ(out.x, 0.0f);
    s.evaluate(NAN, out);
}

TEST(SplineEvaluate, TinyAndEmptyCurvesStayInBounds)
{
    Spline empty;
    Vec3 out = makeVec3(1, 2, 3);
    empty.evaluate(0.5f, out);
    expectVec(out, VEC_PLAIN, 1.0f, 2.0f, 3.0f);

    Spline single;
    single.append(makeVec3(3, 4, 5));
    single.evaluate(0.25f, out);
    expectVec(out, VEC_PLAIN, 3.0f, 4.0f, 5.0f);
}

TEST(SplineResample, StraightLineGivesEvenlySpacedPoints)
{
    // Unevenly spaced control points on a line.
    Spline s;
    for (float x : {0.0f, 1.0f, 3.0f, 4.0f, 6.0f, 7.0f, 9.0f})
        s.append(makeVec3(x, 2.0f * x, 0.0f));
    s.mode = 5;
    s.resample(10, 20);
    ASSERT_EQ(s.count, 10);
    ASSERT_EQ(s.points.size(), 10u);
    EXPECT_EQ(s.points2.size(), 10u);
    EXPECT_EQ(s.points3.size(), 10u);
    EXPECT_EQ(s.mode, 3);
    EXPECT_NEAR(s.points[0].x, 0.0f, 1e-6f);
    const float step = length(sub(s.points[1], s.points[0]));
    EXPECT_GT(step, 2.0f);  // at least 9 * sqrt(5) / 10
    for (int j = 1; j < 10; ++j) {
        Vec3 d = sub(s.points[j], s.points[j - 1]);
        EXPECT_NEAR(length(d), step, 0.01f * step) << "gap " << j;
        EXPECT_NEAR(s.points[j].y, 2.0f * s.points[j].x, 1e-4f);
        EXPECT_EQ(s.points2[j].x, s.points[j].x);
        EXPECT_EQ(s.points3[j].x, s.points[j].x);
    }
}

TEST(SplineResample, LeavesShortCurvesAloneAndCanEmpty)
{
    Spline s = lineAlongX(3);
    s.resample(10, 3);
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(s.points.size(), 3u);

    Spline noSteps = lineAlongX(6);
    noSteps.resample(10, 0);
    EXPECT_EQ(noSteps.count, 6);

    // Zero output points empties the curve, after which it cannot grow back.
    Spline emptied = lineAlongX(6);
    emptied.resample(0, 3);
    EXPECT_EQ(emptied.count, 0);
    EXPECT_TRUE(emptied.points.empty());
    emptied.resample(6, 3);
    EXPECT_EQ(emptied.count, 0);
}

TEST(SplineResample, CoincidentPointsAndHugeValuesStayInBounds)
{
    Spline still;
    for (int i = 0; i < 5; ++i)
        still.append(makeVec3(1.0f, 1.0f, 1.0f));
    still.resample(8, 3);
    ASSERT_EQ(still.count, 8);
    for (const Vec3& p : still.points)
        expectVec(p, VEC_PLAIN, 1.0f, 1.0f, 1.0f);

    // Lengths overflow to infinity; the search must still stay in its table.
    Spline wild;
    for (float x : {3e38f, -3e38f, 3e38f, -3e38f, 1.0f})
        wild.append(makeVec3(x, 0.0f, 0.0f));
    wild.resample(7, 3);
    EXPECT_EQ(wild.count, 7);
}
