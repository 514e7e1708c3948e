// jpeg_writer.h - writes RGB pictures as JPEG files with libjpeg-turbo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // top row first, 3 bytes per pixel

    RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3) {}
    uint8_t* at(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; }
};

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
};

bool writeJpeg(const std::string& path, const RgbImage& image, const JpegOptions& options = {});
