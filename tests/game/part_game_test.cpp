#include "support/gl_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/step_marks.h"
#include "game/part_game.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
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

    // The scene target cleared, in the scene's projection, with the game's
    // depth function; the game's camera at its current time.
    static void beginScene(part_game& game)
    {
        game.placeCamera(&g_renderer);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_DEPTH_TEST);
        g_renderer.beginRenderTarget(0, 2);
        glViewport(0, 0, kRenderWidth, kRenderHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(55.0, double(kRenderWidth) / kRenderHeight, 1.0, 1050.0);
        glMatrixMode(GL_MODELVIEW);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // Both resolved pictures of the scene target (the picture, then the glow).
    static std::vector<uint8_t> endScene()
    {
        g_renderer.resolveRenderTarget(0, kRenderWidth, kRenderHeight, 2, false);
        std::vector<uint8_t> both;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, g_renderer.targetResolveFramebuffer[0]);
        for (GLenum attachment : {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1}) {
            glReadBuffer(attachment);
            const std::vector<uint8_t> one = readPixels(0, 0, kRenderWidth, kRenderHeight);
            both.insert(both.end(), one.begin(), one.end());
        }
        g_renderer.endRenderTarget();
        glReadBuffer(GL_BACK);
        glDepthFunc(GL_LESS);
        return both;
    }

    static size_t litPixels(const std::vector<uint8_t>& rgba)
    {
        size_t lit = 0;
        for (size_t i = 0; i < rgba.size(); i += 4)
            lit += rgba[i] + rgba[i + 1] + rgba[i + 2] > 0;
        return lit;
    }
};

std::vector<std::string> g_steps;
void recordStep(const char* step) { g_steps.emplace_back(step); }

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

TEST_F(PartGameTest, TheBoxLaterPassesWouldRepaintTheFirstPassPixelsUnchanged)
{
    // The frame draws the box's second and third passes without triangles:
    // filled, they would pass the depth test exactly where the first pass
    // left the box and shade it the same, with the craft drawn in between.
    part_game* game = new part_game();
    game->init(&g_renderer);
    FrameInputs inputs;
    for (double at : {0.5, 40.0}) {
        game->rules.time = at;
        game->rules.beginFrame(0.0, controlsFromFrameInputs(inputs, windowWidth, windowHeight));
        std::vector<uint8_t> pictures[2];
        for (int filled = 0; filled < 2; ++filled) {
            beginScene(*game);
            game->drawBox(&g_renderer, PAIR_ENTITY, true);
            game->drawCraft(&g_renderer);
            game->drawBox(&g_renderer, PAIR_ENTITY, filled == 1);
            game->drawBox(&g_renderer, PAIR_BOX_MODEL, filled == 1);
            pictures[filled] = endScene();
        }
        EXPECT_GT(litPixels(pictures[0]), pictures[0].size() / 4 / 4) << at;
        EXPECT_TRUE(pictures[0] == pictures[1]) << "the later passes changed the picture at time " << at;
    }
    EXPECT_EQ(errorCount(), 0);
    delete game;
}

TEST_F(PartGameTest, ACutOfOneDissolvesEveryLetterOfASign)
{
    // Signs at a cut of 1 are not drawn: with it, the letters leave nothing.
    part_game* game = new part_game();
    game->init(&g_renderer);
    const GameEntity* title = nullptr;
    for (const GameEntity& e : game->rules.entities.records)
        if (e.kind == KIND_SIGN_TITLE)
            title = &e;
    ASSERT_NE(title, nullptr);
    FrameInputs inputs;
    game->rules.time = 1.4;  // the title stands whole in the middle of the view
    game->rules.beginFrame(0.0, controlsFromFrameInputs(inputs, windowWidth, windowHeight));
    const ShadedTextSource source{MODEL_BOX, TEX_FLOOR_BASE, PAIR_ENTITY};
    std::vector<uint8_t> pictures[3];
    for (int cut = 0; cut < 3; ++cut) {
        beginScene(*game);
        g_renderer.resetDrawState();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        g_renderer.applyCamera();
        glColor3f(0.02f, 0.03f, 0.04f);
        g_renderer.enableShaders();
        g_renderer.bindProgram(PAIR_ENTITY);
        g_renderer.bindProgram(PAIR_ENTITY + 1);
        g_renderer.bindModelViewProjection(PAIR_ENTITY, 5);
        g_renderer.setFloatParameter(PAIR_ENTITY + 1, "planecut", cut == 0 ? 0.0 : cut == 1 ? 0.999 : 1.0);
        g_renderer.drawShadedText(source, 0.0, -95.0, 0.0, title->z, "Glasswake");
        g_renderer.disableShaders();
        pictures[cut] = endScene();
    }
    const size_t whole = litPixels(pictures[0]);
    EXPECT_GT(whole, 200u);
    EXPECT_GT(litPixels(pictures[1]), 0u);  // a cut just below 1 leaves some of it
    EXPECT_LT(litPixels(pictures[1]), whole);
    EXPECT_EQ(litPixels(pictures[2]), 0u);
    EXPECT_EQ(errorCount(), 0);
    delete game;
}

TEST_F(PartGameTest, AListenerHearsTheFrameStepsInOrder)
{
    part_game* game = new part_game();
    g_steps.clear();
    stepListener = recordStep;
    game->init(&g_renderer);
    FrameInputs inputs;
    double delta = 0.02;
    game->draw(&delta, &g_renderer, &inputs);
    stepListener = nullptr;
    const std::vector<std::string> expected = {
        "textures", "meshes", "scene", "shaders", "sound",                                    // init
        "clear", "sky", "box 1", "craft", "rules", "box 2", "entities", "box 3", "rings",    // the scene
        "stars", "glows", "hud", "resolve", "blur", "combine", "blur x6", "bend", "composite"};
    EXPECT_EQ(g_steps, expected);
    // Nobody listening: nothing is recorded.
    g_steps.clear();
    game->draw(&delta, &g_renderer, &inputs);
    EXPECT_TRUE(g_steps.empty());
    delete game;
}
