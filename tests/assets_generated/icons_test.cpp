// The desktop icons: one square PNG per size, transparent outside the
// rounded tile, the craft bright against the dark tile.
#include <gtest/gtest.h>

#include <string>

#include "assets_generated/built_assets.h"
#include "render/png_image.h"

namespace {

// (u, v) in [0, 1], v = 0 at the top; PngImage keeps the bottom row first.
const uint8_t* pixelAt(const PngImage& image, double u, double v)
{
    const int x = static_cast<int>(u * image.width);
    const int y = image.height - 1 - static_cast<int>(v * image.height);
    return &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
}

}  // namespace

TEST(GeneratedIcons, EverySizeIsTheTileWithTheCraft)
{
    for (int size : {48, 128, 256}) {
        const std::string edge = std::to_string(size);
        const std::string path = builtAsset("icons/hicolor/" + edge + "x" + edge + "/apps/glasswake.png");
        SCOPED_TRACE(path);
        PngImage icon;
        ASSERT_TRUE(loadPng(path, icon));
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);

        for (double u : {0.0, 0.99})
            for (double v : {0.0, 0.99})
                EXPECT_EQ(pixelAt(icon, u, v)[3], 0) << "corner " << u << "," << v;
        const uint8_t* craft = pixelAt(icon, 0.45, 0.65);
        EXPECT_EQ(craft[3], 255);
        EXPECT_GT(craft[1], 180);
        EXPECT_GT(craft[2], 200);
        const uint8_t* sky = pixelAt(icon, 0.5, 0.12);
        EXPECT_EQ(sky[3], 255);
        EXPECT_LT(sky[0] + sky[1] + sky[2], 120);
    }
}
