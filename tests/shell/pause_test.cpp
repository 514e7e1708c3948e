// The pause: no game time passes while paused and the course goes on
// without a jump (the clock, headless), the exit fade still runs, and the
// held frame comes back with "Paused" over it (GL).
#include <gtest/gtest.h>

#include "game/game_random.h"
#include "game/game_rules.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/pause.h"
#include "shell/window.h"
#include "support/gl_fixture.h"

namespace {

int64_t g_count = 0;
int64_t counter() { return g_count; }
int64_t perSecond() { return 1000; }

class PauseClock : public ::testing::Test {
protected:
    GameRules rules;

    void SetUp() override
    {
        frameLoop.timer.counter = counter;
        frameLoop.timer.frequency = perSecond;
        g_count = 0;
        frameLoop.timer.reset();
        frameLoop.previousRead = frameLoop.timer.read();
        demoTime = 0.0;
        ending = false;
        pauseState.paused = false;
        pauseState.seconds = 0.0;
        crtSeed(7);
        rules.buildLevel();
    }
    void TearDown() override
    {
        frameLoop.timer = FrameTimer{};
        demoTime = 0.0;
        ending = false;
        pauseState.paused = false;
        pauseState.seconds = 0.0;
    }
    // One drawn frame's clock, as drawFrame runs it, then the game's rules.
    void frame(int64_t milliseconds)
    {
        g_count += milliseconds;
        double delta = measureFrameDelta();
        demoTime += delta;
        rules.step(delta, GameControls{});
    }
    void pausedPass(int64_t milliseconds)
    {
        g_count += milliseconds;
        pausedClockPass();
    }
};

}  // namespace

TEST_F(PauseClock, NoGameTimePassesWhilePausedAndResumingDoesNotJump)
{
    for (int i = 0; i < 10; ++i)
        frame(100);
    EXPECT_NEAR(rules.time, 1.1, 1e-9);
    const int framesBefore = rules.frameCount;

    holdFrameClock();
    EXPECT_TRUE(pauseState.paused);
    for (int i = 0; i < 30; ++i)
        pausedPass(100);
    g_count += 40;  // between the last paused pass and the resuming frame
    releaseFrameClock();
    EXPECT_FALSE(pauseState.paused);
    EXPECT_NEAR(rules.time, 1.1, 1e-9);
    EXPECT_EQ(rules.frameCount, framesBefore);

    frame(100);  // the first frame after the pause covers one frame only
    EXPECT_NEAR(rules.time, 1.1 + 0.11, 1e-9);
    for (int i = 0; i < 9; ++i)
        frame(100);
    EXPECT_NEAR(rules.time, 2.2, 1e-9);
    EXPECT_NEAR(demoTime, 2.0, 1e-9);
    EXPECT_NEAR(pauseState.seconds, 3.04, 1e-9);
    // Wall time is game time / 1.1 plus the pause.
    EXPECT_NEAR(frameLoop.timer.read(), rules.time / GAME_SPEED + pauseState.seconds, 1e-9);
}

TEST_F(PauseClock, EscapeWhilePausedStillRunsTheFade)
{
    frame(100);
    holdFrameClock();
    pausedPass(100);
    ending = true;
    endStart = demoTime;
    pausedPass(5);
    // The fade's clock moves on; the game's does not.
    EXPECT_GT(exitFadeLevel(demoTime - endStart), 0.5);
    EXPECT_NEAR(rules.time, 0.11, 1e-9);
    releaseFrameClock();
}

TEST(PauseKey, EachPressOfPTogglesAndHeldKeysDoNotRepeat)
{
    auto key = [](platform::EventType type) {
        platform::Event e;
        e.type = type;
        e.virtualKey = VK_PAUSE_KEY;
        windowProc(e);
    };
    pauseState.toggleRequested = false;
    key(platform::EventType::KeyDown);
    EXPECT_TRUE(pauseState.toggleRequested);
    key(platform::EventType::KeyDown);  // the key repeating while held
    EXPECT_TRUE(pauseState.toggleRequested);
    key(platform::EventType::KeyUp);
    key(platform::EventType::KeyDown);  // pressed again before the next pass: nothing to do
    key(platform::EventType::KeyUp);
    EXPECT_FALSE(pauseState.toggleRequested);
}

namespace {

class HeldFrame : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (g_renderer.fontListBase == 0)
            g_renderer.createOutlineFont();
        windowWidth = kWidth;
        windowHeight = kHeight;
    }
};

}  // namespace

TEST_F(HeldFrame, ComesBackWithPausedOverItAndLeavesTheStateAlone)
{
    // A frame: red on the left half, blue on the right.
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(kWidth / 2, 0, kWidth / 2, kHeight);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    captureHeldFrame();

    // Whatever the back buffer holds next, the held frame replaces it.
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(5, 6, 70, 80);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 3, -2, 2, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    drawHeldFrame();

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 5);
    EXPECT_EQ(viewport[3], 80);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_FLOAT_EQ(projection[0], 1.0f / 3.0f);
    glDisable(GL_DEPTH_TEST);

    uint8_t p[4];
    pixelAt(3, 3, p);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[2], 0);
    pixelAt(kWidth - 4, kHeight - 4, p);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[2], 255);
    // The word across the middle: white letters with dark edges.
    const std::vector<uint8_t> band = readPixels(0, kHeight / 2 - 12, kWidth, 24);
    int white = 0;
    int dark = 0;
    for (size_t i = 0; i < band.size(); i += 4) {
        white += band[i] > 240 && band[i + 1] > 240 && band[i + 2] > 240;
        dark += band[i] < 16 && band[i + 1] < 16 && band[i + 2] < 16;
    }
    EXPECT_GT(white, 100);
    EXPECT_GT(dark, 100);
}
