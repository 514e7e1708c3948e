#include "support/gl_fixture.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "base/crt_random.h"
#include "game/capture_script.h"
#include "game/frame_values.h"
#include "render/png_image.h"
#include "render/renderer.h"
#include "shell/frame_loop.h"
#include "shell/game_capture.h"

// --- scripts ---

TEST(CaptureScript, LinesHoldTheirInputUntilTheNextAndKeepUnsetKeys)
{
    CaptureScript s;
    std::string error;
    ASSERT_TRUE(parseCaptureScript("# start\n0 x=500 y=310 left=1\n\n2.5 right=1  # both\n4 x=-20 left=0\n", s,
                                   error))
        << error;
    ASSERT_EQ(s.lines.size(), 3u);
    EXPECT_TRUE(s.at(2.49).left && !s.at(2.49).right);
    const CaptureInput held = s.at(3.0);
    EXPECT_TRUE(held.x == 500 && held.y == 310 && held.left && held.right);
    const CaptureInput last = s.at(1000.0);
    EXPECT_TRUE(last.x == -20 && !last.left && last.right);
    // Before a late first line, its input already holds.
    ASSERT_TRUE(parseCaptureScript("1 x=700", s, error));
    EXPECT_EQ(s.at(0.0).x, 700);
    // An empty script is the centred cursor with no buttons.
    ASSERT_TRUE(parseCaptureScript("", s, error));
    EXPECT_EQ(s.at(5.0).x, 400);
    EXPECT_FALSE(s.at(5.0).left);
}

TEST(CaptureScript, MalformedLinesAreRefusedWithTheirNumber)
{
    CaptureScript s;
    std::string error;
    for (const char* text : {"1 x=5\n1 x=6", "2\n1", "x=5", "-1 x=5", "1 left=2", "1 x=", "1 z=3", "1 x=12a", "nan"}) {
        EXPECT_FALSE(parseCaptureScript(text, s, error)) << text;
        EXPECT_NE(error.find("line "), std::string::npos) << text;
    }
    EXPECT_FALSE(parseCaptureScript("0 x=1\n\n3 y=2\n2 y=1", s, error));
    EXPECT_EQ(error.rfind("line 4", 0), 0u) << error;
}

TEST(CaptureScript, DefaultHoldsBothButtonsAndCrossesTheWholeLaneRange)
{
    const CaptureScript s = defaultCaptureScript();
    int lowest = 10000, highest = -10000;
    for (double t = 0.0; t < 250.0; t += 0.5) {
        const CaptureInput c = s.at(t);
        EXPECT_TRUE(c.left && c.right) << t;
        lowest = std::min(lowest, c.x);
        highest = std::max(highest, c.x);
    }
    EXPECT_LE(lowest, 400);   // lane 0
    EXPECT_GE(highest, 971);  // lane 1
}

// --- values the frame shows ---

TEST(FrameValues, LifeReadsWholePercentsFrom0To100)
{
    EXPECT_EQ(lifeText(1.0), "100");
    EXPECT_EQ(lifeText(0.999), "99");
    EXPECT_EQ(lifeText(1.7), "100");
    EXPECT_EQ(lifeText(-0.5), "0");
}

// --- frames against reference pictures ---

namespace {

// Small render size that fits the test window; references are made with
//   build/glasswake-capture --size 256x144 0=tests/game/reference/t000.png ...
// (see the README), the same times as below.
constexpr int kW = 256;
constexpr int kH = 144;

class CaptureFrames : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (IsSkipped())
            return;
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        ASSERT_EQ(chdir(GW_BUILD_DIR), 0);
        // The game's own set-up, from the generator as a fresh process has it.
        prepareCaptureRenderer(kW, kH);
        game = static_cast<part_game*>(frameLoop.gamePart);
        capture.game = game;
        capture.script = defaultCaptureScript();
    }
    void TearDown() override
    {
        destroyParts();
        GLTest::TearDown();
    }

    part_game* game = nullptr;
    GameCapture capture;
};

// Peak signal to noise ratio over RGB, in dB (infinite when equal).
double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    double sum = 0.0;
    size_t n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (i % 4 == 3)
            continue;
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
        ++n;
    }
    return sum == 0.0 ? 1e9 : 10.0 * std::log10(255.0 * 255.0 * double(n) / sum);
}

}  // namespace

TEST_F(CaptureFrames, MatchReferencePicturesAlongTheCourse)
{
    struct Frame {
        double time;
        const char* name;
    };
    // Start (black stars, title), Get Ready half gone, a fight, the guardian, the end.
    for (const Frame f : {Frame{0.0, "t000"}, Frame{4.4, "t004"}, Frame{60.0, "t060"}, Frame{175.0, "t175"},
                          Frame{200.0, "t200"}}) {
        capture.runUntil(f.time);
        const std::vector<uint8_t> frame = readWindowPixels(kW, kH);
        PngImage reference;
        const std::string path = std::string(GW_SOURCE_DIR) + "/tests/game/reference/" + f.name + ".png";
        ASSERT_TRUE(loadPng(path, reference)) << path;
        ASSERT_EQ(reference.width, kW);
        ASSERT_EQ(reference.height, kH);
        const double db = psnr(frame, reference.rgba);
        if (db < 30.0)
            savePng(testing::TempDir() + f.name + "_got.png", kW, kH, frame);
        EXPECT_GE(db, 30.0) << f.name << " differs from its reference (left in " << testing::TempDir() << ")";
    }
    EXPECT_EQ(errorCount(), 0);
}

TEST_F(CaptureFrames, FastForwardDrawsOnlyTheLastFramesAndKeepsTheClock)
{
    capture.drawnFrames = 2;
    capture.runUntil(1.0);
    EXPECT_EQ(capture.framesDrawn, 2);
    EXPECT_GE(capture.clock, 1.0);
    EXPECT_LT(capture.clock, 1.0 + 1.1 / 60.0 + 1e-9);
    EXPECT_NEAR(game->rules.time, capture.clock, 1e-9);
    // The same moment played with every frame drawn is the same picture.
    const std::vector<uint8_t> skipped = readWindowPixels(kW, kH);
    crtSeed(1);
    part_game* second = new part_game();
    second->init(&g_renderer);
    GameCapture full;
    full.game = second;
    full.script = capture.script;
    full.drawnFrames = 1000000;
    full.runUntil(1.0);
    EXPECT_EQ(full.framesRun, capture.framesRun);
    EXPECT_GE(psnr(readWindowPixels(kW, kH), skipped), 60.0);  // the same picture
    delete second;
}
