#include "support/gl_fixture.h"

#include <unistd.h>

#include <cstdlib>

#include "game/part_game.h"
#include "render/renderer.h"
#include "shell/display_settings.h"
#include "shell/frame_loop.h"

namespace {

// The whole game part on the generated assets, at a small render size.
class PartGameTest : public GLTest {
protected:
    static constexpr int kRenderWidth = 192;
    static constexpr int kRenderHeight = 108;

    void SetUp() override
    {
        GLTest::SetUp();
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(chdir(GW_BUILD_DIR), 0);
        windowWidth = renderWidth = kRenderWidth;
        windowHeight = renderHeight = kRenderHeight;
        if (!g_renderer.cgContext)
            g_renderer.createCgContext();
        if (g_renderer.fontListBase == 0)
            g_renderer.createOutlineFont();
        createRenderTargets(kRenderWidth, kRenderHeight, true);
    }
};

}  // namespace

TEST_F(PartGameTest, FramesRunTheClockAndCompositeOntoTheWindow)
{
    part_game* game = new part_game();
    game->init(&g_renderer);
    ASSERT_EQ(game->rules.entities.records.size(), 337u);
    EXPECT_EQ(game->craft.objects.size(), 3u);
    EXPECT_GE(game->motion.samples.size(), 2100u);

    FrameInputs inputs;
    inputs.wheel = 3.0;  // the wheel has no effect on the game
    for (int frame = 0; frame < 3; ++frame) {
        double delta = 0.5;
        game->draw(&delta, &g_renderer, &inputs);
        EXPECT_DOUBLE_EQ(delta, 0.55);  // the game runs 1.1 times faster and says so
        EXPECT_EQ(inputs.wheel, 0.0);
    }
    EXPECT_NEAR(game->rules.time, 1.65, 1e-9);
    EXPECT_DOUBLE_EQ(inputs.values[0], game->rules.time);

    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
    // The composited picture is not empty.
    const auto pixels = readPixels(0, 0, kRenderWidth, kRenderHeight);
    size_t lit = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
        lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 30;
    EXPECT_GT(lit, pixels.size() / 4 / 10);
    delete game;
}
