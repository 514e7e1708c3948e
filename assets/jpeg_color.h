// jpeg_color.h - YCbCr to RGB (JFIF) for the JPEG decoder's output lines.
//
// Fixed-point tables over x = value - 128 (16.16):
//   R = Y + crr[Cr]   G = Y + ((cbg[Cb] + crg[Cr]) >> 16)   B = Y + cbb[Cb]
// Chroma is upsampled by replication: with chromaShift 1 each Cb/Cr sample
// serves two neighbouring pixels.
#pragma once

#include <cstdint>

struct jpeg_color_tables {
    int32_t crr[256];
    int32_t cbb[256];
    int32_t crg[256];
    int32_t cbg[256];
};

const jpeg_color_tables& jpeg_get_color_tables();

// One line of 4-byte pixels (R, G, B, 0).
void jpeg_ycc_to_rgbx(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width, int chromaShift,
                      uint8_t* out);

using jpeg_color_function = void (*)(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width,
                                     int chromaShift, uint8_t* out);

// The same conversion on vector registers (identical results), for this
// processor: AVX2 where it has it (and allowAvx2), else SSE2.
jpeg_color_function jpeg_select_color_conversion(bool allowAvx2 = true);
