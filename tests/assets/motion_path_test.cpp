#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <unistd.h>

#include "assets/motion_path.h"

namespace {

struct Record {
    float x, y, z;
    double a, b;
};

// Serialises records in the file's little-endian layout, byte by byte.
std::vector<unsigned char> encode(const std::vector<Record>& records)
{
    std::vector<unsigned char> bytes;
    auto put = [&](const void* p, int size) {
        unsigned char raw[8];
        std::memcpy(raw, p, size);
        uint64_t bits = 0;
        for (int k = size - 1; k >= 0; --k)  // host order to a number...
            bits = (bits << 8) | raw[k];
        for (int k = 0; k < size; ++k)  // ...and out least significant first
            bytes.push_back(static_cast<unsigned char>(bits >> (8 * k)));
    };
    for (const Record& r : records) {
        put(&r.x, 4);
        put(&r.y, 4);
        put(&r.z, 4);
        put(&r.a, 8);
        put(&r.b, 8);
    }
    return bytes;
}

std::string writeTemp(const std::string& name, const std::vector<unsigned char>& bytes)
{
    std::string path = testing::TempDir() + std::to_string(getpid()) + "_" + name;  // unique per process
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

// Noisy tracks: a slow wave for a, a ramp for b, each with a fast wobble.
std::vector<Record> noisyRecords(int n)
{
    std::vector<Record> records;
    for (int i = 0; i < n; ++i) {
        double wobble = (i % 2 == 0) ? 0.2 : -0.2;
        records.push_back({float(i), float(std::sin(i * 0.05) * 10.0), float(wobble), std::sin(i * 0.03) + wobble,
                           i * 0.01 + wobble});
    }
    return records;
}

double roughness(const std::vector<double>& track)
{
    double sum = 0.0;
    for (size_t i = 2; i < track.size(); ++i)
        sum += std::fabs(track[i] - 2.0 * track[i - 1] + track[i - 2]);
    return sum / static_cast<double>(track.size() - 2);
}

}  // namespace

TEST(MotionPath, FiftySixBytesGiveTwoSamplesAndThirtyOne)
{
    std::vector<unsigned char> bytes = encode({{1.5f, -2.0f, 3.25f, 0.1, -7.5}, {4.0f, 5.0f, 6.0f, 1e10, 0.3}});
    ASSERT_EQ(bytes.size(), 56u);
    std::string path = writeTemp("two.sav", bytes);
    MotionPath motion;
    EXPECT_NE(motion.loadMotion(path.c_str()), 0);
    ASSERT_EQ(motion.samples.size(), 2u);
    EXPECT_EQ(motion.samples[0].kind, VEC_PLAIN);
    EXPECT_EQ(motion.samples[0].x, 1.5f);
    EXPECT_EQ(motion.samples[0].y, -2.0f);
    EXPECT_EQ(motion.samples[0].z, 3.25f);
    EXPECT_EQ(motion.samples[1].x, 4.0f);
    // Too few samples to smooth: the tracks keep their exact values.
    ASSERT_EQ(motion.trackA.size(), 2u);
    ASSERT_EQ(motion.trackB.size(), 2u);
    EXPECT_EQ(motion.trackA[0], 0.1);
    EXPECT_EQ(motion.trackA[1], 1e10);
    EXPECT_EQ(motion.trackB[0], -7.5);
    EXPECT_EQ(motion.trackB[1], 0.3);
    EXPECT_EQ(motion.pathCurve.count, 2);
    std::remove(path.c_str());

    // Thirty bytes: one whole record, the two left over are ignored.
    bytes = encode({{1, 2, 3, 4, 5}});
    bytes.push_back(0xAB);
    bytes.push_back(0xCD);
    path = writeTemp("thirty.sav", bytes);
    EXPECT_NE(motion.loadMotion(path.c_str()), 0);
    ASSERT_EQ(motion.samples.size(), 1u);
    EXPECT_EQ(motion.samples[0].z, 3.0f);
    EXPECT_EQ(motion.trackA, std::vector<double>{4.0});
    EXPECT_EQ(motion.trackB, std::vector<double>{5.0});
    std::remove(path.c_str());
}

TEST(MotionPath, MissingFileLeavesThePathAsItWas)
{
    MotionPath motion;
    std::vector<unsigned char> bytes = encode(noisyRecords(3));
    motion.loadMotionBytes(bytes.data(), bytes.size());
    EXPECT_EQ(motion.loadMotion((testing::TempDir() + "no_such.sav").c_str()), 0);
    EXPECT_EQ(motion.loadMotion(testing::TempDir().c_str()), 0);  // a folder
    EXPECT_EQ(motion.samples.size(), 3u);
    EXPECT_EQ(motion.trackA.size(), 3u);
    EXPECT_EQ(motion.pathCurve.count, 3);
}

TEST(MotionPath, LongFileSmoothsBothTracks)
{
    const int n = 400;
    std::vector<Record> records = noisyRecords(n);
    std::vector<unsigned char> bytes = encode(records);
    MotionPath motion;
    motion.loadMotionBytes(bytes.data(), bytes.size());
    ASSERT_EQ(motion.samples.size(), size_t(n));
    ASSERT_EQ(motion.pathCurve.count, n);
    ASSERT_EQ(motion.trackACurve.count, n);
    ASSERT_EQ(motion.trackBCurve.count, n);

    std::vector<double> rawA, rawB;
    for (const Record& r : records) {
        rawA.push_back(r.a);
        rawB.push_back(r.b);
    }
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(motion.trackA[i], motion.trackACurve.points[i].y);
        EXPECT_EQ(motion.trackB[i], motion.trackBCurve.points[i].y);
        EXPECT_EQ(motion.samples[i].x, float(i));  // the raw samples are kept
    }
    EXPECT_LT(roughness(motion.trackA), roughness(rawA) / 20.0);
    EXPECT_LT(roughness(motion.trackB), roughness(rawB) / 20.0);
    // Smoothing keeps the shape: the ramp still climbs from about 0 to 4.
    EXPECT_NEAR(motion.trackB[0], 0.2, 0.05);
    EXPECT_NEAR(motion.trackB[n / 2], 2.0, 0.3);
    // The path curve runs along the samples' x from start to (nearly) end.
    EXPECT_NEAR(motion.pathCurve.points[0].x, 0.0f, 0.01f);
    EXPECT_GT(motion.pathCurve.points[n - 1].x, n * 0.9f);
}

TEST(MotionPath, ShortFilesKeepTracksWithoutAFullCurve)
{
    // 4 to 19 samples empty or nearly empty the coarse curves; up to 79
    // (track b) and 39 (track a) the coarse pass keeps fewer than 4 points and
    // cannot be resampled back up. Such tracks keep their raw values.
    for (int n : {4, 7, 9, 10, 12, 19, 20, 30, 39, 40, 50, 79, 80}) {
        std::vector<Record> records = noisyRecords(n);
        std::vector<unsigned char> bytes = encode(records);
        MotionPath motion;
        motion.loadMotionBytes(bytes.data(), bytes.size());
        ASSERT_EQ(motion.trackA.size(), size_t(n));
        ASSERT_EQ(motion.trackB.size(), size_t(n));
        bool aSmoothed = n >= 40;
        bool bSmoothed = n >= 80;
        EXPECT_EQ(motion.trackACurve.count == n, aSmoothed) << n;
        EXPECT_EQ(motion.trackBCurve.count == n, bSmoothed) << n;
        EXPECT_EQ(motion.pathCurve.count == n, n >= 20) << n;
        int aChanged = 0, bChanged = 0;
        for (int i = 0; i < n; ++i) {
            aChanged += motion.trackA[i] != records[i].a;
            bChanged += motion.trackB[i] != records[i].b;
        }
        EXPECT_EQ(aChanged > 0, aSmoothed) << n;
        EXPECT_EQ(bChanged > 0, bSmoothed) << n;
    }
}

TEST(MotionPath, ReloadReplacesEverything)
{
    MotionPath motion;
    std::vector<unsigned char> first = encode(noisyRecords(200));
    motion.loadMotionBytes(first.data(), first.size());
    std::vector<Record> records = noisyRecords(100);
    for (Record& r : records)
        r.x += 1000.0f;
    std::vector<unsigned char> second = encode(records);
    motion.loadMotionBytes(second.data(), second.size());
    EXPECT_EQ(motion.samples.size(), 100u);
    EXPECT_EQ(motion.pathCurve.count, 100);
    EXPECT_EQ(motion.pathCurve.points.size(), 100u);
    EXPECT_GT(motion.pathCurve.points[0].x, 999.0f);
}
