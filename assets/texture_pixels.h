// texture_pixels.h - the pixel work behind the texture loaders, kept apart
// from GL: decoding a JPEG into a bottom-up RGB buffer, the alpha merge, the
// normal map and the noise bytes.
//
// Buffers are tightly packed, row 0 = the bottom row of the picture (the
// order glTexImage2D expects).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class jpeg_decoder;

struct PixelBuffer {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> bytes;

    PixelBuffer() = default;
    PixelBuffer(int w, int h, int c) : width(w), height(h), channels(c), bytes(size_t(w) * h * c) {}
    uint8_t* row(int y) { return bytes.data() + size_t(y) * width * channels; }
    const uint8_t* row(int y) const { return bytes.data() + size_t(y) * width * channels; }
};

// Every line of a constructed decoder into RGB, flipped so that the first
// line lands in the last row. Grey pictures are expanded (R = G = B = Y).
// Should decoding stop early, the rows not reached stay black.
PixelBuffer decodeToRgbBottomUp(jpeg_decoder& decoder);

// Colour from `colour`, alpha from the green channel of `alphaSource`; both
// bottom-up RGB of the same size.
PixelBuffer mergeAlphaFromGreen(const PixelBuffer& colour, const PixelBuffer& alphaSource);

// Normal map of the red channel as a height field (Sobel, wrapping at the
// edges), from and to bottom-up RGB.
PixelBuffer makeNormalMap(const PixelBuffer& heights);

// width x height x 4 bytes of crtRand() % 255.
std::vector<uint8_t> makeNoiseBytes(int width, int height);
