// jpeg_color.h - YCbCr to RGB (JFIF) for the JPEG decoder's output lines,
// and the interleaving of files stored as RGB.
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

// One line, or with y2 and out2 (else null) a second line whose pixels take
// the same chroma samples, as the two lines of a vertically subsampled row do.
using jpeg_color_function = void (*)(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width,
                                     int chromaShift, uint8_t* out, const uint8_t* y2, uint8_t* out2);

// The same conversion on vector registers (identical results), for this
// processor: AVX2 where it has it (and allowAvx2), else SSE2. The chroma
// terms of two lines are computed once.
jpeg_color_function jpeg_select_color_conversion(bool allowAvx2 = true);

// Three planes stored as RGB (no colour transform) interleaved into RGBX; the
// second and third are upsampled by replication like chroma.
void jpeg_rgb_to_rgbx(const uint8_t* red, const uint8_t* green, const uint8_t* blue, int width, int shift,
                      uint8_t* out);
