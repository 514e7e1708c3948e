// Pixel work of the texture loaders, without GL: flip, grey expansion,
// alpha merge, normal map and noise.
#include <gtest/gtest.h>

#include "assets/jpeg/jpeg_decoder.h"
#include "assets/jpeg/jpeg_oracle.h"
#include "assets/texture_pixels.h"
#include "base/crt_random.h"

namespace {

PixelBuffer decodeBytes(const std::vector<uint8_t>& file)
{
    jpeg_decoder_memory_stream stream(file.data(), file.size());
    jpeg_decoder decoder(&stream, true);
    EXPECT_EQ(decoder.error_code(), 0);
    return decodeToRgbBottomUp(decoder);
}

// Bottom-up RGB buffer filled from a function of picture coordinates (y from the top).
template <typename F>
PixelBuffer pictureOf(int w, int h, F value)
{
    PixelBuffer p(w, h, 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                p.row(h - 1 - y)[x * 3 + c] = value(x, y, c);
    return p;
}

const uint8_t* pixel(const PixelBuffer& p, int x, int yFromTop) { return p.row(p.height - 1 - yFromTop) + x * p.channels; }

}  // namespace

TEST(TexturePixels, DecodedPicturesAreFlippedAndGreyIsExpanded)
{
    TestPicture picture;
    picture.width = 16;
    picture.height = 16;
    picture.components = 3;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t v = y < 8 ? 250 : 5;  // bright top, dark bottom
            picture.pixels.insert(picture.pixels.end(), {v, uint8_t(v / 2), 0});
        }
    EncodeOptions o;
    o.quality = 100;
    o.lumaH = o.lumaV = 1;
    const PixelBuffer rgb = decodeBytes(encodeWithLibjpeg(picture, o));
    ASSERT_EQ(rgb.width, 16);
    ASSERT_EQ(rgb.height, 16);
    EXPECT_GT(rgb.row(15)[0], 240) << "the top line is the last row";
    EXPECT_LT(rgb.row(0)[0], 15) << "the bottom line is row 0";

    const TestPicture grey = makeTestPicture(9, 7, 1);
    const PixelBuffer expanded = decodeBytes(encodeWithLibjpeg(grey));
    const DecodedPicture reference = decodeWithLibjpeg(encodeWithLibjpeg(grey));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            const uint8_t* p = pixel(expanded, x, y);
            EXPECT_EQ(p[0], p[1]);
            EXPECT_EQ(p[0], p[2]);
            EXPECT_NEAR(p[0], reference.pixels[y * 9 + x], 3);
        }
}

TEST(TexturePixels, DamagedFileKeepsItsSizeAndDecodedRows)
{
    EncodeOptions o;
    o.restartInterval = 1;
    std::vector<uint8_t> file = encodeWithLibjpeg(makeTestPicture(64, 32, 3), o);
    for (size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xD3) {
            file[i + 1] = 0xD5;
            break;
        }
    const PixelBuffer rgb = decodeBytes(file);
    EXPECT_EQ(rgb.width, 64);
    EXPECT_EQ(rgb.height, 32);
    EXPECT_EQ(rgb.row(0)[0], 0) << "rows never decoded stay black";
}

TEST(TexturePixels, AlphaComesFromTheGreenChannelAtTheSamePosition)
{
    const PixelBuffer colour = pictureOf(5, 3, [](int x, int y, int c) { return uint8_t(x * 10 + y * 50 + c); });
    const PixelBuffer alpha = pictureOf(5, 3, [](int x, int y, int c) { return uint8_t(c == 1 ? 200 + x + y * 5 : 7); });
    const PixelBuffer rgba = mergeAlphaFromGreen(colour, alpha);
    ASSERT_EQ(rgba.channels, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint8_t* p = pixel(rgba, x, y);
            EXPECT_EQ(p[0], x * 10 + y * 50);
            EXPECT_EQ(p[2], x * 10 + y * 50 + 2);
            EXPECT_EQ(p[3], 200 + x + y * 5);
        }
}

TEST(TexturePixels, NormalMapOfFlatAndPeakedHeights)
{
    const PixelBuffer flat = makeNormalMap(pictureOf(4, 4, [](int, int, int) { return uint8_t(90); }));
    for (const uint8_t* p = flat.row(0); p < flat.row(0) + 4 * 4 * 3; p += 3) {
        EXPECT_EQ(p[0], 127);
        EXPECT_EQ(p[1], 127);
        EXPECT_EQ(p[2], 255);
    }

    // One bright pixel at (2, 2): its neighbours lean away from it.
    const PixelBuffer peak = makeNormalMap(pictureOf(6, 5, [](int x, int y, int) { return uint8_t(x == 2 && y == 2 ? 255 : 0); }));
    EXPECT_EQ(pixel(peak, 3, 2)[0], 241);  // right: nx = 2, normalised (2, 0, 1)
    EXPECT_EQ(pixel(peak, 3, 2)[2], 184);
    EXPECT_EQ(pixel(peak, 1, 2)[0], 13);   // left: nx = -2
    EXPECT_EQ(pixel(peak, 2, 1)[1], 241);  // above: ny = 2
    EXPECT_EQ(pixel(peak, 2, 2)[2], 255);  // the peak itself is level

    // On the left edge the left neighbours come from the right edge.
    const PixelBuffer edge = makeNormalMap(pictureOf(6, 5, [](int x, int y, int) { return uint8_t(x == 5 && y == 2 ? 255 : 0); }));
    EXPECT_EQ(pixel(edge, 0, 2)[0], 241);
    // And the top row takes its upper neighbours from the bottom row (the peak is "above" it).
    const PixelBuffer wrapped = makeNormalMap(pictureOf(6, 5, [](int x, int y, int) { return uint8_t(x == 3 && y == 4 ? 255 : 0); }));
    EXPECT_EQ(pixel(wrapped, 3, 0)[1], 13);
}

TEST(TexturePixels, NoiseNeverReaches255AndFollowsTheGenerator)
{
    crtSeed(77);
    const std::vector<uint8_t> noise = makeNoiseBytes(64, 64);
    ASSERT_EQ(noise.size(), 64u * 64 * 4);
    crtSeed(77);
    bool saw254 = false;
    for (uint8_t b : noise) {
        EXPECT_NE(b, 255);
        EXPECT_EQ(b, crtRand() % 255);
        saw254 = saw254 || b == 254;
    }
    EXPECT_TRUE(saw254);
}
