// texture_pixels.cpp - decoding to RGB, alpha merge, normal map, noise.
#include "assets/texture_pixels.h"

#include <cmath>

#include "assets/jpeg/jpeg_decoder.h"
#include "base/crt_random.h"

PixelBuffer decodeToRgbBottomUp(jpeg_decoder& decoder)
{
    PixelBuffer out(decoder.width(), decoder.height(), 3);
    if (decoder.start_decoding() != 0)
        return out;
    const int bytesPerPixel = decoder.bytes_per_pixel();
    for (int i = 0; i < out.height; ++i) {
        const uint8_t* line = nullptr;
        uint32_t length = 0;
        if (decoder.decode_line(&line, &length) != 0)
            break;  // a damaged file: what was decoded is kept
        uint8_t* row = out.row(out.height - 1 - i);
        for (int x = 0; x < out.width; ++x) {
            const uint8_t* pixel = line + x * bytesPerPixel;
            row[x * 3 + 0] = pixel[0];
            row[x * 3 + 1] = bytesPerPixel == 1 ? pixel[0] : pixel[1];
            row[x * 3 + 2] = bytesPerPixel == 1 ? pixel[0] : pixel[2];
        }
    }
    return out;
}

PixelBuffer mergeAlphaFromGreen(const PixelBuffer& colour, const PixelBuffer& alphaSource)
{
    PixelBuffer out(alphaSource.width, alphaSource.height, 4);
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* rgb = colour.row(y);
        const uint8_t* alpha = alphaSource.row(y);
        uint8_t* rgba = out.row(y);
        for (int x = 0; x < out.width; ++x) {
            rgba[x * 4 + 0] = rgb[x * 3 + 0];
            rgba[x * 4 + 1] = rgb[x * 3 + 1];
            rgba[x * 4 + 2] = rgb[x * 3 + 2];
            rgba[x * 4 + 3] = alpha[x * 3 + 1];
        }
    }
    return out;
}

PixelBuffer makeNormalMap(const PixelBuffer& heights)
{
    const int w = heights.width;
    const int h = heights.height;
    PixelBuffer out(w, h, 3);
    // y counts from the top of the picture; the buffers are stored bottom-up.
    auto height = [&](int x, int y) {
        x = (x + w) % w;
        y = (y + h) % h;
        return heights.row(h - 1 - y)[x * 3] / 255.0f;
    };
    auto toByte = [](float v) { return static_cast<uint8_t>((v + 1.0f) * 0.5f * 255.0f); };
    for (int y = 0; y < h; ++y) {
        uint8_t* row = out.row(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const float nx = (height(x - 1, y - 1) + 2.0f * height(x - 1, y) + height(x - 1, y + 1)) -
                             (height(x + 1, y - 1) + 2.0f * height(x + 1, y) + height(x + 1, y + 1));
            const float ny = (height(x - 1, y + 1) + 2.0f * height(x, y + 1) + height(x + 1, y + 1)) -
                             (height(x - 1, y - 1) + 2.0f * height(x, y - 1) + height(x + 1, y - 1));
            const float inv = 1.0f / std::sqrt(nx * nx + ny * ny + 1.0f);
            row[x * 3 + 0] = toByte(nx * inv);
            row[x * 3 + 1] = toByte(ny * inv);
            row[x * 3 + 2] = toByte(inv);
        }
    }
    return out;
}

std::vector<uint8_t> makeNoiseBytes(int width, int height)
{
    std::vector<uint8_t> bytes(size_t(width) * height * 4);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(crtRand() % 255);
    return bytes;
}
