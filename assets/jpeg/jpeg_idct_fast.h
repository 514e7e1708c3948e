// jpeg_idct_fast.h - the fast path's 16-bit inverse DCT (SSE2, AVX2 where
// the processor has it) and its pre-scaled quantization values.
#pragma once

#include <cstdint>

// Fractional bits of the values inside the transform.
constexpr int JPEG_FAST_IDCT_BITS = 3;
// Fractional bits a pre-scaled quantization value may carry.
constexpr int JPEG_FAST_QUANT_MIN_BITS = JPEG_FAST_IDCT_BITS + 1;
constexpr int JPEG_FAST_QUANT_MAX_BITS = 14;

using jpeg_idct_function = void (*)(const int16_t* coefficients, const uint16_t* quant, int quantBits,
                                    uint8_t* out, int stride);

// Pre-scales a table (zig-zag order as read) into natural order for the fast
// transform. Returns the fractional bits chosen, or 0 when the table is too
// coarse for 16-bit lanes.
int jpeg_fast_quant(const uint16_t* zigzagTable, const uint8_t* zigzagToNatural, uint16_t* natural);

// The fast transform for this processor (AVX2 where it has it and allowAvx2,
// else SSE2). Coefficients must be 16-byte aligned.
jpeg_idct_function jpeg_select_fast_idct(bool allowAvx2 = true);

// A block with only a DC coefficient, as the fast transform would give it.
void jpeg_idct_fast_dc_only(int16_t dc, uint16_t quant0, int quantBits, uint8_t* out, int stride);

using jpeg_idct_pair_function = void (*)(const int16_t* a, const int16_t* b, const uint16_t* quant, int quantBits,
                                         uint8_t* outA, uint8_t* outB, int stride);

// Two blocks of one component at once, where the processor has AVX2 (else
// nullptr): the same results as two calls of the fast transform.
jpeg_idct_pair_function jpeg_select_fast_idct_pair(bool allowAvx2 = true);
