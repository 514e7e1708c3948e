// jpeg_oracle.h - libjpeg-turbo as the reference for the decoder tests:
// encoding test pictures in memory and decoding with the same choices as the
// game's decoder (integer IDCT, chroma by replication, RGB out).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TestPicture {
    int width = 0;
    int height = 0;
    int components = 3;          // 1 (grey) or 3 (RGB)
    std::vector<uint8_t> pixels;  // top row first, tightly packed
};

// A picture with gradients, edges and noise, so every coefficient gets work.
TestPicture makeTestPicture(int width, int height, int components, uint32_t seed = 1);

struct EncodeOptions {
    int quality = 90;
    int lumaH = 2, lumaV = 2;     // sampling of Y (Cb, Cr are 1x1)
    bool progressive = false;
    int restartInterval = 0;      // in MCUs
    bool forceBaseline = true;    // false allows 16-bit quantization tables
    bool optimizeCoding = false;
    bool separateScans = false;   // sequential, one scan per component
    bool storedAsRgb = false;     // no colour transform (libjpeg writes an Adobe marker saying so)
};

std::vector<uint8_t> encodeWithLibjpeg(const TestPicture& picture, const EncodeOptions& options = {});

struct DecodedPicture {
    bool ok = false;
    int width = 0;
    int height = 0;
    int components = 0;          // 1 or 3 (RGB)
    std::vector<uint8_t> pixels;
};

DecodedPicture decodeWithLibjpeg(const std::vector<uint8_t>& file);

std::vector<uint8_t> readFileBytes(const std::string& path);

// The shared test data folder: $GW_TESTDATA_DIR when set, else the build's default.
std::string testDataDir();
