// export_bench.cpp - glasswake-bench-export: the video export of a long run.
//
//   xvfb-run -a build/glasswake-bench-export [hours=7] [fps=1] [WxH=64x36]
//
// Writes a replay of `hours` of play (a frame a second, steering and firing,
// the levels completing one after another, a pause of a minute every hour,
// the exit fade at the end), has glasswake-capture export it as an .mp4 at
// `fps` frames a second, and prints the run's length, the export's time, its
// peak memory (the capture tool's and ffmpeg's, from the kernel's count) and
// the video's size. Seven hours is beyond the 4 GiB a WAV sound track could
// hold. Nothing is asserted.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "replay/asset_digest.h"
#include "replay/replay_simulation.h"
#include "settings/command_line.h"

extern char** environ;

namespace {

std::string executableDirectory()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "./";
    path[n] = '\0';
    std::string p = path;
    return p.substr(0, p.rfind('/') + 1);
}

Replay longRun(double hours, const std::string& base)
{
    Replay r;
    const ReplaySettings windowed{false, true, true, true, 640, 360, 640, 360, 640, 360};
    r.header = headerOfThisBuild(windowed, 1, base);
    const long seconds = std::lround(hours * 3600.0);
    for (long t = 0; t < seconds; ++t) {
        ReplayFrame f = r.frames.empty() ? ReplayFrame{} : r.frames.back();
        f.paused = f.pauseBegins = f.fadeStarts = false;
        f.delta = 1.0;
        f.mouseX = 5.0 * std::sin(0.01 * double(t));
        f.leftButton = t % 10 < 6;
        f.rightButton = true;  // life kept full: the levels complete
        if (t % 3600 == 1800) {
            f.pauseBegins = true;
            r.frames.push_back(f);
            for (int i = 0; i < 60; ++i)
                r.frames.push_back(replayPausedRecord(1.0, false));
            continue;
        }
        f.fadeStarts = t + 1 == seconds;
        r.frames.push_back(f);
    }
    ReplayFrame last = r.frames.back();
    last.fadeStarts = false;
    last.delta = 0.02;  // the fade completes
    r.frames.push_back(last);
    closeWithTrailer(r, ReplayEnding::ExitFade);
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    const double hours = argc > 1 ? std::atof(argv[1]) : 7.0;
    const std::string fps = argc > 2 ? argv[2] : "1";
    const std::string size = argc > 3 ? argv[3] : "64x36";
    const std::string base = executableDirectory();
    const std::string dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    const std::string replayPath = dir + "/glasswake-bench-export.gwreplay";
    const std::string videoPath = dir + "/glasswake-bench-export.mp4";

    const Replay replay = longRun(hours, base);
    const std::vector<uint8_t> bytes = encodeReplay(replay);
    FILE* f = std::fopen(replayPath.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        return 1;
    std::fclose(f);
    std::printf("replay: %.2f hours of play, %zu records, %u levels completed, %zu bytes\n", hours,
                replay.frames.size(), replay.trailer.levelsCompleted, bytes.size());

    const std::string tool = base + "glasswake-capture";
    const char* args[] = {tool.c_str(), "--replay", replayPath.c_str(), "--video", videoPath.c_str(), "--size",
                          size.c_str(), "--fps", fps.c_str(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, tool.c_str(), nullptr, nullptr, const_cast<char**>(args), environ) != 0)
        return 1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    struct rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    struct stat video {};
    stat(videoPath.c_str(), &video);
    std::printf("export: exit %d, %.1f s, peak memory %.1f MiB (the largest of the capture tool and ffmpeg), "
                "video %.1f MB\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, took, usage.ru_maxrss / 1024.0,
                static_cast<double>(video.st_size) / 1e6);
    std::remove(replayPath.c_str());
    std::remove(videoPath.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
