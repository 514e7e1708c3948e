// jpeg_idct.h - 8x8 inverse DCTs of the JPEG decoder.
//
// Coefficients arrive quantized in natural order together with the
// component's quantization table; each function writes 8 rows of 8 samples
// (level-shifted by 128 and clamped to 0 ... 255).
#pragma once

#include <cstdint>

// Natural (row-major) index of zig-zag position k; entries 64 ... 79 repeat 63
// so that a run past the end of a block cannot index outside the table.
extern const uint8_t jpeg_zigzag_to_natural[80];

// The accurate integer algorithm (Loeffler-Ligtenberg-Moschytz, 13-bit
// constants), bit-exact with the reference "islow" transform.
void jpeg_idct_accurate(const int16_t* coefficients, const uint16_t* quant, uint8_t* out, int stride);

// A block whose only non-zero coefficient is DC: one flat value, exactly what
// the accurate transform gives for it.
void jpeg_idct_dc_only(int16_t dc, uint16_t quant0, uint8_t* out, int stride);

using jpeg_accurate_idct_function = void (*)(const int16_t* coefficients, const uint16_t* quant, uint8_t* out,
                                             int stride);

// The accurate transform on vector registers (SSE2, AVX2 where present):
// identical results whenever the dequantized coefficients fit 16 bits, as
// they do in every file an encoder produces. Coefficients 16-byte aligned.
jpeg_accurate_idct_function jpeg_select_accurate_idct(bool allowAvx2 = true);

using jpeg_accurate_idct_pair_function = void (*)(int16_t* a, const uint16_t* quantA, uint8_t* outA, int strideA,
                                                  int16_t* b, const uint16_t* quantB, uint8_t* outB, int strideB);

// Two blocks (of any components) through the vector transform at once: on
// AVX2 one in each half of the 256-bit registers, else one after the other.
// With clear, both coefficient blocks are left zero.
jpeg_accurate_idct_pair_function jpeg_select_accurate_idct_pair(bool clear, bool allowAvx2 = true);

using jpeg_dc_only_function = bool (*)(const int16_t* coefficients);

// True when a block's only non-zero coefficient is its first (DC).
jpeg_dc_only_function jpeg_select_dc_only_test(bool allowAvx2 = true);

// Sets the 64 coefficients of a block to zero.
void jpeg_clear_block(int16_t* coefficients);
