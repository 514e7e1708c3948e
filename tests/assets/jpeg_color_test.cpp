// The vector colour conversion gives exactly what the conversion tables give.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "assets/jpeg_color.h"

TEST(JpegColor, VectorConversionMatchesTheTables)
{
    const jpeg_color_function convert = jpeg_select_color_conversion();
    const int width = 256 + 7;  // whole vectors and a scalar tail
    std::vector<uint8_t> y(width), cb(width), cr(width), expected(width * 4), actual(width * 4);
    for (int shift = 0; shift <= 1; ++shift) {
        for (int blue = 0; blue < 256; ++blue) {
            for (int i = 0; i < width; ++i) {
                y[i] = static_cast<uint8_t>((i * 37 + blue * 11) & 255);
                cb[i] = static_cast<uint8_t>(blue);
                cr[i] = static_cast<uint8_t>(i);  // every Cr value against this Cb
            }
            jpeg_ycc_to_rgbx(y.data(), cb.data(), cr.data(), width, shift, expected.data());
            convert(y.data(), cb.data(), cr.data(), width, shift, actual.data());
            ASSERT_EQ(actual, expected) << "Cb " << blue << " shift " << shift;
        }
    }
    // The tables themselves, at the ends of their range.
    const jpeg_color_tables& t = jpeg_get_color_tables();
    EXPECT_EQ(t.crr[0], (91882 * -128 + 32768) >> 16);
    EXPECT_EQ(t.cbb[255], (116130 * 127 + 32768) >> 16);
    EXPECT_EQ(t.crg[128], 0);
    EXPECT_EQ(t.cbg[128], 32768);
}

#include <random>

#include "assets/jpeg_idct.h"

TEST(JpegIdct, VectorAccurateTransformMatchesTheScalarOne)
{
    const jpeg_accurate_idct_function vectorIdct = jpeg_select_accurate_idct();
    std::mt19937 random(7);
    for (int trial = 0; trial < 20000; ++trial) {
        // Coefficients an encoder could produce: |dequantized| within about 1100,
        // falling with frequency; quantizers from 1 to 255.
        alignas(16) int16_t block[64];
        uint16_t quant[64];
        const int q = 1 + int(random() % 255);
        const int amplitude = 1 + int(random() % 1100);
        for (int i = 0; i < 64; ++i) {
            quant[i] = static_cast<uint16_t>(std::min(255, q + i * int(random() % 4)));
            const int limit = amplitude / (1 + i / 8 + i % 8) / quant[i];
            block[i] = static_cast<int16_t>(limit ? int(random() % (2 * limit + 1)) - limit : 0);
        }
        uint8_t expected[64], actual[64];
        jpeg_idct_accurate(block, quant, expected, 8);
        vectorIdct(block, quant, actual, 8);
        for (int i = 0; i < 64; ++i)
            ASSERT_EQ(actual[i], expected[i]) << "trial " << trial << " pixel " << i;
    }
}
