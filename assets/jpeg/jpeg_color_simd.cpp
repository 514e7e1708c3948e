// jpeg_color_simd.cpp - YCbCr to RGBX on SSE2 (AVX2 where the processor has
// it), giving exactly the results of the conversion tables.
//
// Each table product is split so that its factor fits a 16-bit lane:
//   (91882 x + 32768) >> 16  = x  + ((26346 x + 2 * 16384) >> 16)
//   (116130 x + 32768) >> 16 = 2x + ((-14942 x + 2 * 16384) >> 16)
//   (-22554 b - 46802 r + 32768) >> 16 = -r + ((-22554 b + 18734 r + 32768) >> 16)
// and each bracket is one _mm_madd_epi16 on (value, constant) pairs.
#include "assets/jpeg/jpeg_color.h"
#include "assets/jpeg/jpeg_simd.h"

namespace {

// (a * ca + b * cb) >> 16 for 8 lanes, with 32-bit products.
GW_SIMD_INLINE __m128i maddShift(__m128i a, __m128i b, __m128i constants, __m128i add)
{
    const __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(a, b), constants);
    const __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(a, b), constants);
    return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(lo, add), 16), _mm_srai_epi32(_mm_add_epi32(hi, add), 16));
}

struct Terms128 {
    __m128i red, green, blue;
};

// The chroma part of 8 pixels (chroma already centred): what each of R, G and B adds to Y.
GW_SIMD_INLINE Terms128 chromaTerms8(__m128i cb, __m128i cr)
{
    const __m128i two = _mm_set1_epi16(2);
    const __m128i none = _mm_setzero_si128();
    Terms128 t;
    t.red = _mm_add_epi16(cr, maddShift(cr, two, _mm_set1_epi32((16384 << 16) | 26346), none));
    t.blue = _mm_add_epi16(_mm_add_epi16(cb, cb),
                           maddShift(cb, two, _mm_set1_epi32((16384 << 16) | uint16_t(-14942)), none));
    t.green = _mm_sub_epi16(maddShift(cb, cr, _mm_set1_epi32((18734 << 16) | uint16_t(-22554)), _mm_set1_epi32(32768)),
                            cr);
    return t;
}

// Y of 8 pixels as 16-bit lanes plus their chroma terms, as 32 bytes of RGBX.
GW_SIMD_INLINE void store8(__m128i y, const Terms128& t, uint8_t* out)
{
    const __m128i none = _mm_setzero_si128();
    const __m128i r8 = _mm_packus_epi16(_mm_add_epi16(y, t.red), none);
    const __m128i g8 = _mm_packus_epi16(_mm_add_epi16(y, t.green), none);
    const __m128i b8 = _mm_packus_epi16(_mm_add_epi16(y, t.blue), none);
    const __m128i rg = _mm_unpacklo_epi8(r8, g8);
    const __m128i bx = _mm_unpacklo_epi8(b8, none);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(rg, bx));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(rg, bx));
}

// One line, or two lines that share their chroma samples (y2 and out2 not null).
GW_SIMD_INLINE void convertLines(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width, int chromaShift,
                                   uint8_t* out, const uint8_t* y2, uint8_t* out2)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i centre = _mm_set1_epi16(128);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i b16, r16;
        if (chromaShift) {
            const __m128i b8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb + (x >> 1)));
            const __m128i r8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr + (x >> 1)));
            b16 = _mm_unpacklo_epi8(b8, b8);  // each sample serves two pixels
            r16 = _mm_unpacklo_epi8(r8, r8);
        } else {
            b16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cb + x));
            r16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cr + x));
        }
        const Terms128 low = chromaTerms8(_mm_sub_epi16(_mm_unpacklo_epi8(b16, zero), centre),
                                          _mm_sub_epi16(_mm_unpacklo_epi8(r16, zero), centre));
        const Terms128 high = chromaTerms8(_mm_sub_epi16(_mm_unpackhi_epi8(b16, zero), centre),
                                           _mm_sub_epi16(_mm_unpackhi_epi8(r16, zero), centre));
        const __m128i y16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
        store8(_mm_unpacklo_epi8(y16, zero), low, out + x * 4);
        store8(_mm_unpackhi_epi8(y16, zero), high, out + x * 4 + 32);
        if (y2) {
            const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y2 + x));
            store8(_mm_unpacklo_epi8(second, zero), low, out2 + x * 4);
            store8(_mm_unpackhi_epi8(second, zero), high, out2 + x * 4 + 32);
        }
    }
    if (x < width) {
        const int c = x >> chromaShift;
        jpeg_ycc_to_rgbx(y + x, cb + c, cr + c, width - x, chromaShift, out + x * 4);
        if (y2)
            jpeg_ycc_to_rgbx(y2 + x, cb + c, cr + c, width - x, chromaShift, out2 + x * 4);
    }
}

void convertSse2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width, int chromaShift, uint8_t* out,
                 const uint8_t* y2, uint8_t* out2)
{
    convertLines(y, cb, cr, width, chromaShift, out, y2, out2);
}

// The AVX2 form: 16 pixels per step in 256-bit registers. Unpacks and packs
// work within 128-bit halves, so the two halves are put back in order at the end.
GW_AVX2_INLINE __m256i maddShift256(__m256i a, __m256i b, __m256i constants, __m256i add)
{
    const __m256i lo = _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), constants);
    const __m256i hi = _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), constants);
    return _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(lo, add), 16),
                              _mm256_srai_epi32(_mm256_add_epi32(hi, add), 16));
}

struct Terms256 {
    __m256i red, green, blue;
};

// The chroma part of 16 pixels: what each of R, G and B adds to Y.
GW_AVX2_INLINE Terms256 chromaTerms(__m256i cb, __m256i cr)
{
    const __m256i two = _mm256_set1_epi16(2);
    const __m256i none = _mm256_setzero_si256();
    Terms256 t;
    t.red = _mm256_add_epi16(cr, maddShift256(cr, two, _mm256_set1_epi32((16384 << 16) | 26346), none));
    t.blue = _mm256_add_epi16(_mm256_add_epi16(cb, cb),
                              maddShift256(cb, two, _mm256_set1_epi32((16384 << 16) | uint16_t(-14942)), none));
    t.green = _mm256_sub_epi16(
        maddShift256(cb, cr, _mm256_set1_epi32((18734 << 16) | uint16_t(-22554)), _mm256_set1_epi32(32768)), cr);
    return t;
}

// Y of 16 pixels plus their chroma terms, as 64 bytes of RGBX.
GW_AVX2_INLINE void store16(__m256i y, const Terms256& t, uint8_t* out)
{
    const __m256i none = _mm256_setzero_si256();
    const __m256i r8 = _mm256_packus_epi16(_mm256_add_epi16(y, t.red), none);
    const __m256i g8 = _mm256_packus_epi16(_mm256_add_epi16(y, t.green), none);
    const __m256i b8 = _mm256_packus_epi16(_mm256_add_epi16(y, t.blue), none);
    const __m256i rg = _mm256_unpacklo_epi8(r8, g8);
    const __m256i bx = _mm256_unpacklo_epi8(b8, none);
    const __m256i lo = _mm256_unpacklo_epi16(rg, bx);  // pixels 0-3 | 8-11
    const __m256i hi = _mm256_unpackhi_epi16(rg, bx);  // pixels 4-7 | 12-15
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(lo, hi, 0x31));
}

// Each term twice: the first and the second 16 pixels that 16 chroma samples cover.
GW_AVX2_INLINE void replicate(__m256i t, __m256i& first, __m256i& second)
{
    const __m256i lo = _mm256_unpacklo_epi16(t, t);  // t0 t0 .. t3 t3 | t8 t8 .. t11 t11
    const __m256i hi = _mm256_unpackhi_epi16(t, t);  // t4 t4 .. t7 t7 | t12 t12 .. t15 t15
    first = _mm256_permute2x128_si256(lo, hi, 0x20);
    second = _mm256_permute2x128_si256(lo, hi, 0x31);
}

GW_AVX2_INLINE __m256i load16(const uint8_t* p)
{
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

GW_AVX2_ENTRY void convertAvx2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width,
                               int chromaShift, uint8_t* out, const uint8_t* y2, uint8_t* out2)
{
    const __m256i centre = _mm256_set1_epi16(128);
    int x = 0;
    if (chromaShift) {
        // 32 pixels from 16 chroma samples: the chroma work is done once per sample.
        for (; x + 32 <= width; x += 32) {
            const Terms256 t = chromaTerms(_mm256_sub_epi16(load16(cb + (x >> 1)), centre),
                                           _mm256_sub_epi16(load16(cr + (x >> 1)), centre));
            Terms256 first, second;
            replicate(t.red, first.red, second.red);
            replicate(t.green, first.green, second.green);
            replicate(t.blue, first.blue, second.blue);
            store16(load16(y + x), first, out + x * 4);
            store16(load16(y + x + 16), second, out + x * 4 + 64);
            if (y2) {
                store16(load16(y2 + x), first, out2 + x * 4);
                store16(load16(y2 + x + 16), second, out2 + x * 4 + 64);
            }
        }
    } else {
        for (; x + 16 <= width; x += 16) {
            const Terms256 t = chromaTerms(_mm256_sub_epi16(load16(cb + x), centre),
                                           _mm256_sub_epi16(load16(cr + x), centre));
            store16(load16(y + x), t, out + x * 4);
            if (y2)
                store16(load16(y2 + x), t, out2 + x * 4);
        }
    }
    if (x < width) {
        const int c = x >> chromaShift;
        jpeg_ycc_to_rgbx(y + x, cb + c, cr + c, width - x, chromaShift, out + x * 4);
        if (y2)
            jpeg_ycc_to_rgbx(y2 + x, cb + c, cr + c, width - x, chromaShift, out2 + x * 4);
    }
}

}  // namespace

jpeg_color_function jpeg_select_color_conversion(bool allowAvx2)
{
    return allowAvx2 && __builtin_cpu_supports("avx2") ? convertAvx2 : convertSse2;
}
