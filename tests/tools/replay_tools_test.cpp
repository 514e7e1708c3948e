// The replay tools on files made for this build: glasswake-inspect replay
// agrees with a run the game itself recorded, not with one altered after,
// reports what an unfinished or damaged one kept and says why it refuses a
// foreign or newer one, or one made by another version or with other assets;
// glasswake-capture refuses the same input before it renders.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "replay/asset_digest.h"
#include "replay/replay_simulation.h"
#include "settings/command_line.h"
#include "support/gl_fixture.h"

extern char** environ;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;  // stdout
    std::string err;  // stderr
};

ToolRun runTool(const std::string& tool, const std::string& arguments)
{
    ToolRun run;
    const std::string errPath = testing::TempDir() + std::to_string(getpid()) + "_stderr.txt";
    const std::string command = std::string(GW_BUILD_DIR) + "/" + tool + " " + arguments + " 2>" + errPath;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (FILE* f = std::fopen(errPath.c_str(), "r")) {
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            run.err.append(buffer, got);
        std::fclose(f);
    }
    std::remove(errPath.c_str());
    return run;
}

// Two seconds of steering and firing, for this build's assets, with the
// trailer the rules reach.
Replay shortRun()
{
    Replay r;
    ReplaySettings settings;
    settings.windowWidth = settings.renderWidth = 1280;
    settings.windowHeight = settings.renderHeight = 720;
    r.header = headerOfThisBuild(settings, 12345, std::string(GW_BUILD_DIR) + "/");
    for (int i = 0; i < 120; ++i) {
        ReplayFrame f;
        f.delta = 1.0 / 60.0;
        f.mouseX = 5.0 * std::sin(i * 0.1);
        f.leftButton = i > 30;
        f.fadeStarts = i == 119;
        r.frames.push_back(f);
    }
    closeWithTrailer(r, ReplayEnding::ExitFade);
    return r;
}

// A run of the real game, recorded to `path`: a small window, play until the
// file holds `frames` frames, then SIGTERM (which ends the run as closing the
// window does). False when the game could not be started or did not end so.
bool recordRealRun(const std::string& path, size_t frames)
{
    const std::string home = testing::TempDir() + std::to_string(getpid()) + "_home";
    const std::string game = std::string(GW_BUILD_DIR) + "/glasswake";
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const char* argv[] = {game.c_str(), "--skip-dialog", "--windowed", "--size", "160x90", "--record", path.c_str(),
                          nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, game.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return false;
    for (int wait = 0; wait < 1200; ++wait) {  // however slow the machine: up to two minutes
        Replay sofar;
        readReplayFile(path, sofar);
        if (sofar.frames.size() >= frames)
            break;
        usleep(100000);
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM;
}

std::string write(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = testing::TempDir() + std::to_string(getpid()) + "_" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

}  // namespace

TEST(ReplayTools, InspectAgreesWithARecordedRunAndNotWithAnAlteredOne)
{
    if (!glContextAvailable())
        GW_SKIP_WITHOUT_GL("no display for the game");
    const std::string good = testing::TempDir() + std::to_string(getpid()) + "_recorded.gwreplay";
    ASSERT_TRUE(recordRealRun(good, 5));
    ToolRun r = runTool("glasswake-inspect", "replay " + good);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("\"complete\":true,\"ending\":\"window closed\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"agrees\":true}"), std::string::npos) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);

    Replay run;
    ASSERT_TRUE(readReplayFile(good, run).ok());
    ASSERT_GE(run.frames.size(), 2u);
    const std::string frames = "\"frames\":" + std::to_string(run.frames.size()) + ",";
    run.trailer.score += 1.0;
    const std::string altered = write("altered.gwreplay", encodeReplay(run));
    r = runTool("glasswake-inspect", "replay " + altered);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\"agrees\":false"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("does not reach the state"), std::string::npos) << r.err;

    run.complete = false;  // a run that crashed: no trailer to agree with
    const std::string unfinished = write("unfinished.gwreplay", encodeReplay(run));
    r = runTool("glasswake-inspect", "replay " + unfinished);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(frames), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"complete\":false"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("without its trailer"), std::string::npos) << r.err;
    for (const std::string& path : {good, altered, unfinished})
        std::remove(path.c_str());
}

// A run recorded by an earlier build whose rules are this build's, though its
// sources have moved since (its digest is in tools/rules_alike.txt): it still
// re-simulates in agreement.
TEST(ReplayTools, ARunRecordedByAnEarlierBuildOfTheSameRulesStillAgrees)
{
    const std::string earlier = std::string(GW_SOURCE_DIR) + "/tests/tools/recorded/glasswake-1.0.0-624209b7.gwreplay";
    ToolRun r = runTool("glasswake-inspect", "replay " + earlier);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("\"frames\":236,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"agrees\":true}"), std::string::npos) << r.out;
}

TEST(ReplayTools, BadInputIsRefusedWithItsReasonByBothTools)
{
    const Replay run = shortRun();
    std::vector<uint8_t> damaged = encodeReplay(run);
    damaged[damaged.size() - 30] ^= 1;  // in the trailer: the frames before it are kept
    std::vector<uint8_t> damagedHeader = encodeReplay(run);
    damagedHeader[20] ^= 1;
    std::vector<uint8_t> newer = encodeReplay(run);
    newer[8] = 9;
    Replay otherAssets = run;
    otherAssets.header.assets[3].hash ^= 1;
    Replay otherVersion = run;
    otherVersion.header.gameVersion = "glasswake 0.9.0";

    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string reason;
    } cases[] = {
        {"damaged", damaged, "damaged trailer (checksum mismatch); the 120 frames before it are kept"},
        {"header", damagedHeader, "damaged header (checksum mismatch)"},
        {"foreign", {'G', 'I', 'F', '8', '9', 'a'}, "not a Glasswake replay"},
        {"newer", newer, "newer version of Glasswake (replay format 9"},
        {"assets", encodeReplay(otherAssets), "made with other assets (" + otherAssets.header.assets[3].name + " differs)"},
        {"version", encodeReplay(otherVersion), "recorded by glasswake 0.9.0"},
    };
    for (const auto& c : cases) {
        const std::string path = write(std::string(c.name) + ".gwreplay", c.bytes);
        ToolRun r = runTool("glasswake-inspect", "replay " + path);
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.name << ": " << r.err;
        if (c.bytes == damaged) {  // what was kept is re-simulated and reported
            EXPECT_NE(r.out.find("\"frames\":120,"), std::string::npos) << r.out;
            EXPECT_NE(r.out.find("\"complete\":false"), std::string::npos) << r.out;
        } else {
            EXPECT_NE(r.out.find("\"error\":"), std::string::npos) << c.name;
        }

        r = runTool("glasswake-capture", "--replay " + path + " --video " + path + ".mp4 --size 64x36");
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.name << ": " << r.err;
        EXPECT_NE(access((path + ".mp4").c_str(), F_OK), 0) << c.name;
        std::remove(path.c_str());
    }
    ToolRun r = runTool("glasswake-inspect", "replay " + testing::TempDir() + "no_such.gwreplay");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos) << r.err;

    // Usage errors: exit 2.
    for (const char* args : {"--replay x.gwreplay", "--replay x.gwreplay --video out.avi",
                             "--replay x.gwreplay --video out.mp4 --size 63x36", "--replay x --video y.webm --fps 0"}) {
        r = runTool("glasswake-capture", args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
    }
}
