// The real game part drawn frame by frame and the rules stepped headless from
// the same recorded frames stay in the same state: whatever the drawing
// takes from the random generator, GameRules::step takes the same for the
// rules, contact jolts and enemy fire included. A replay re-simulated by the
// inspection tool is therefore the run that was drawn.
#include "support/gl_fixture.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>

#include "base/crt_random.h"
#include "game/part_game.h"
#include "render/renderer.h"
#include "replay/replay_simulation.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"

namespace {

class ReplayDrawnTest : public GLTest {
protected:
    static constexpr int kRenderWidth = 64;
    static constexpr int kRenderHeight = 36;

    void SetUp() override
    {
        GLTest::SetUp();
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(chdir(GW_BUILD_DIR), 0);
        windowWidth = 1280;
        windowHeight = 720;
        renderWidth = kRenderWidth;
        renderHeight = kRenderHeight;
        if (!g_renderer.cgContext)
            g_renderer.createCgContext();
        if (g_renderer.fontListBase == 0)
            g_renderer.createOutlineFont();
        createRenderTargets(kRenderWidth, kRenderHeight, false);
    }
};

}  // namespace

TEST_F(ReplayDrawnTest, DrawnFramesAndTheHeadlessReplayKeepTheSameState)
{
    crtSeed(1);
    part_game* game = new part_game();
    game->init(&g_renderer);

    Replay replay;
    replay.header.levelSeed = game->rules.levelSeed;
    replay.header.settings.windowWidth = windowWidth;
    replay.header.settings.windowHeight = windowHeight;
    // Over the title sign (contacts jolt the view from the generator) and
    // into the first enemies, firing, both buttons held.
    for (int i = 0; i < 300; ++i) {
        ReplayFrame f;
        f.delta = (1.0 / 20.0) * (1.0 + 0.2 * std::sin(i));
        f.mouseX = mouseXFromCursor(400 + (i * 7) % 450);
        f.mouseY = mouseYFromCursor(300 + (i % 40));
        f.leftButton = i % 50 < 40;
        f.rightButton = true;
        replay.frames.push_back(f);
    }
    ReplaySimulation simulation(replay);
    FrameInputs inputs;
    for (const ReplayFrame& f : replay.frames) {
        applyReplayFrame(f, inputs);
        double delta = f.delta;
        game->draw(&delta, &g_renderer, &inputs);
        simulation.step();
        const GameRules& drawn = game->rules;
        const GameRules& simulated = simulation.rules;
        ASSERT_EQ(drawn.time, simulated.time);
        ASSERT_EQ(drawn.roll, simulated.roll);
        ASSERT_EQ(drawn.score, simulated.score);
        ASSERT_EQ(drawn.powerTimer, simulated.powerTimer);
        ASSERT_EQ(drawn.entities.records.size(), simulated.entities.records.size());
        for (size_t e = 0; e < drawn.entities.records.size(); ++e) {
            ASSERT_EQ(drawn.entities.records[e].lane, simulated.entities.records[e].lane);
            ASSERT_EQ(drawn.entities.records[e].health, simulated.entities.records[e].health);
        }
    }
    EXPECT_GT(game->rules.sound.played[CUE_VOLLEY], 10);
    delete game;
}
