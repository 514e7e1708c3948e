// jpeg_idct_simd.cpp - the accurate integer inverse DCT on SSE2 (or AVX2)
// registers: the same algorithm, constants, shifts and rounding as
// jpeg_idct_accurate, with 16-bit inputs and 32-bit products
// (_mm_madd_epi16 on pairs of inputs). For every picture a JPEG encoder can
// produce the results are identical to the scalar transform; only corrupt
// data, whose coefficients overflow 16 bits, decodes differently (wrapping).
#include "assets/jpeg/jpeg_idct.h"
#include "assets/jpeg/jpeg_simd.h"

namespace {

constexpr int FIX(double x) { return static_cast<int>(x * 8192.0 + 0.5); }

constexpr int F0298 = FIX(0.298631336), F0390 = FIX(0.390180644), F0541 = FIX(0.541196100);
constexpr int F0765 = FIX(0.765366865), F0899 = FIX(0.899976223), F1175 = FIX(1.175875602);
constexpr int F1501 = FIX(1.501321110), F1847 = FIX(1.847759065), F1961 = FIX(1.961570560);
constexpr int F2053 = FIX(2.053119869), F2562 = FIX(2.562915447), F3072 = FIX(3.072711026);

// 8 lanes of 32 bits.
struct Wide {
    __m128i lo, hi;
};

GW_SIMD_INLINE __m128i pair(int a, int b) { return _mm_set1_epi32((b << 16) | static_cast<uint16_t>(a)); }

// a * ca + b * cb for 8 lanes.
GW_SIMD_INLINE Wide madd(__m128i a, __m128i b, __m128i constants)
{
    return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), constants), _mm_madd_epi16(_mm_unpackhi_epi16(a, b), constants)};
}

GW_SIMD_INLINE Wide add(Wide a, Wide b) { return {_mm_add_epi32(a.lo, b.lo), _mm_add_epi32(a.hi, b.hi)}; }
GW_SIMD_INLINE Wide sub(Wide a, Wide b) { return {_mm_sub_epi32(a.lo, b.lo), _mm_sub_epi32(a.hi, b.hi)}; }

template <int Shift>
GW_SIMD_INLINE __m128i narrow(Wide a)
{
    return _mm_packs_epi32(_mm_srai_epi32(a.lo, Shift), _mm_srai_epi32(a.hi, Shift));
}

// One 1-D pass; `rounding` is added to the even terms, results are shifted by Shift.
template <int Shift>
GW_SIMD_INLINE void pass(__m128i* r, __m128i rounding)
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

GW_SIMD_INLINE void idct(const int16_t* coefficients, const uint16_t* quant, uint8_t* out, int stride)
{
    __m128i r[8];
    for (int k = 0; k < 8; ++k)
        r[k] = _mm_mullo_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(coefficients + k * 8)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(quant + k * 8)));
    pass<11>(r, _mm_set1_epi32(1024));  // columns
    jpeg_simd::transpose8x8(r);
    pass<18>(r, _mm_set1_epi32((1 << 17) + (128 << 18)));  // rows, with the level shift
    jpeg_simd::transpose8x8(r);
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

GW_AVX2_ENTRY void idctAvx2(const int16_t* coefficients, const uint16_t* quant, uint8_t* out,
                            int stride)
{
    idct(coefficients, quant, out, stride);
}

// --- two blocks at once: block A in the low 128-bit half of each register,
// block B in the high half. Unpacks and packs work within halves, so every
// step above carries over unchanged.

struct Wide2 {
    __m256i lo, hi;
};

GW_AVX2_INLINE __m256i pair2(int a, int b) { return _mm256_set1_epi32((b << 16) | static_cast<uint16_t>(a)); }

GW_AVX2_INLINE Wide2 madd2(__m256i a, __m256i b, __m256i constants)
{
    return {_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), constants),
            _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), constants)};
}

GW_AVX2_INLINE Wide2 add2(Wide2 a, Wide2 b) { return {_mm256_add_epi32(a.lo, b.lo), _mm256_add_epi32(a.hi, b.hi)}; }
GW_AVX2_INLINE Wide2 sub2(Wide2 a, Wide2 b) { return {_mm256_sub_epi32(a.lo, b.lo), _mm256_sub_epi32(a.hi, b.hi)}; }

template <int Shift>
GW_AVX2_INLINE __m256i narrow2(Wide2 a)
{
    return _mm256_packs_epi32(_mm256_srai_epi32(a.lo, Shift), _mm256_srai_epi32(a.hi, Shift));
}

template <int Shift>
GW_AVX2_INLINE void pass2(__m256i* r, __m256i rounding)
{
    const Wide2 t3 = madd2(r[2], r[6], pair2(F0541 + F0765, F0541));
    const Wide2 t2 = madd2(r[2], r[6], pair2(F0541, F0541 - F1847));
    Wide2 t0 = madd2(r[0], r[4], pair2(8192, 8192));
    Wide2 t1 = madd2(r[0], r[4], pair2(8192, -8192));
    t0 = {_mm256_add_epi32(t0.lo, rounding), _mm256_add_epi32(t0.hi, rounding)};
    t1 = {_mm256_add_epi32(t1.lo, rounding), _mm256_add_epi32(t1.hi, rounding)};
    const Wide2 e10 = add2(t0, t3), e13 = sub2(t0, t3), e11 = add2(t1, t2), e12 = sub2(t1, t2);

    const __m256i z3 = _mm256_add_epi16(r[7], r[3]);
    const __m256i z4 = _mm256_add_epi16(r[5], r[1]);
    const Wide2 z3t = madd2(z3, z4, pair2(F1175 - F1961, F1175));
    const Wide2 z4t = madd2(z3, z4, pair2(F1175, F1175 - F0390));
    const Wide2 o0 = add2(madd2(r[7], r[1], pair2(F0298 - F0899, -F0899)), z3t);
    const Wide2 o3 = add2(madd2(r[7], r[1], pair2(-F0899, F1501 - F0899)), z4t);
    const Wide2 o1 = add2(madd2(r[5], r[3], pair2(F2053 - F2562, -F2562)), z4t);
    const Wide2 o2 = add2(madd2(r[5], r[3], pair2(-F2562, F3072 - F2562)), z3t);

    r[0] = narrow2<Shift>(add2(e10, o3));
    r[7] = narrow2<Shift>(sub2(e10, o3));
    r[1] = narrow2<Shift>(add2(e11, o2));
    r[6] = narrow2<Shift>(sub2(e11, o2));
    r[2] = narrow2<Shift>(add2(e12, o1));
    r[5] = narrow2<Shift>(sub2(e12, o1));
    r[3] = narrow2<Shift>(add2(e13, o0));
    r[4] = narrow2<Shift>(sub2(e13, o0));
}

GW_AVX2_INLINE __m256i halves(const void* low, const void* high)
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(low))),
                                   _mm_loadu_si128(static_cast<const __m128i*>(high)), 1);
}

template <bool Clear>
GW_AVX2_INLINE void idctPair(int16_t* a, const uint16_t* quantA, uint8_t* outA, int strideA, int16_t* b,
                               const uint16_t* quantB, uint8_t* outB, int strideB)
{
    __m256i r[8];
    for (int k = 0; k < 8; ++k)
        r[k] = _mm256_mullo_epi16(halves(a + k * 8, b + k * 8), halves(quantA + k * 8, quantB + k * 8));
    if (Clear) {
        // Written out: as a loop the compiler makes it a string store, slow at this size.
        const __m256i zero = _mm256_setzero_si256();
        __m256i* va = reinterpret_cast<__m256i*>(a);
        __m256i* vb = reinterpret_cast<__m256i*>(b);
        _mm256_storeu_si256(va, zero);
        _mm256_storeu_si256(va + 1, zero);
        _mm256_storeu_si256(va + 2, zero);
        _mm256_storeu_si256(va + 3, zero);
        _mm256_storeu_si256(vb, zero);
        _mm256_storeu_si256(vb + 1, zero);
        _mm256_storeu_si256(vb + 2, zero);
        _mm256_storeu_si256(vb + 3, zero);
    }
    pass2<11>(r, _mm256_set1_epi32(1024));
    jpeg_simd::transpose8x8(r);
    pass2<18>(r, _mm256_set1_epi32((1 << 17) + (128 << 18)));
    jpeg_simd::transpose8x8(r);
    for (int k = 0; k < 8; k += 2) {
        const __m256i bytes = _mm256_packus_epi16(r[k], r[k + 1]);  // rows k, k + 1 of A | of B
        const __m128i rowsA = _mm256_castsi256_si128(bytes);
        const __m128i rowsB = _mm256_extracti128_si256(bytes, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(outA + k * strideA), rowsA);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(outA + (k + 1) * strideA), _mm_unpackhi_epi64(rowsA, rowsA));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(outB + k * strideB), rowsB);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(outB + (k + 1) * strideB), _mm_unpackhi_epi64(rowsB, rowsB));
    }
}

GW_AVX2_ENTRY void idctPairAvx2(int16_t* a, const uint16_t* quantA, uint8_t* outA, int strideA, int16_t* b,
                                const uint16_t* quantB, uint8_t* outB, int strideB)
{
    idctPair<false>(a, quantA, outA, strideA, b, quantB, outB, strideB);
}

GW_AVX2_ENTRY void idctPairClearingAvx2(int16_t* a, const uint16_t* quantA, uint8_t* outA, int strideA, int16_t* b,
                                        const uint16_t* quantB, uint8_t* outB, int strideB)
{
    idctPair<true>(a, quantA, outA, strideA, b, quantB, outB, strideB);
}

// True when every coefficient but the first is zero.
GW_AVX2_ENTRY bool dcOnlyAvx2(const int16_t* block)
{
    const __m256i* v = reinterpret_cast<const __m256i*>(block);
    const __m256i notDc = _mm256_setr_epi16(0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m256i first = _mm256_and_si256(_mm256_loadu_si256(v), notDc);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(first, _mm256_loadu_si256(v + 1)),
                                        _mm256_or_si256(_mm256_loadu_si256(v + 2), _mm256_loadu_si256(v + 3)));
    return _mm256_testz_si256(any, any);
}


// Without AVX2: one block after the other.
void idctPairSse2(int16_t* a, const uint16_t* quantA, uint8_t* outA, int strideA, int16_t* b,
                  const uint16_t* quantB, uint8_t* outB, int strideB)
{
    idct(a, quantA, outA, strideA);
    idct(b, quantB, outB, strideB);
}

void idctPairClearingSse2(int16_t* a, const uint16_t* quantA, uint8_t* outA, int strideA, int16_t* b,
                          const uint16_t* quantB, uint8_t* outB, int strideB)
{
    idctPairSse2(a, quantA, outA, strideA, b, quantB, outB, strideB);
    jpeg_clear_block(a);
    jpeg_clear_block(b);
}

bool dcOnlySse2(const int16_t* block)
{
    const __m128i* v = reinterpret_cast<const __m128i*>(block);
    __m128i any = _mm_and_si128(_mm_loadu_si128(v), _mm_set_epi16(-1, -1, -1, -1, -1, -1, -1, 0));
    for (int k = 1; k < 8; ++k)
        any = _mm_or_si128(any, _mm_loadu_si128(v + k));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF;
}

bool hasAvx2() { return __builtin_cpu_supports("avx2"); }

}  // namespace

jpeg_accurate_idct_function jpeg_select_accurate_idct(bool allowAvx2)
{
    return allowAvx2 && hasAvx2() ? idctAvx2 : idctSse2;
}

jpeg_accurate_idct_pair_function jpeg_select_accurate_idct_pair(bool clear, bool allowAvx2)
{
    if (allowAvx2 && hasAvx2())
        return clear ? idctPairClearingAvx2 : idctPairAvx2;
    return clear ? idctPairClearingSse2 : idctPairSse2;
}

jpeg_dc_only_function jpeg_select_dc_only_test(bool allowAvx2)
{
    return allowAvx2 && hasAvx2() ? dcOnlyAvx2 : dcOnlySse2;
}

void jpeg_clear_block(int16_t* coefficients)
{
    // Written out: as a loop the compiler makes it a string store, slow at this size.
    const __m128i zero = _mm_setzero_si128();
    __m128i* v = reinterpret_cast<__m128i*>(coefficients);
    _mm_storeu_si128(v, zero);
    _mm_storeu_si128(v + 1, zero);
    _mm_storeu_si128(v + 2, zero);
    _mm_storeu_si128(v + 3, zero);
    _mm_storeu_si128(v + 4, zero);
    _mm_storeu_si128(v + 5, zero);
    _mm_storeu_si128(v + 6, zero);
    _mm_storeu_si128(v + 7, zero);
}
