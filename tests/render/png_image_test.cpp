// The PNG adapter's own work: rows turned over and back, RGB or RGBA
// chosen, bad input refused. (Which way the file's rows run is held by the
// reference frames and the icon test, whose files are read here.)
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "render/png_image.h"

TEST(PngImage, RoundTripsRgbAndRgbaBottomRowFirstAndRefusesBadInput)
{
    const std::string path = testing::TempDir() + "png_image_test.png";
    const int w = 37, h = 11;
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<uint8_t>((i * 7) ^ (i / 13));
    for (bool alpha : {false, true}) {
        ASSERT_TRUE(savePng(path, w, h, rgba, alpha));
        PngImage back;
        ASSERT_TRUE(loadPng(path, back));
        ASSERT_EQ(back.width, w);
        ASSERT_EQ(back.height, h);
        for (size_t i = 0; i < rgba.size(); ++i)
            ASSERT_EQ(back.rgba[i], (!alpha && i % 4 == 3) ? 255 : rgba[i]) << "byte " << i << " alpha " << alpha;
    }
    // A file cut short is refused.
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();

    EXPECT_FALSE(savePng(path, 4, 4, std::vector<uint8_t>(10)));
    EXPECT_FALSE(savePng(path, 0, 4, {}));
    bytes.resize(bytes.size() / 2);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    PngImage image;
    EXPECT_FALSE(loadPng(path, image));
    EXPECT_FALSE(loadPng(path + ".missing", image));
    std::remove(path.c_str());
}
