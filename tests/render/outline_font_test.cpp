#include "support/gl_fixture.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "render/renderer.h"

namespace {

class OutlineFontTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (IsSkipped())
            return;
        if (g_renderer.fontListBase == 0)
            g_renderer.createOutlineFont();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glColor3f(1.0f, 1.0f, 1.0f);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    static std::array<double, 16> modelView()
    {
        std::array<double, 16> m{};
        glGetDoublev(GL_MODELVIEW_MATRIX, m.data());
        return m;
    }

    static int litPixels()
    {
        const std::vector<uint8_t> pixels = readPixels(0, 0, kWidth, kHeight);
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4)
            lit += pixels[i] > 0;
        return lit;
    }
};

}  // namespace

TEST_F(OutlineFontTest, GlyphListsForCodesUpTo122AndNothingAbove)
{
    ASSERT_NE(g_renderer.fontListBase, 0u);
    for (GLuint c = 0; c < 123; ++c)
        EXPECT_TRUE(glIsList(g_renderer.fontListBase + c)) << c;
    // The names above 122 stay reserved but hold nothing: no ink, no advance.
    glScaled(0.8, 0.8, 0.8);
    const auto before = modelView();
    for (GLuint c = 123; c < 256; ++c) {
        glCallList(g_renderer.fontListBase + c);
        EXPECT_EQ(modelView(), before) << c;
        EXPECT_EQ(g_renderer.glyphMetrics[c].cellIncX, 0.0f) << c;
    }
    EXPECT_EQ(litPixels(), 0);
    glCallList(g_renderer.fontListBase + 'M');
    EXPECT_GT(litPixels(), 1000);
}

TEST_F(OutlineFontTest, EachListAdvancesByItsCellAdvance)
{
    const GlyphMetrics* m = g_renderer.glyphMetrics;
    EXPECT_GT(m['W'].cellIncX, m['i'].cellIncX);
    for (unsigned char c : std::string("Wi 0.")) {
        glLoadIdentity();
        glCallList(g_renderer.fontListBase + c);
        EXPECT_NEAR(modelView()[12], m[c].cellIncX, 1e-6) << c;
        EXPECT_EQ(modelView()[13], 0.0) << c;
    }
    glLoadIdentity();
}

TEST_F(OutlineFontTest, EmptyNullAndGlyphlessTextsDrawNothingAndKeepTheMatrix)
{
    glScaled(0.3, 0.3, 0.3);
    const auto before = modelView();
    const char* empty = "";
    g_renderer.drawText(empty);
    g_renderer.drawText(nullptr);
    g_renderer.drawText("%s", "{|}~\x7f\x80\xc8\xff");
    EXPECT_EQ(modelView(), before);
    EXPECT_EQ(litPixels(), 0);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 0);
}

TEST_F(OutlineFontTest, TextIsCentredOnTheOrigin)
{
    glScaled(0.45, 0.45, 0.45);  // about 4.4 ems across the view
    const auto before = modelView();
    g_renderer.drawText("%s", "HOH");
    EXPECT_EQ(modelView(), before);

    const std::vector<uint8_t> pixels = readPixels(0, 0, kWidth, kHeight);
    double left = 0.0, right = 0.0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            (x < kWidth / 2 ? left : right) += pixels[(static_cast<size_t>(y) * kWidth + x) * 4] / 255.0;
    ASSERT_GT(left + right, 1000.0);
    EXPECT_NEAR(left / (left + right), 0.5, 0.04);
}

namespace {

platform::MessageResult printMessage(const platform::MessageBoxRequest& request)
{
    std::fprintf(stderr, "[%s] %s\n", request.caption.c_str(), request.text.c_str());
    return platform::MessageResult::Ok;
}

}  // namespace

TEST(OutlineFontDeathTest, NoFontFoundShowsAMessageAndEndsWithCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A name of this test's own: tests run side by side, and another writes such a file too.
    const std::string config = std::string(GW_BUILD_DIR) + "/fonts-none-outline-font.conf";
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    EXPECT_EXIT(
        {
            setenv("FONTCONFIG_FILE", config.c_str(), 1);
            platform::setMessageBoxHandler(printMessage);
            g_renderer.createOutlineFont();
        },
        ::testing::ExitedWithCode(0), "\\[ERROR\\] .*\"Arial\"");
}
