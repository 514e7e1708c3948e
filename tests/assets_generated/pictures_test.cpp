// The generated pictures decode (libjpeg as the oracle) with the expected
// shapes: sizes, colour, progressive files, the glow's falloff and the
// blended material's coverage companion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "assets_generated/built_assets.h"

namespace {

struct Decoded {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    bool progressive = false;
    std::vector<uint8_t> rgb;
    int at(int x, int y, int c) const { return rgb[(static_cast<size_t>(y) * width + x) * 3 + c]; }
};

Decoded decode(const std::string& path)
{
    Decoded d;
    const std::vector<uint8_t> bytes = readBytes(path);
    if (bytes.empty())
        return d;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    d.progressive = jpeg_has_multiple_scans(&cinfo);
    d.components = cinfo.num_components;
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    d.width = static_cast<int>(cinfo.output_width);
    d.height = static_cast<int>(cinfo.output_height);
    d.rgb.resize(static_cast<size_t>(d.width) * d.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &d.rgb[static_cast<size_t>(cinfo.output_scanline) * d.width * 3];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    d.ok = jerr.num_warnings == 0;
    return d;
}

double meanLevel(const Decoded& d)
{
    double sum = 0;
    for (uint8_t v : d.rgb)
        sum += v;
    return sum / d.rgb.size();
}

}  // namespace

TEST(GeneratedPictures, EveryPictureDecodesAsColour)
{
    for (const char* name : {"textures/theloader.jpg", "textures/bg08.jpg", "textures/blob41b.jpg", "textures/cloudt2.jpg",
                             "meshes/FLOORGRID.JPG", "meshes/FLOORBUMP.JPG", "meshes/WALLPANEL.JPG", "meshes/WALLBUMP.JPG",
                             "meshes/PYLON.JPG", "meshes/PANELBLEND.JPG", "meshes/alphaPANELBLEND.JPG", "meshes/RAILLIGHT.JPG"}) {
        SCOPED_TRACE(name);
        const Decoded d = decode(builtAsset(name));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.components, 3);
        EXPECT_GE(d.width, 32);
        EXPECT_GE(d.height, 32);
        // Neither blank nor blown out (height maps may be bright).
        EXPECT_GT(meanLevel(d), 4.0);
        if (std::string(name).find("BUMP") == std::string::npos) {
            EXPECT_LT(meanLevel(d), 160.0);
        }
    }
}

TEST(GeneratedPictures, SomeFilesAreProgressive)
{
    EXPECT_TRUE(decode(builtAsset("textures/bg08.jpg")).progressive);
    EXPECT_TRUE(decode(builtAsset("textures/cloudt2.jpg")).progressive);
    EXPECT_FALSE(decode(builtAsset("textures/theloader.jpg")).progressive);
}

TEST(GeneratedPictures, GlowIsWhiteInTheMiddleAndBlackAtTheRim)
{
    const Decoded d = decode(builtAsset("textures/blob41b.jpg"));
    ASSERT_TRUE(d.ok);
    const int cx = d.width / 2, cy = d.height / 2;
    for (int c = 0; c < 3; ++c) {
        EXPECT_GT(d.at(cx, cy, c), 235);
        EXPECT_LT(d.at(0, 0, c), 6);
        EXPECT_LT(d.at(cx, 0, c), 6);
        EXPECT_LT(d.at(0, cy, c), 6);
    }
    // Falls off steadily from the centre (the game uses green as its alpha).
    int previous = 256;
    for (int x = cx; x < d.width; x += 8) {
        EXPECT_LE(d.at(x, cy, 1), previous + 2);
        previous = d.at(x, cy, 1);
    }
}

TEST(GeneratedPictures, CloudsFadeOutBeforeTheEdges)
{
    const Decoded d = decode(builtAsset("textures/cloudt2.jpg"));
    ASSERT_TRUE(d.ok);
    int brightestEdge = 0;
    for (int i = 0; i < d.width; ++i)
        for (int c = 0; c < 3; ++c)
            brightestEdge = std::max({brightestEdge, d.at(i, 0, c), d.at(i, d.height - 1, c), d.at(0, i % d.height, c),
                                      d.at(d.width - 1, i % d.height, c)});
    EXPECT_LT(brightestEdge, 8);
}

TEST(GeneratedPictures, BlendedMaterialHasCoverageOfTheSameSize)
{
    const Decoded colour = decode(builtAsset("meshes/PANELBLEND.JPG"));
    const Decoded alpha = decode(builtAsset("meshes/alphaPANELBLEND.JPG"));
    ASSERT_TRUE(colour.ok && alpha.ok);
    EXPECT_EQ(colour.width, alpha.width);
    EXPECT_EQ(colour.height, alpha.height);
    // Opaque frame, see-through middle.
    EXPECT_GT(alpha.at(1, alpha.height / 2, 1), 230);
    EXPECT_LT(alpha.at(alpha.width / 2, alpha.height / 2, 1), 140);
}
