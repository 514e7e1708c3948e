// frame_rate_test.cpp - the --show-fps counter: the rate it measures, its
// text, and where it draws (the top left corner, over the picture, leaving the
// GL state alone).
#include "support/gl_fixture.h"

#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/frame_rate.h"

TEST(FrameRate, PassesPerSecondOverHalfASecond)
{
    // Steps that binary fractions hold exactly, so the half seconds end where they should.
    FrameRateCounter c;
    c.count(10.0);  // the first pass only starts the clock
    EXPECT_EQ(c.rate, 0.0);
    c.count(10.0 + 1.0 / 64);  // until half a second is measured, the last pass's own rate
    EXPECT_DOUBLE_EQ(c.rate, 64.0);
    for (int i = 2; i < 32; ++i)
        c.count(10.0 + i / 64.0);
    EXPECT_DOUBLE_EQ(c.rate, 64.0);
    c.count(10.5);  // 32 passes in the first half second
    EXPECT_DOUBLE_EQ(c.rate, 64.0);
    for (int i = 1; i < 16; ++i)
        c.count(10.5 + i / 32.0);
    EXPECT_DOUBLE_EQ(c.rate, 64.0) << "shown until the next half second is measured";
    c.count(11.0);  // 16 passes in the second
    EXPECT_DOUBLE_EQ(c.rate, 32.0);

    FrameRateCounter stalled;
    stalled.count(5.0);
    stalled.count(5.0);  // two passes at one instant: no rate yet, no division by zero
    EXPECT_EQ(stalled.rate, 0.0);

    EXPECT_EQ(frameRateText(59.6), "60 fps");
    EXPECT_EQ(frameRateText(7.2), "7 fps");
}

namespace {

class FrameRateOverlay : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (g_renderer.fontListBase == 0)
            g_renderer.createOutlineFont();
        windowWidth = kWidth;
        windowHeight = kHeight;
        frameRate = FrameRateCounter{};
    }
    void TearDown() override
    {
        frameRate = FrameRateCounter{};
        GLTest::TearDown();
    }
    // Lit (white) and dark pixels of a block of the back buffer.
    static void countText(int x, int y, int w, int h, int& white, int& dark)
    {
        const std::vector<uint8_t> block = readPixels(x, y, w, h);
        white = dark = 0;
        for (size_t i = 0; i < block.size(); i += 4) {
            white += block[i] > 240 && block[i + 1] > 240 && block[i + 2] > 240;
            dark += block[i] < 16 && block[i + 1] < 16 && block[i + 2] < 16;
        }
    }
};

}  // namespace

TEST_F(FrameRateOverlay, DrawsInTheTopLeftCornerOnlyAndLeavesTheStateAlone)
{
    const auto clearGrey = [] {
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    };
    clearGrey();
    showFrameRate();  // the first pass: nothing to show yet
    int white = 0, dark = 0;
    countText(0, 0, kWidth, kHeight, white, dark);
    EXPECT_EQ(white + dark, 0);

    glViewport(5, 6, 70, 80);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 3, -2, 2, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    frameRate.rate = 60.0;
    frameRate.windowStart = frameRate.lastPass = 1e300;  // the next pass keeps the rate
    clearGrey();
    showFrameRate();
    EXPECT_EQ(errorCount(), 0);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 5);
    EXPECT_EQ(viewport[3], 80);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_FLOAT_EQ(projection[0], 1.0f / 3.0f);
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, kWidth, kHeight);

    // White letters with dark edges in the top left quarter; the rest untouched.
    countText(0, kHeight / 2, kWidth / 2, kHeight / 2, white, dark);
    EXPECT_GT(white, 20);
    EXPECT_GT(dark, 20);
    countText(0, 0, kWidth, kHeight / 2, white, dark);
    EXPECT_EQ(white + dark, 0) << "drawn in the bottom half";
    countText(kWidth / 2, kHeight / 2, kWidth / 2, kHeight / 2, white, dark);
    EXPECT_EQ(white + dark, 0) << "drawn in the top right quarter";
}
