// png_image.cpp - PNG files through stb_image and stb_image_write (libstb);
// this file only turns the rows over and picks the channels.
#include "render/png_image.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <cstring>
#include <memory>

bool savePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba, bool keepAlpha)
{
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
        rgba.size() < size_t(width) * size_t(height) * 4)
        return false;
    const size_t bpp = keepAlpha ? 4 : 3;
    const size_t rowBytes = size_t(width) * bpp;
    std::vector<uint8_t> rows(rowBytes * size_t(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgba.data() + size_t(height - 1 - y) * size_t(width) * 4;  // top row first
        uint8_t* dst = rows.data() + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x)
            std::memcpy(dst + size_t(x) * bpp, src + size_t(x) * 4, bpp);
    }
    return stbi_write_png(path.c_str(), width, height, static_cast<int>(bpp), rows.data(),
                          static_cast<int>(rowBytes)) != 0;
}

bool loadPng(const std::string& path, PngImage& image)
{
    int width = 0, height = 0, channels = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(stbi_load(path.c_str(), &width, &height, &channels, 4),
                                                           stbi_image_free);
    if (!pixels || width <= 0 || height <= 0)
        return false;
    const size_t rowBytes = size_t(width) * 4;
    image.width = width;
    image.height = height;
    image.rgba.resize(rowBytes * size_t(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(&image.rgba[size_t(height - 1 - y) * rowBytes], pixels.get() + size_t(y) * rowBytes, rowBytes);
    return true;
}
