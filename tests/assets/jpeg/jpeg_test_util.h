// jpeg_test_util.h - running the game's JPEG decoder in the tests and
// comparing its output with libjpeg-turbo's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/jpeg/jpeg_oracle.h"

struct OurDecode {
    int32_t constructError = 0;
    int32_t startResult = 0;
    int32_t errorCode = 0;
    int width = 0;
    int height = 0;
    int components = 0;
    int linesDelivered = 0;
    int32_t lastLineResult = 0;       // what the call after the last good line returned
    std::vector<uint8_t> pixels;      // RGB (alpha byte dropped) or grey, top row first
    bool fourthByteAlwaysZero = true;
    bool lineLengthsRight = true;
    // A second decode through decode_picture gave the same lines and the same end.
    bool pictureAgrees = true;
    int64_t bytesAllocated = 0;  // the decoder's budget counts at the end
    int64_t blockVisits = 0;
};

// The decoder's budget for a file of this many bytes.
int64_t memoryBudget(size_t fileBytes);
int64_t visitBudget(size_t fileBytes);

OurDecode decodeWithOurs(const std::vector<uint8_t>& file, bool fast = false);

struct Difference {
    int maxError = 0;
    double psnr = 1e9;
};

Difference compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

// Segments of a JPEG file up to its first scan, for editing header fields.
struct JpegSegments {
    struct Segment {
        uint8_t marker;
        std::vector<uint8_t> payload;  // without the length field
    };
    std::vector<Segment> segments;     // after SOI, up to and including the first SOS
    std::vector<uint8_t> tail;         // entropy data and everything after it

    explicit JpegSegments(const std::vector<uint8_t>& file);
    Segment* find(uint8_t marker);
    std::vector<uint8_t> bytes() const;
};
