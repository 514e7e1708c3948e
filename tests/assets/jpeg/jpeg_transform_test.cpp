// The vector forms of the decoder's transforms against their scalar
// definitions: colour conversion and accurate IDCT (one block or two at
// once) exactly, the fast IDCT within rounding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <vector>

#include "assets/jpeg/jpeg_color.h"
#include "assets/jpeg/jpeg_idct.h"
#include "assets/jpeg/jpeg_idct_fast.h"

TEST(JpegColor, VectorConversionMatchesTheTables)
{
    for (bool avx2 : {false, true}) {
        const jpeg_color_function convert = jpeg_select_color_conversion(avx2);
        const int width = 256 + 7;  // whole vectors and a scalar tail
        std::vector<uint8_t> y(width), y2(width), cb(width), cr(width);
        std::vector<uint8_t> expected(width * 4), expected2(width * 4), actual(width * 4), actual2(width * 4);
        for (int shift = 0; shift <= 1; ++shift) {
            for (int blue = 0; blue < 256; ++blue) {
                for (int i = 0; i < width; ++i) {
                    y[i] = static_cast<uint8_t>((i * 37 + blue * 11) & 255);
                    y2[i] = static_cast<uint8_t>((i * 91 + blue * 3) & 255);
                    cb[i] = static_cast<uint8_t>(blue);
                    cr[i] = static_cast<uint8_t>(i);  // every Cr value against this Cb
                }
                jpeg_ycc_to_rgbx(y.data(), cb.data(), cr.data(), width, shift, expected.data());
                jpeg_ycc_to_rgbx(y2.data(), cb.data(), cr.data(), width, shift, expected2.data());
                convert(y.data(), cb.data(), cr.data(), width, shift, actual.data(), nullptr, nullptr);
                ASSERT_EQ(actual, expected) << "Cb " << blue << " shift " << shift << " avx2 " << avx2;
                // Two lines over the same chroma samples.
                std::fill(actual.begin(), actual.end(), 1);
                convert(y.data(), cb.data(), cr.data(), width, shift, actual.data(), y2.data(), actual2.data());
                ASSERT_EQ(actual, expected) << "two lines, Cb " << blue << " shift " << shift << " avx2 " << avx2;
                ASSERT_EQ(actual2, expected2) << "two lines, Cb " << blue << " shift " << shift << " avx2 " << avx2;
            }
        }
    }
}

namespace {

// Coefficients an encoder could produce: |dequantized| within about 1100,
// falling with frequency; quantizers from 1 to 255.
void randomBlock(std::mt19937& random, int16_t* block, uint16_t* quant)
{
    const int q = 1 + int(random() % 255);
    const int amplitude = 1 + int(random() % 1100);
    for (int i = 0; i < 64; ++i) {
        quant[i] = static_cast<uint16_t>(std::min(255, q + i * int(random() % 4)));
        const int limit = amplitude / (1 + i / 8 + i % 8) / quant[i];
        block[i] = static_cast<int16_t>(limit ? int(random() % (2 * limit + 1)) - limit : 0);
    }
}

}  // namespace

TEST(JpegIdct, VectorAccurateTransformsMatchTheScalarOne)
{
    for (bool avx2 : {false, true}) {
        const jpeg_accurate_idct_function vectorIdct = jpeg_select_accurate_idct(avx2);
        const jpeg_accurate_idct_pair_function pairs[] = {jpeg_select_accurate_idct_pair(false, avx2),
                                                          jpeg_select_accurate_idct_pair(true, avx2)};
        const jpeg_dc_only_function dcOnly = jpeg_select_dc_only_test(avx2);
        std::mt19937 random(7);
        for (int trial = 0; trial < 10000; ++trial) {
            alignas(32) int16_t block[64], second[64];
            uint16_t quant[64], secondQuant[64];
            randomBlock(random, block, quant);
            randomBlock(random, second, secondQuant);
            uint8_t expected[64], actual[64];
            jpeg_idct_accurate(block, quant, expected, 8);
            vectorIdct(block, quant, actual, 8);
            for (int i = 0; i < 64; ++i)
                ASSERT_EQ(actual[i], expected[i]) << "trial " << trial << " pixel " << i << " avx2 " << avx2;

            // Two blocks of different tables and strides at once; the clearing
            // form leaves both blocks zero.
            const bool clear = trial & 1;
            uint8_t expectedA[8 * 24], expectedB[8 * 8], actualA[8 * 24] = {}, actualB[8 * 8] = {};
            std::fill(std::begin(expectedA), std::end(expectedA), uint8_t(0));
            jpeg_idct_accurate(block, quant, expectedA + 3, 24);
            jpeg_idct_accurate(second, secondQuant, expectedB, 8);
            pairs[clear](block, quant, actualA + 3, 24, second, secondQuant, actualB, 8);
            ASSERT_EQ(0, std::memcmp(actualA, expectedA, sizeof actualA)) << "trial " << trial << " avx2 " << avx2;
            ASSERT_EQ(0, std::memcmp(actualB, expectedB, sizeof actualB)) << "trial " << trial << " avx2 " << avx2;
            if (clear) {
                ASSERT_TRUE(std::all_of(std::begin(block), std::end(block), [](int16_t v) { return v == 0; }));
                ASSERT_TRUE(std::all_of(std::begin(second), std::end(second), [](int16_t v) { return v == 0; }));
            }
        }
        // The flat-block test looks at every coefficient but the first.
        alignas(32) int16_t block[64] = {};
        block[0] = -5;
        EXPECT_TRUE(dcOnly(block));
        for (int i = 1; i < 64; ++i) {
            block[i] = 1;
            EXPECT_FALSE(dcOnly(block)) << i;
            block[i] = 0;
        }
    }
}

TEST(JpegIdct, FastTransformStaysCloseToTheAccurateOne)
{
    // Quantizers of quality 100 (all 1) give the pre-scaled values the least room.
    uint16_t ones[64], natural[64];
    std::fill(std::begin(ones), std::end(ones), uint16_t(1));
    const int bits = jpeg_fast_quant(ones, jpeg_zigzag_to_natural, natural);
    ASSERT_GT(bits, 0);
    for (bool avx2 : {false, true}) {
        const jpeg_idct_function fast = jpeg_select_fast_idct(avx2);
        std::mt19937 random(11);
        int worst = 0;
        for (int trial = 0; trial < 10000; ++trial) {
            alignas(16) int16_t block[64];
            const int amplitude = 1 + int(random() % 600);
            for (int i = 0; i < 64; ++i) {
                const int limit = amplitude / (1 + i / 8 + i % 8);
                block[i] = static_cast<int16_t>(limit ? int(random() % (2 * limit + 1)) - limit : 0);
            }
            uint8_t expected[64], actual[64];
            jpeg_idct_accurate(block, ones, expected, 8);
            fast(block, natural, bits, actual, 8);
            for (int i = 0; i < 64; ++i)
                worst = std::max(worst, std::abs(int(actual[i]) - int(expected[i])));
        }
        EXPECT_LE(worst, 2) << "avx2 " << avx2;
    }
    // A 16-bit table too coarse for 16-bit lanes is left to the accurate transform.
    uint16_t coarse[64];
    std::fill(std::begin(coarse), std::end(coarse), uint16_t(60000));
    EXPECT_EQ(jpeg_fast_quant(coarse, jpeg_zigzag_to_natural, natural), 0);
}

TEST(JpegIdct, PairedFastTransformEqualsTwoSingleOnes)
{
    const jpeg_idct_pair_function pair = jpeg_select_fast_idct_pair();
    if (!pair)
        GTEST_SKIP() << "no AVX2 on this processor";
    const jpeg_idct_function single = jpeg_select_fast_idct(false);
    uint16_t table[64], natural[64];
    for (int k = 0; k < 64; ++k)
        table[k] = static_cast<uint16_t>(2 + k);
    const int bits = jpeg_fast_quant(table, jpeg_zigzag_to_natural, natural);
    std::mt19937 random(5);
    for (int trial = 0; trial < 2000; ++trial) {
        alignas(16) int16_t a[64], b[64];
        for (int i = 0; i < 64; ++i) {
            a[i] = static_cast<int16_t>(int(random() % 61) - 30);
            b[i] = static_cast<int16_t>(int(random() % 21) - 10);
        }
        uint8_t expected[8 * 16], actual[8 * 16];  // two blocks side by side, stride 16
        single(a, natural, bits, expected, 16);
        single(b, natural, bits, expected + 8, 16);
        pair(a, b, natural, bits, actual, actual + 8, 16);
        ASSERT_EQ(0, std::memcmp(actual, expected, sizeof actual)) << "trial " << trial;
    }
}
