// The game and the capture tool show a replay's frames as the same pixels:
// the game playing it back writes the pictures it displayed
// (GLASSWAKE_DUMP_FRAME), glasswake-capture --frame writes them as its video
// export renders them, and they are equal byte for byte - in play, after a
// level restart, in a pause and during the exit fade.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/png_image.h"
#include "replay/asset_digest.h"
#include "replay/replay_simulation.h"
#include "settings/command_line.h"
#include "support/gl_fixture.h"

namespace {

// Play, a course completed at once (a frame of 200 s: the level restarts),
// more play, a pause of five passes, play again, then the exit fade.
Replay runWithEverything()
{
    Replay r;
    const ReplaySettings windowed{false, true, true, true, 160, 90, 160, 90, 160, 90};
    r.header = headerOfThisBuild(windowed, 41, std::string(GW_BUILD_DIR) + "/");
    auto frame = [&r](double delta) {
        ReplayFrame f = r.frames.empty() ? ReplayFrame{} : r.frames.back();
        f.paused = f.pauseBegins = f.fadeStarts = false;
        f.delta = delta;
        f.mouseX = 3.0 * std::sin(0.3 * double(r.frames.size()));
        f.leftButton = r.frames.size() % 7 < 4;
        r.frames.push_back(f);
        return &r.frames.back();
    };
    for (int i = 0; i < 20; ++i)
        frame(1.0 / 30.0);
    frame(200.0);
    for (int i = 0; i < 9; ++i)
        frame(1.0 / 30.0);
    frame(1.0 / 30.0)->pauseBegins = true;  // record 31
    for (int i = 0; i < 5; ++i)
        r.frames.push_back(replayPausedRecord(0.05, false));
    for (int i = 0; i < 5; ++i)
        frame(1.0 / 30.0);
    frame(0.004)->fadeStarts = true;  // record 42: the fade is 40 % of the way
    frame(0.003);
    frame(0.01);
    closeWithTrailer(r, ReplayEnding::ExitFade);
    return r;
}

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ReplayFrames, TheGameAndTheCaptureToolShowTheSamePixels)
{
    if (!glContextAvailable())
        GW_SKIP_WITHOUT_GL("no display for the game");
    const std::string dir = testing::TempDir() + "replay_frames_" + std::to_string(getpid());
    ASSERT_EQ(run("mkdir -p " + dir), 0);
    const Replay replay = runWithEverything();
    ASSERT_EQ(replay.trailer.levelsCompleted, 1u);
    const std::string path = dir + "/run.gwreplay";
    const std::vector<uint8_t> bytes = encodeReplay(replay);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    struct Frame {
        size_t number;
        const char* what;
    };
    const Frame frames[] = {{12, "in play"}, {24, "after the level restart"}, {34, "in the pause"},
                            {42, "in the exit fade"}};
    std::string dumps;
    for (const Frame& frame : frames)
        dumps += (dumps.empty() ? "" : ",") + std::to_string(frame.number) + ":" + dir + "/game_" +
                 std::to_string(frame.number) + ".png";
    const std::string build = GW_BUILD_DIR;
    const std::string env = "XDG_CONFIG_HOME=" + dir + " XDG_STATE_HOME=" + dir + " SDL_AUDIODRIVER=dummy ";
    // With the frame-rate counter on: it is drawn over the window, never into a kept picture.
    ASSERT_EQ(run(env + "GLASSWAKE_DUMP_FRAME=" + dumps + " " + build + "/glasswake --show-fps --replay " + path), 0);

    for (const Frame& frame : frames) {
        SCOPED_TRACE(frame.what);
        const std::string n = std::to_string(frame.number);
        const std::string captured = dir + "/capture_" + n + ".png";
        ASSERT_EQ(run(env + build + "/glasswake-capture --replay " + path + " --frame " + n + " --png " + captured +
                      " >/dev/null"),
                  0);
        PngImage game, capture;
        ASSERT_TRUE(loadPng(dir + "/game_" + n + ".png", game));
        ASSERT_TRUE(loadPng(captured, capture));
        ASSERT_EQ(game.width, 160);
        ASSERT_EQ(game.height, 90);
        ASSERT_EQ(capture.width, 160);
        ASSERT_EQ(capture.height, 90);
        size_t differing = 0;
        for (size_t i = 0; i < game.rgba.size(); i += 4)
            differing += game.rgba[i] != capture.rgba[i] || game.rgba[i + 1] != capture.rgba[i + 1] ||
                         game.rgba[i + 2] != capture.rgba[i + 2];
        EXPECT_EQ(differing, 0u) << "pixels differ at frame " << n;
        size_t lit = 0;
        for (size_t i = 0; i < game.rgba.size(); i += 4)
            lit += game.rgba[i] + game.rgba[i + 1] + game.rgba[i + 2] > 30;
        EXPECT_GT(lit, game.rgba.size() / 4 / 20) << "frame " << n << " is nearly black";
    }
    run("rm -rf " + dir);
}
