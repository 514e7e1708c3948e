#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "render/outline_font.h"

namespace {

struct LoadedFont {
    std::string file;
    std::vector<GlyphShape> shapes;
    GlyphMetrics metrics[FONT_GLYPH_COUNT] = {};
    bool ok = false;
};

const LoadedFont& arialBold()
{
    static LoadedFont font = [] {
        LoadedFont f;
        f.file = findFontFile("Arial", true);
        f.ok = !f.file.empty() && loadGlyphShapes(f.file, f.shapes, f.metrics);
        return f;
    }();
    return font;
}

double polygonArea(const std::vector<GlyphPoint>& contour)
{
    double twice = 0.0;
    for (size_t i = 0; i < contour.size(); ++i) {
        const GlyphPoint& a = contour[i];
        const GlyphPoint& b = contour[(i + 1) % contour.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2.0;
}

double triangleArea(const GlyphPoint& a, const GlyphPoint& b, const GlyphPoint& c)
{
    return ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2.0;
}

}  // namespace

TEST(GlyphOutline, ArialBoldResolvesToAnOutlineFont)
{
    const LoadedFont& font = arialBold();
    ASSERT_TRUE(font.ok) << "font file: '" << font.file << "'";
    // Debian's metric-compatible stand-in.
    EXPECT_NE(font.file.find("LiberationSans-Bold"), std::string::npos) << font.file;
    EXPECT_GT(font.metrics['W'].cellIncX, font.metrics['i'].cellIncX);
    // Em square of 1.0: capitals about 0.7 high, advances below one em for most letters.
    EXPECT_NEAR(font.metrics['H'].blackBoxY, 0.72, 0.05);
    EXPECT_NEAR(font.metrics['H'].originY, font.metrics['H'].blackBoxY, 0.01);  // sits on the baseline
    EXPECT_GT(font.metrics[' '].cellIncX, 0.2f);
    EXPECT_TRUE(font.shapes[' '].contours.empty());
    EXPECT_EQ(font.metrics['g'].cellIncY, 0.0f);
    EXPECT_LT(font.metrics['g'].originY - font.metrics['g'].blackBoxY, -0.1);  // descender
}

TEST(GlyphOutline, FilledAreaMatchesTheOutlineWithHolesLeftOpen)
{
    const LoadedFont& font = arialBold();
    ASSERT_TRUE(font.ok);
    for (char c : std::string("OBAe8%&@gW")) {
        const GlyphShape& shape = font.shapes[static_cast<unsigned char>(c)];
        ASSERT_FALSE(shape.triangles.empty()) << c;
        ASSERT_EQ(shape.triangles.size() % 3, 0u) << c;
        double filled = 0.0;
        for (size_t i = 0; i < shape.triangles.size(); i += 3) {
            const double area = triangleArea(shape.triangles[i], shape.triangles[i + 1], shape.triangles[i + 2]);
            EXPECT_GE(area, 0.0) << c << ": triangle " << i / 3 << " faces away from +z";
            filled += area;
        }
        // Outer contours and holes run opposite ways, so the signed sum is the inked area.
        double outline = 0.0;
        for (const auto& contour : shape.contours)
            outline += polygonArea(contour);
        EXPECT_NEAR(filled, std::abs(outline), 0.002 * std::abs(outline)) << c;
        // The ink stays inside the black box.
        const GlyphMetrics& m = font.metrics[static_cast<unsigned char>(c)];
        EXPECT_LT(filled, m.blackBoxX * m.blackBoxY) << c;
    }
}

TEST(GlyphOutline, CurvesAreFlattenedSmoothly)
{
    const LoadedFont& font = arialBold();
    ASSERT_TRUE(font.ok);
    const GlyphShape& o = font.shapes['O'];
    ASSERT_EQ(o.contours.size(), 2u);
    for (const auto& contour : o.contours) {
        // Every point of the flattened ring lies close to the neighbouring chords'
        // circle: no piece turns by more than a few degrees.
        ASSERT_GE(contour.size(), 32u);
        for (size_t i = 0; i < contour.size(); ++i) {
            const GlyphPoint& a = contour[(i + contour.size() - 1) % contour.size()];
            const GlyphPoint& b = contour[i];
            const GlyphPoint& c = contour[(i + 1) % contour.size()];
            const double turn = std::atan2((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x),
                                           (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y));
            EXPECT_LT(std::abs(turn), 12.0 * M_PI / 180.0) << "point " << i;
        }
    }
}

TEST(GlyphOutline, MissingOrUnreadableFontFileIsReported)
{
    std::vector<GlyphShape> shapes;
    GlyphMetrics metrics[FONT_GLYPH_COUNT];
    EXPECT_FALSE(loadGlyphShapes("/nonexistent/font.ttf", shapes, metrics));
    const std::string junk = std::string(GW_BUILD_DIR) + "/not_a_font.ttf";
    std::ofstream(junk) << "this is not a font";
    EXPECT_FALSE(loadGlyphShapes(junk, shapes, metrics));
}
