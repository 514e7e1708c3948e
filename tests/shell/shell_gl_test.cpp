#include "support/gl_fixture.h"

#include <array>
#include <cmath>
#include <cstring>

#include "platform/platform.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/part_start.h"
#include "shell/window.h"

namespace {

// The GL state a well-behaved draw must leave as it found it.
struct GLStateSnapshot {
    std::array<GLint, 4> viewport{};
    std::array<GLfloat, 4> clearColour{};
    std::array<GLfloat, 4> colour{};
    std::array<GLfloat, 16> projection{};
    std::array<GLfloat, 16> modelview{};
    GLint matrixMode = 0;
    GLint texture = 0;
    GLint framebuffer = 0;
    GLboolean blend = 0, texturing = 0, depthTest = 0;

    static GLStateSnapshot take()
    {
        GLStateSnapshot s;
        glGetIntegerv(GL_VIEWPORT, s.viewport.data());
        glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clearColour.data());
        glGetFloatv(GL_CURRENT_COLOR, s.colour.data());
        glGetFloatv(GL_PROJECTION_MATRIX, s.projection.data());
        glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview.data());
        glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &s.framebuffer);
        s.blend = glIsEnabled(GL_BLEND);
        s.texturing = glIsEnabled(GL_TEXTURE_2D);
        s.depthTest = glIsEnabled(GL_DEPTH_TEST);
        return s;
    }
    bool operator==(const GLStateSnapshot&) const = default;
};

class ShellGLTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        renderWidth = kWidth;
        renderHeight = kHeight;
    }
};

}  // namespace

TEST_F(ShellGLTest, LoaderDrawLeavesTheGLStateAsItFoundIt)
{
    part_start loader;
    loader.init(&g_renderer);
    EXPECT_EQ(loader.loaderFrame, 0);
    EXPECT_NE(g_renderer.textureEntry(10), 0u);

    glViewport(3, 4, 100, 90);
    glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
    glColor4f(0.5f, 0.25f, 0.125f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    const GLStateSnapshot before = GLStateSnapshot::take();

    FrameInputs inputs;
    double delta = 0.0;
    loader.draw(&delta, &g_renderer, &inputs);

    EXPECT_TRUE(GLStateSnapshot::take() == before);
    // Its frame is the cleared, black screen.
    uint8_t p[4];
    pixelAt(kWidth / 2, kHeight / 2, p);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 0);
    glDisable(GL_BLEND);
}

TEST_F(ShellGLTest, ExitFadeDarkensTheFrameByItsLevel)
{
    resizeGLScene(kWidth, kHeight);
    glDisable(GL_DEPTH_TEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    ending = true;
    endStart = 10.0;
    demoTime = endStart + 0.25 / FADE_RATE;  // a quarter of the way to black
    drawExitFade();
    ending = false;

    EXPECT_DOUBLE_EQ(frameLoop.inputs.values[10], 0.0);
    for (auto [x, y] : {std::pair{kWidth / 2, kHeight / 2}, {2, 2}, {kWidth - 3, kHeight - 3}}) {
        uint8_t p[4];
        pixelAt(x, y, p);
        EXPECT_NEAR(p[0], 191, 2) << x << "," << y;
        EXPECT_NEAR(p[2], 191, 2);
    }
    EXPECT_TRUE(glIsEnabled(GL_BLEND) == GL_FALSE);  // attributes restored
}

TEST_F(ShellGLTest, ResizeWithZeroHeightUsesOne)
{
    resizeGLScene(200, 0);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[3], 1);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    for (float v : m)
        EXPECT_TRUE(std::isfinite(v));
    glViewport(0, 0, kWidth, kHeight);
}

namespace {

std::vector<platform::MessageBoxRequest> g_boxes;
platform::MessageResult answerNo(const platform::MessageBoxRequest& r)
{
    g_boxes.push_back(r);
    return r.buttons == platform::MessageButtons::YesNo ? platform::MessageResult::No : platform::MessageResult::Ok;
}

}  // namespace

TEST(CreateGLWindow, DecliningTheWindowedFallbackEndsWithoutAWindow)
{
    if (!glContextAvailable() || !platform::init())
        GW_SKIP_WITHOUT_GL("no display");
    g_boxes.clear();
    platform::setMessageBoxHandler(answerNo);
    const bool fullscreenBefore = fullscreen;
    EXPECT_FALSE(createGLWindow(WINDOW_TITLE, 1999, 1111, 32, true));
    platform::setMessageBoxHandler(nullptr);
    fullscreen = fullscreenBefore;

    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[0].text,
              "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?");
    EXPECT_EQ(g_boxes[0].caption, "Vexa GL ;-)");
    EXPECT_EQ(g_boxes[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(g_boxes[1].text, "Program Will Now Close.");
    EXPECT_EQ(g_boxes[1].caption, "ERROR");
    EXPECT_EQ(g_boxes[1].icon, platform::MessageIcon::Stop);
    EXPECT_FALSE(platform::hasWindow());
}
