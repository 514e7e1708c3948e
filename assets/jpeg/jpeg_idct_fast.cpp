// jpeg_idct_fast.cpp - the fast path's inverse DCT: the Arai-Agui-Nakajima
// factorisation in 16-bit fixed point on SSE2 (or AVX2) registers.
//
// The AAN output scale s(u) s(v) is folded into the quantization table when
// it is latched (jpeg_fast_quant), so the transform itself needs only five
// multiplications per 1-D pass. Values carry JPEG_FAST_IDCT_BITS fractional
// bits through both passes; the result is descaled by those bits plus 3 (the
// gain of 8 of the two passes).
#include "assets/jpeg/jpeg_idct_fast.h"
#include "assets/jpeg/jpeg_simd.h"

#include <cmath>
#include <numbers>

namespace {

// Constant products through _mm_mulhi_epi16 (x * c / 65536) with c below 0.5,
// so no operand is shifted up and nothing overflows before the result would.
// Sums may wrap in between: 16-bit lanes are modular, only results must fit.
constexpr short fraction(double c) { return static_cast<short>(c * 65536.0 + 0.5); }

GW_SIMD_INLINE __m128i mulhi(__m128i x, short c) { return _mm_mulhi_epi16(x, _mm_set1_epi16(c)); }

// x * sqrt(2) = x + x * 0.414
GW_SIMD_INLINE __m128i timesSqrt2(__m128i x) { return _mm_add_epi16(x, mulhi(x, fraction(std::numbers::sqrt2 - 1))); }
// x * 1.082 = x + x * 0.082
GW_SIMD_INLINE __m128i times1_082(__m128i x) { return _mm_add_epi16(x, mulhi(x, fraction(1.082392200 - 1))); }
// x * 1.848 = 2x - x * 0.152
GW_SIMD_INLINE __m128i times1_848(__m128i x)
{
    return _mm_sub_epi16(_mm_add_epi16(x, x), mulhi(x, fraction(2 - 1.847759065)));
}
// x * 2.613 = 3x - x * 0.387
GW_SIMD_INLINE __m128i times2_613(__m128i x)
{
    return _mm_sub_epi16(_mm_add_epi16(_mm_add_epi16(x, x), x), mulhi(x, fraction(3 - 2.613125930)));
}

// One 1-D pass over 8 vectors: r[k] holds frequency k of 8 independent lines.
GW_SIMD_INLINE void pass(__m128i* r)
{
    // Even part.
    const __m128i e10 = _mm_add_epi16(r[0], r[4]);
    const __m128i e11 = _mm_sub_epi16(r[0], r[4]);
    const __m128i e13 = _mm_add_epi16(r[2], r[6]);
    const __m128i e12 = _mm_sub_epi16(timesSqrt2(_mm_sub_epi16(r[2], r[6])), e13);
    const __m128i t0 = _mm_add_epi16(e10, e13), t3 = _mm_sub_epi16(e10, e13);
    const __m128i t1 = _mm_add_epi16(e11, e12), t2 = _mm_sub_epi16(e11, e12);

    // Odd part.
    const __m128i z13 = _mm_add_epi16(r[5], r[3]), z10 = _mm_sub_epi16(r[5], r[3]);
    const __m128i z11 = _mm_add_epi16(r[1], r[7]), z12 = _mm_sub_epi16(r[1], r[7]);
    const __m128i t7 = _mm_add_epi16(z11, z13);
    const __m128i o11 = timesSqrt2(_mm_sub_epi16(z11, z13));
    const __m128i z5 = times1_848(_mm_add_epi16(z10, z12));
    const __m128i o10 = _mm_sub_epi16(times1_082(z12), z5);
    const __m128i o12 = _mm_sub_epi16(z5, times2_613(z10));
    const __m128i t6 = _mm_sub_epi16(o12, t7);
    const __m128i t5 = _mm_sub_epi16(o11, t6);
    const __m128i t4 = _mm_add_epi16(o10, t5);

    r[0] = _mm_add_epi16(t0, t7);
    r[7] = _mm_sub_epi16(t0, t7);
    r[1] = _mm_add_epi16(t1, t6);
    r[6] = _mm_sub_epi16(t1, t6);
    r[2] = _mm_add_epi16(t2, t5);
    r[5] = _mm_sub_epi16(t2, t5);
    r[4] = _mm_add_epi16(t3, t4);
    r[3] = _mm_sub_epi16(t3, t4);
}

GW_SIMD_INLINE void idct(const int16_t* coefficients, const uint16_t* quant, int quantBits, uint8_t* out, int stride)
{
    __m128i r[8];
    const __m128i rounding = _mm_set1_epi32(1 << (quantBits - JPEG_FAST_IDCT_BITS - 1));
    const __m128i shift = _mm_cvtsi32_si128(quantBits - JPEG_FAST_IDCT_BITS);
    for (int k = 0; k < 8; ++k) {
        // coefficient * pre-scaled quant, back to 2 fractional bits, rounded.
        const __m128i c = _mm_load_si128(reinterpret_cast<const __m128i*>(coefficients + k * 8));
        const __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + k * 8));
        const __m128i lo = _mm_mullo_epi16(c, q), hi = _mm_mulhi_epi16(c, q);
        const __m128i p0 = _mm_sra_epi32(_mm_add_epi32(_mm_unpacklo_epi16(lo, hi), rounding), shift);
        const __m128i p1 = _mm_sra_epi32(_mm_add_epi32(_mm_unpackhi_epi16(lo, hi), rounding), shift);
        r[k] = _mm_packs_epi32(p0, p1);
    }
    pass(r);  // columns
    jpeg_simd::transpose8x8(r);
    pass(r);  // rows (now in columns)
    jpeg_simd::transpose8x8(r);
    constexpr int descale = JPEG_FAST_IDCT_BITS + 3;
    const __m128i bias = _mm_set1_epi16((1 << (descale - 1)) + (128 << descale));
    for (int k = 0; k < 8; k += 2) {
        const __m128i a = _mm_srai_epi16(_mm_adds_epi16(r[k], bias), descale);
        const __m128i b = _mm_srai_epi16(_mm_adds_epi16(r[k + 1], bias), descale);
        const __m128i bytes = _mm_packus_epi16(a, b);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k * stride), bytes);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (k + 1) * stride), _mm_srli_si128(bytes, 8));
    }
}

void idctSse2(const int16_t* coefficients, const uint16_t* quant, int quantBits, uint8_t* out, int stride)
{
    idct(coefficients, quant, quantBits, out, stride);
}

GW_AVX2_ENTRY void idctAvx2(const int16_t* coefficients, const uint16_t* quant, int quantBits,
                            uint8_t* out, int stride)
{
    idct(coefficients, quant, quantBits, out, stride);
}

}  // namespace

int jpeg_fast_quant(const uint16_t* zigzagTable, const uint8_t* zigzagToNatural, uint16_t* natural)
{
    auto s = [](int k) { return k == 0 ? 1.0 : std::numbers::sqrt2 * std::cos(k * std::numbers::pi / 16.0); };
    // As many fractional bits as the table's largest scaled value allows:
    // fine tables (high quality) need the precision most.
    for (int bits = JPEG_FAST_QUANT_MAX_BITS; bits >= JPEG_FAST_QUANT_MIN_BITS; --bits) {
        bool fits = true;
        for (int k = 0; k < 64 && fits; ++k) {
            const int n = zigzagToNatural[k];
            // value * scale + 2048 >> 12, with scale = s(u) s(v) in 12 + bits bits.
            const int64_t scale = std::llround(s(n >> 3) * s(n & 7) * double(int64_t(1) << (12 + bits)));
            const int64_t scaled = (zigzagTable[k] * scale + 2048) >> 12;
            fits = scaled <= 32767;
            natural[n] = static_cast<uint16_t>(scaled);
        }
        if (fits)
            return bits;
    }
    return 0;  // too coarse for 16-bit lanes: the accurate transform takes it
}

jpeg_idct_function jpeg_select_fast_idct(bool allowAvx2)
{
    return allowAvx2 && __builtin_cpu_supports("avx2") ? idctAvx2 : idctSse2;
}

void jpeg_idct_fast_dc_only(int16_t dc, uint16_t quant0, int quantBits, uint8_t* out, int stride)
{
    const int32_t x = (dc * int32_t(quant0) + (1 << (quantBits - JPEG_FAST_IDCT_BITS - 1))) >>
                      (quantBits - JPEG_FAST_IDCT_BITS);
    constexpr int descale = JPEG_FAST_IDCT_BITS + 3;
    const int32_t v = ((x + (1 << (descale - 1))) >> descale) + 128;
    const uint8_t value = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            out[r * stride + c] = value;
}

// --- two blocks at once (AVX2) ---------------------------------------------
//
// Block A in the low 128 bits of every register, block B in the high 128
// bits; every operation works within the halves, so this is the transform
// above run twice side by side.

namespace {

GW_AVX2_INLINE __m256i mulhi256(__m256i x, short c) { return _mm256_mulhi_epi16(x, _mm256_set1_epi16(c)); }

GW_AVX2_INLINE void pass256(__m256i* r)
{
    const __m256i e10 = _mm256_add_epi16(r[0], r[4]);
    const __m256i e11 = _mm256_sub_epi16(r[0], r[4]);
    const __m256i e13 = _mm256_add_epi16(r[2], r[6]);
    const __m256i d26 = _mm256_sub_epi16(r[2], r[6]);
    const __m256i e12 = _mm256_sub_epi16(_mm256_add_epi16(d26, mulhi256(d26, fraction(std::numbers::sqrt2 - 1))), e13);
    const __m256i t0 = _mm256_add_epi16(e10, e13), t3 = _mm256_sub_epi16(e10, e13);
    const __m256i t1 = _mm256_add_epi16(e11, e12), t2 = _mm256_sub_epi16(e11, e12);

    const __m256i z13 = _mm256_add_epi16(r[5], r[3]), z10 = _mm256_sub_epi16(r[5], r[3]);
    const __m256i z11 = _mm256_add_epi16(r[1], r[7]), z12 = _mm256_sub_epi16(r[1], r[7]);
    const __m256i t7 = _mm256_add_epi16(z11, z13);
    const __m256i d1113 = _mm256_sub_epi16(z11, z13);
    const __m256i o11 = _mm256_add_epi16(d1113, mulhi256(d1113, fraction(std::numbers::sqrt2 - 1)));
    const __m256i s1012 = _mm256_add_epi16(z10, z12);
    const __m256i z5 = _mm256_sub_epi16(_mm256_add_epi16(s1012, s1012), mulhi256(s1012, fraction(2 - 1.847759065)));
    const __m256i o10 = _mm256_sub_epi16(_mm256_add_epi16(z12, mulhi256(z12, fraction(1.082392200 - 1))), z5);
    const __m256i z10x3 = _mm256_add_epi16(_mm256_add_epi16(z10, z10), z10);
    const __m256i o12 = _mm256_sub_epi16(z5, _mm256_sub_epi16(z10x3, mulhi256(z10, fraction(3 - 2.613125930))));
    const __m256i t6 = _mm256_sub_epi16(o12, t7);
    const __m256i t5 = _mm256_sub_epi16(o11, t6);
    const __m256i t4 = _mm256_add_epi16(o10, t5);

    r[0] = _mm256_add_epi16(t0, t7);
    r[7] = _mm256_sub_epi16(t0, t7);
    r[1] = _mm256_add_epi16(t1, t6);
    r[6] = _mm256_sub_epi16(t1, t6);
    r[2] = _mm256_add_epi16(t2, t5);
    r[5] = _mm256_sub_epi16(t2, t5);
    r[4] = _mm256_add_epi16(t3, t4);
    r[3] = _mm256_sub_epi16(t3, t4);
}

GW_AVX2_ENTRY void idctPairAvx2(const int16_t* a, const int16_t* b, const uint16_t* quant,
                                int quantBits, uint8_t* outA, uint8_t* outB, int stride)
{
    __m256i r[8];
    const __m256i rounding = _mm256_set1_epi32(1 << (quantBits - JPEG_FAST_IDCT_BITS - 1));
    const __m128i shift = _mm_cvtsi32_si128(quantBits - JPEG_FAST_IDCT_BITS);
    for (int k = 0; k < 8; ++k) {
        const __m256i c = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(a + k * 8))),
            _mm_load_si128(reinterpret_cast<const __m128i*>(b + k * 8)), 1);
        const __m256i q = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + k * 8)));
        const __m256i lo = _mm256_mullo_epi16(c, q), hi = _mm256_mulhi_epi16(c, q);
        const __m256i p0 = _mm256_sra_epi32(_mm256_add_epi32(_mm256_unpacklo_epi16(lo, hi), rounding), shift);
        const __m256i p1 = _mm256_sra_epi32(_mm256_add_epi32(_mm256_unpackhi_epi16(lo, hi), rounding), shift);
        r[k] = _mm256_packs_epi32(p0, p1);
    }
    pass256(r);
    jpeg_simd::transpose8x8(r);
    pass256(r);
    jpeg_simd::transpose8x8(r);
    constexpr int descale = JPEG_FAST_IDCT_BITS + 3;
    const __m256i bias = _mm256_set1_epi16((1 << (descale - 1)) + (128 << descale));
    for (int k = 0; k < 8; k += 2) {
        const __m256i x = _mm256_srai_epi16(_mm256_adds_epi16(r[k], bias), descale);
        const __m256i y = _mm256_srai_epi16(_mm256_adds_epi16(r[k + 1], bias), descale);
        const __m256i bytes = _mm256_packus_epi16(x, y);  // A rows k, k+1 | B rows k, k+1
        const __m128i rowsA = _mm256_castsi256_si128(bytes);
        const __m128i rowsB = _mm256_extracti128_si256(bytes, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(outA + k * stride), rowsA);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(outA + (k + 1) * stride), _mm_srli_si128(rowsA, 8));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(outB + k * stride), rowsB);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(outB + (k + 1) * stride), _mm_srli_si128(rowsB, 8));
    }
}

}  // namespace

jpeg_idct_pair_function jpeg_select_fast_idct_pair(bool allowAvx2)
{
    return allowAvx2 && __builtin_cpu_supports("avx2") ? idctPairAvx2 : nullptr;
}
