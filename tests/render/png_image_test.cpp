#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "render/png_image.h"

namespace {

std::vector<uint8_t> gradient(int w, int h)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<uint8_t>((i * 7) ^ (i / 13));
    return rgba;
}

}  // namespace

TEST(PngImage, RoundTripsRgbAndRgbaWithTheRowOrderKept)
{
    const std::string path = testing::TempDir() + "png_image_test.png";
    const int w = 37, h = 11;
    const std::vector<uint8_t> rgba = gradient(w, h);
    for (bool alpha : {false, true}) {
        ASSERT_TRUE(savePng(path, w, h, rgba, alpha));
        PngImage back;
        ASSERT_TRUE(loadPng(path, back));
        ASSERT_EQ(back.width, w);
        ASSERT_EQ(back.height, h);
        for (size_t i = 0; i < rgba.size(); ++i)
            ASSERT_EQ(back.rgba[i], (!alpha && i % 4 == 3) ? 255 : rgba[i]) << "byte " << i << " alpha " << alpha;
    }
    std::remove(path.c_str());
}

TEST(PngImage, RejectsTooSmallInputAndBrokenFiles)
{
    const std::string path = testing::TempDir() + "png_image_broken.png";
    EXPECT_FALSE(savePng(path, 4, 4, std::vector<uint8_t>(10)));
    EXPECT_FALSE(savePng(path, 0, 4, {}));
    ASSERT_TRUE(savePng(path, 8, 8, gradient(8, 8)));
    // Cut the file short: the compressed data no longer fills the picture.
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    bytes.resize(bytes.size() / 2);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    PngImage image;
    EXPECT_FALSE(loadPng(path, image));
    EXPECT_FALSE(loadPng(path + ".missing", image));
    std::remove(path.c_str());
}
