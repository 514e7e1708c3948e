// The game's side of a replay before any window opens: --replay of a sound
// file takes its settings in place of the dialog; a damaged one, or one
// made with other assets, is refused in a message box and the game ends with
// code 1; a run to be recorded gets its state folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "rules_digest.h"
#include "platform/platform.h"
#include "replay/asset_digest.h"
#include "settings/command_line.h"
#include "settings/display_settings.h"
#include "shell/replay_session.h"

namespace {

std::string g_message;
platform::MessageResult keepMessage(const platform::MessageBoxRequest& request)
{
    g_message = request.caption + ": " + request.text;
    return platform::MessageResult::Ok;
}

class ReplaySessionTest : public ::testing::Test {
protected:
    std::filesystem::path dir;

    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("gw_session_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
        platform::setMessageBoxHandler(keepMessage);
        g_message.clear();
    }
    void TearDown() override
    {
        commandLine = CommandLine{};
        prepareReplaySession();  // back to an ordinary run
        platform::setMessageBoxHandler(nullptr);
        std::filesystem::remove_all(dir);
    }

    int prepare(const std::string& replayPath)
    {
        const char* argv[] = {"glasswake", "--replay", replayPath.c_str()};
        commandLine = parseCommandLine(3, argv);
        return prepareReplaySession();
    }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = (dir / name).string();
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }
};

Replay windowedRun()
{
    Replay r;
    r.header.gameVersion = versionText();
    r.header.rulesDigest = RULES_DIGEST;
    r.header.settings = {false, true, false, true, 1366, 768, 1366, 768, 1366, 768};
    r.header.assets = digestGameAssets(std::string(GW_BUILD_DIR) + "/");
    r.frames.resize(3);
    r.complete = true;
    r.trailer.frames = 3;
    r.trailer.ending = ReplayEnding::WindowClosed;
    return r;
}

}  // namespace

TEST_F(ReplaySessionTest, APlayableReplayTakesItsSettingsInsteadOfTheDialog)
{
    ASSERT_EQ(prepare(write("good.gwreplay", encodeReplay(windowedRun()))), -1) << g_message;
    EXPECT_TRUE(g_message.empty());
    EXPECT_TRUE(replayPlaybackActive());
    applyReplaySettings();
    EXPECT_FALSE(fullscreen);
    EXPECT_FALSE(antialiased);
    EXPECT_EQ(windowWidth, 1366);
    EXPECT_EQ(renderHeight, 768);
    EXPECT_TRUE(settingsChoice.windowed);
    EXPECT_TRUE(replayHasFrame());
    // A playback records nothing: no state folder is made for it.
    EXPECT_FALSE(std::filesystem::exists(dir / "state"));
}

TEST_F(ReplaySessionTest, ABadReplayIsRefusedInAMessageBoxWithExitCodeOne)
{
    std::vector<uint8_t> damaged = encodeReplay(windowedRun());
    damaged[20] ^= 4;
    EXPECT_EQ(prepare(write("damaged.gwreplay", damaged)), 1);
    EXPECT_NE(g_message.find("Glasswake replay: Cannot play the replay"), std::string::npos) << g_message;
    EXPECT_NE(g_message.find("damaged header"), std::string::npos) << g_message;
    EXPECT_FALSE(replayPlaybackActive());

    Replay other = windowedRun();
    other.header.assets.back().hash += 1;
    EXPECT_EQ(prepare(write("other.gwreplay", encodeReplay(other))), 1);
    EXPECT_NE(g_message.find("made with other assets (" + other.header.assets.back().name + " differs)"),
              std::string::npos)
        << g_message;

    // The same version with other rules would play another run: refused.
    Replay rules = windowedRun();
    rules.header.rulesDigest ^= 1;
    EXPECT_EQ(prepare(write("rules.gwreplay", encodeReplay(rules))), 1);
    EXPECT_NE(g_message.find("whose rules differ"), std::string::npos) << g_message;

    // One asset named twice, another left out.
    Replay twice = windowedRun();
    twice.header.assets.back() = twice.header.assets.front();
    EXPECT_NE(replayMismatch(twice.header, std::string(GW_BUILD_DIR) + "/"), "");
    Replay shorter = windowedRun();
    shorter.header.assets.pop_back();
    EXPECT_NE(replayMismatch(shorter.header, std::string(GW_BUILD_DIR) + "/").find("does not name"),
              std::string::npos);
}

TEST_F(ReplaySessionTest, AnOrdinaryRunGetsItsStateFolder)
{
    commandLine = CommandLine{};
    EXPECT_EQ(prepareReplaySession(), -1);
    EXPECT_FALSE(replayPlaybackActive());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "state" / "glasswake"));
    EXPECT_TRUE(g_message.empty());
}
