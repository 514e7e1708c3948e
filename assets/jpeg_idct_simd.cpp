// jpeg_idct_simd.cpp - the accurate integer inverse DCT on SSE2 (or AVX2)
// registers: the same algorithm, constants, shifts and rounding as
// jpeg_idct_accurate, with 16-bit inputs and 32-bit products
// (_mm_madd_epi16 on pairs of inputs). For every picture a JPEG encoder can
// produce the results are identical to the scalar transform; only corrupt
// data, whose coefficients overflow 16 bits, decodes differently (wrapping).
#include <immintrin.h>

#include "assets/jpeg_idct.h"

namespace {

#define GW_ALWAYS_INLINE inline __attribute__((always_inline))

constexpr int FIX(double x) { return static_cast<int>(x * 8192.0 + 0.5); }

constexpr int F0298 = FIX(0.298631336), F0390 = FIX(0.390180644), F0541 = FIX(0.541196100);
constexpr int F0765 = FIX(0.765366865), F0899 = FIX(0.899976223), F1175 = FIX(1.175875602);
constexpr int F1501 = FIX(1.501321110), F1847 = FIX(1.847759065), F1961 = FIX(1.961570560);
constexpr int F2053 = FIX(2.053119869), F2562 = FIX(2.562915447), F3072 = FIX(3.072711026);

// 8 lanes of 32 bits.
struct Wide {
    __m128i lo, hi;
};

GW_ALWAYS_INLINE __m128i pair(int a, int b) { return _mm_set1_epi32((b << 16) | static_cast<uint16_t>(a)); }

// a * ca + b * cb for 8 lanes.
GW_ALWAYS_INLINE Wide madd(__m128i a, __m128i b, __m128i constants)
{
    return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), constants), _mm_madd_epi16(_mm_unpackhi_epi16(a, b), constants)};
}

GW_ALWAYS_INLINE Wide add(Wide a, Wide b) { return {_mm_add_epi32(a.lo, b.lo), _mm_add_epi32(a.hi, b.hi)}; }
GW_ALWAYS_INLINE Wide sub(Wide a, Wide b) { return {_mm_sub_epi32(a.lo, b.lo), _mm_sub_epi32(a.hi, b.hi)}; }

template <int Shift>
GW_ALWAYS_INLINE __m128i narrow(Wide a)
{
    return _mm_packs_epi32(_mm_srai_epi32(a.lo, Shift), _mm_srai_epi32(a.hi, Shift));
}

GW_ALWAYS_INLINE void transpose(__m128i* r)
{
    const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
    const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
    const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
    const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    r[0] = _mm_unpacklo_epi64(b0, b4);
    r[1] = _mm_unpackhi_epi64(b0, b4);
    r[2] = _mm_unpacklo_epi64(b1, b5);
    r[3] = _mm_unpackhi_epi64(b1, b5);
    r[4] = _mm_unpacklo_epi64(b2, b6);
    r[5] = _mm_unpackhi_epi64(b2, b6);
    r[6] = _mm_unpacklo_epi64(b3, b7);
    r[7] = _mm_unpackhi_epi64(b3, b7);
}

// One 1-D pass; `rounding` is added to the even terms, results are shifted by Shift.
template <int Shift>
GW_ALWAYS_INLINE void pass(__m128i* r, __m128i rounding)
{
    // Even part: inputs 2 and 6 rotated, 0 and 4 summed, in 32 bits.
    const Wide t3 = madd(r[2], r[6], pair(F0541 + F0765, F0541));
    const Wide t2 = madd(r[2], r[6], pair(F0541, F0541 - F1847));
    Wide t0 = madd(r[0], r[4], pair(8192, 8192));
    Wide t1 = madd(r[0], r[4], pair(8192, -8192));
    t0 = {_mm_add_epi32(t0.lo, rounding), _mm_add_epi32(t0.hi, rounding)};
    t1 = {_mm_add_epi32(t1.lo, rounding), _mm_add_epi32(t1.hi, rounding)};
    const Wide e10 = add(t0, t3), e13 = sub(t0, t3), e11 = add(t1, t2), e12 = sub(t1, t2);

    // Odd part, with z5 folded into the two shared terms.
    const __m128i z3 = _mm_add_epi16(r[7], r[3]);
    const __m128i z4 = _mm_add_epi16(r[5], r[1]);
    const Wide z3t = madd(z3, z4, pair(F1175 - F1961, F1175));
    const Wide z4t = madd(z3, z4, pair(F1175, F1175 - F0390));
    const Wide o0 = add(madd(r[7], r[1], pair(F0298 - F0899, -F0899)), z3t);
    const Wide o3 = add(madd(r[7], r[1], pair(-F0899, F1501 - F0899)), z4t);
    const Wide o1 = add(madd(r[5], r[3], pair(F2053 - F2562, -F2562)), z4t);
    const Wide o2 = add(madd(r[5], r[3], pair(-F2562, F3072 - F2562)), z3t);

    r[0] = narrow<Shift>(add(e10, o3));
    r[7] = narrow<Shift>(sub(e10, o3));
    r[1] = narrow<Shift>(add(e11, o2));
    r[6] = narrow<Shift>(sub(e11, o2));
    r[2] = narrow<Shift>(add(e12, o1));
    r[5] = narrow<Shift>(sub(e12, o1));
    r[3] = narrow<Shift>(add(e13, o0));
    r[4] = narrow<Shift>(sub(e13, o0));
}

GW_ALWAYS_INLINE void idct(const int16_t* coefficients, const uint16_t* quant, uint8_t* out, int stride)
{
    __m128i r[8];
    for (int k = 0; k < 8; ++k)
        r[k] = _mm_mullo_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(coefficients + k * 8)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + k * 8)));
    pass<11>(r, _mm_set1_epi32(1024));  // columns
    transpose(r);
    pass<18>(r, _mm_set1_epi32((1 << 17) + (128 << 18)));  // rows, with the level shift
    transpose(r);
    for (int k = 0; k < 8; k += 2) {
        const __m128i bytes = _mm_packus_epi16(r[k], r[k + 1]);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k * stride), bytes);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (k + 1) * stride), _mm_srli_si128(bytes, 8));
    }
}

void idctSse2(const int16_t* coefficients, const uint16_t* quant, uint8_t* out, int stride)
{
    idct(coefficients, quant, out, stride);
}

__attribute__((target("avx2"))) void idctAvx2(const int16_t* coefficients, const uint16_t* quant, uint8_t* out,
                                              int stride)
{
    idct(coefficients, quant, out, stride);
}

}  // namespace

jpeg_accurate_idct_function jpeg_select_accurate_idct(bool allowAvx2)
{
    return allowAvx2 && __builtin_cpu_supports("avx2") ? idctAvx2 : idctSse2;
}
