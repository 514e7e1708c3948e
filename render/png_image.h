// png_image.h - PNG files of RGBA pictures, through Debian's stb.
//
// savePng writes 8-bit RGB (or RGBA); loadPng reads whatever stb_image
// reads (PNG of any depth and colour type among others) as 8-bit RGBA,
// opaque when the file has no alpha. Pixels are kept
// bottom row first, as glReadPixels gives them; the files are top row first.
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
