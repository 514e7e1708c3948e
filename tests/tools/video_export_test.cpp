// The video export's failure paths: without ffmpeg, with an ffmpeg that fails
// midway, with an output that cannot be written or is a folder, and stopped
// by a signal, it says why, exits with 1 (or 128 + the signal), leaves
// nothing of its own behind (no scratch file, no partial video) and never
// touches what was at the output path.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "replay/asset_digest.h"
#include "replay/replay_simulation.h"
#include "settings/command_line.h"
#include "support/gl_fixture.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

// Ten seconds of play at 30 frames a second, ended by the exit fade.
Replay tenSeconds()
{
    Replay r;
    const ReplaySettings windowed{false, true, false, true, 160, 90, 160, 90, 160, 90};
    r.header = headerOfThisBuild(windowed, 7, std::string(GW_BUILD_DIR) + "/");
    for (int i = 0; i < 300; ++i) {
        ReplayFrame f;
        f.delta = 1.0 / 30.0;
        f.mouseX = std::sin(i * 0.05);
        f.leftButton = i % 20 < 10;
        f.fadeStarts = i == 298;
        r.frames.push_back(f);
    }
    closeWithTrailer(r, ReplayEnding::ExitFade);
    return r;
}

class VideoExport : public ::testing::Test {
protected:
    fs::path dir;
    std::string replay;
    std::string bin;  // the fake ffmpeg's folder

    void SetUp() override
    {
        if (!glContextAvailable())
            GW_SKIP_WITHOUT_GL("no display for the capture tool");
        dir = fs::temp_directory_path() / ("gw_export_" + std::to_string(getpid()));
        fs::create_directories(dir / "bin");
        bin = (dir / "bin").string();
        replay = (dir / "run.gwreplay").string();
        const std::vector<uint8_t> bytes = encodeReplay(tenSeconds());
        std::ofstream(replay, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    void fakeFfmpeg(const std::string& body)
    {
        const std::string path = bin + "/ffmpeg";
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        chmod(path.c_str(), 0755);
    }

    // Runs the export with PATH = `path`; `signal` (when not 0) is sent once
    // the fake ffmpeg has started and the frames are going out.
    int exportTo(const std::string& out, const std::string& path, std::string& err, int signal = 0)
    {
        const std::string errPath = (dir / "stderr.txt").string();
        const std::string tool = std::string(GW_BUILD_DIR) + "/glasswake-capture";
        const std::string pathVar = "PATH=" + path;
        std::vector<std::string> envs = {pathVar, "SDL_AUDIODRIVER=dummy"};
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("PATH=", 0) != 0)
                envs.push_back(*e);
        std::vector<char*> envp;
        for (std::string& e : envs)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        const char* argv[] = {tool.c_str(), "--replay", replay.c_str(), "--video", out.c_str(), "--size", "64x36",
                              nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, tool.c_str(), &actions, nullptr, const_cast<char**>(argv), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            return -1;
        if (signal != 0) {
            const fs::path started = dir / "started";
            for (int i = 0; i < 1200 && !fs::exists(started); ++i)
                usleep(100000);
            usleep(500000);
            kill(pid, signal);
            fs::remove(started);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        std::ifstream in(errPath);
        err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

    // What the tool may have left in the output's folder besides the replay and the fake.
    std::vector<std::string> leftovers(const std::string& keep = "")
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            if (name != "run.gwreplay" && name != "bin" && name != "stderr.txt" && name != keep)
                names.push_back(name);
        }
        return names;
    }

    std::string systemPath() const { return std::string(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin"); }
};

std::string contents(const fs::path& file)
{
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST_F(VideoExport, WithoutFfmpegItSaysSoAndWritesNothing)
{
    std::string err;
    EXPECT_EQ(exportTo((dir / "out.mp4").string(), bin, err), 1);
    EXPECT_NE(err.find("ffmpeg not found"), std::string::npos) << err;
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(VideoExport, AnFfmpegThatFailsMidwayLeavesTheOldFileAlone)
{
    // Reads a little, then fails: the pipes break under the tool.
    fakeFfmpeg("head -c 100000 >/dev/null; echo 'ffmpeg: broken' >&2; exit 1");
    std::ofstream(dir / "out.mp4") << "an older video";
    std::string err;
    EXPECT_EQ(exportTo((dir / "out.mp4").string(), bin + ":" + systemPath(), err), 1);
    EXPECT_NE(err.find("ffmpeg failed"), std::string::npos) << err;
    EXPECT_EQ(contents(dir / "out.mp4"), "an older video");
    EXPECT_EQ(leftovers("out.mp4"), std::vector<std::string>{});
}

TEST_F(VideoExport, AnUnwritableOutputOrAFolderIsRefused)
{
    std::string err;
    EXPECT_EQ(exportTo((dir / "no" / "such" / "folder.mp4").string(), systemPath(), err), 1);
    EXPECT_NE(err.find("cannot write beside"), std::string::npos) << err;

    fs::create_directories(dir / "taken.mp4");
    EXPECT_EQ(exportTo((dir / "taken.mp4").string(), systemPath(), err), 1);
    EXPECT_NE(err.find("is a folder"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_directory(dir / "taken.mp4"));
    EXPECT_TRUE(fs::is_empty(dir / "taken.mp4"));
    EXPECT_EQ(leftovers("taken.mp4"), std::vector<std::string>{});
}

TEST_F(VideoExport, ASignalStopsItWithNothingLeftBehind)
{
    // An ffmpeg that takes its time: the signal comes while the frames go out.
    fakeFfmpeg("touch '" + (dir / "started").string() + "'; exec cat >/dev/null");
    std::ofstream(dir / "out.webm") << "an older video";
    struct Case {
        int signal;
        int code;
    };
    for (const Case c : {Case{SIGTERM, 143}, Case{SIGINT, 130}, Case{SIGHUP, 129}}) {
        SCOPED_TRACE(c.signal);
        std::string err;
        EXPECT_EQ(exportTo((dir / "out.webm").string(), bin + ":" + systemPath(), err, c.signal), c.code)
            << err;
        EXPECT_NE(err.find("stopped; nothing written"), std::string::npos) << err;
        EXPECT_EQ(contents(dir / "out.webm"), "an older video");
        EXPECT_EQ(leftovers("out.webm"), std::vector<std::string>{});
    }
}
