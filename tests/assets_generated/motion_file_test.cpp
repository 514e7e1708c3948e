// "meshes/try1.sav": a minute and more of 28-byte records of a small, smooth
// wobble that loops without a jump.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "assets_generated/built_assets.h"

namespace {

struct Record {
    float x, y, z;
    double a, b;
};

std::vector<Record> records(const std::vector<uint8_t>& bytes)
{
    std::vector<Record> out;
    for (size_t at = 0; at + 28 <= bytes.size(); at += 28) {
        Record r;
        std::memcpy(&r.x, &bytes[at], 4);
        std::memcpy(&r.y, &bytes[at + 4], 4);
        std::memcpy(&r.z, &bytes[at + 8], 4);
        std::memcpy(&r.a, &bytes[at + 12], 8);
        std::memcpy(&r.b, &bytes[at + 20], 8);
        out.push_back(r);
    }
    return out;
}

}  // namespace

TEST(GeneratedMotion, SmallSmoothWobbleThatLoops)
{
    const std::vector<uint8_t> bytes = readBytes(builtAsset("meshes/try1.sav"));
    EXPECT_EQ(bytes.size() % 28, 0u);  // whole records only
    const std::vector<Record> r = records(bytes);
    ASSERT_GE(r.size(), 2100u);  // at least a minute at 35 per second
    double maxStep = 0, maxPosition = 0, maxAngle = 0;
    for (size_t i = 0; i < r.size(); ++i) {
        ASSERT_TRUE(std::isfinite(r[i].x) && std::isfinite(r[i].y) && std::isfinite(r[i].z));
        ASSERT_TRUE(std::isfinite(r[i].a) && std::isfinite(r[i].b));
        maxPosition = std::max({maxPosition, std::fabs(double(r[i].x)), std::fabs(double(r[i].y)), std::fabs(double(r[i].z))});
        maxAngle = std::max(maxAngle, std::fabs(r[i].a));
        const Record& next = r[(i + 1) % r.size()];  // includes the wrap back to the start
        maxStep = std::max({maxStep, std::fabs(double(next.x - r[i].x)), std::fabs(double(next.y - r[i].y))});
    }
    EXPECT_GT(maxPosition, 0.5);   // it moves
    EXPECT_LT(maxPosition, 8.0);   // by a few units
    EXPECT_GT(maxAngle, 0.005);
    EXPECT_LT(maxAngle, 0.2);      // a small angle
    EXPECT_LT(maxStep, 0.5);       // no jumps, also across the loop
}
