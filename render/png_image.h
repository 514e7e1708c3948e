// png_image.h - PNG files of RGBA pictures, compressed with zlib.
//
// savePng writes 8-bit RGB (or RGBA) with a per-row filter choice; loadPng
// reads back 8-bit RGB/RGBA non-interlaced files (what savePng writes).
// Pixels are kept bottom row first, as glReadPixels gives them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width * height * 4, bottom row first
};

bool savePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
             bool keepAlpha = false);
bool loadPng(const std::string& path, PngImage& image);
