// video_export.cpp - see video_export.h.
#include "tools/capture/video_export.h"

#include <SDL2/SDL.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "game/part_game.h"
#include "game/replay_simulation.h"
#include "render/renderer.h"
#include "shell/asset_digest.h"
#include "shell/command_line.h"
#include "shell/crt_random.h"
#include "shell/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/sound_offline.h"
#include "tools/common/hidden_gl_window.h"

extern char** environ;

namespace {

int fail(const std::string& what)
{
    std::fprintf(stderr, "glasswake-capture: %s\n", what.c_str());
    return 1;
}

double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string extensionOf(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// Frames done, speed and the time left, on one line that redraws itself on
// a terminal (and as a line every tenth otherwise).
class ProgressBar {
public:
    explicit ProgressBar(uint64_t total) : total_(total), start_(now()), tty_(isatty(STDERR_FILENO)) {}

    void update(uint64_t done)
    {
        const double t = now();
        const bool last = done >= total_;
        if (tty_) {
            if (!last && t - shown_ < 0.25)
                return;
        } else {
            const uint64_t tenth = total_ ? done * 10 / total_ : 10;
            if (!last && tenth == tenth_)
                return;
            tenth_ = tenth;
        }
        shown_ = t;
        const double elapsed = t - start_;
        const double rate = elapsed > 0.0 ? done / elapsed : 0.0;
        const double left = rate > 0.0 ? (total_ - done) / rate : 0.0;
        constexpr int WIDTH = 30;
        const int filled = total_ ? static_cast<int>(WIDTH * done / total_) : WIDTH;
        const int seconds = static_cast<int>(std::lround(left));
        std::fprintf(stderr, "%s[%.*s%.*s] %llu/%llu frames  %.1f frames/s  %d:%02d left%s", tty_ ? "\r" : "",
                     filled, "##############################", WIDTH - filled, "                              ",
                     static_cast<unsigned long long>(done), static_cast<unsigned long long>(total_), rate,
                     seconds / 60, seconds % 60, tty_ && !last ? "" : "\n");
        std::fflush(stderr);
    }

private:
    uint64_t total_;
    double start_;
    bool tty_;
    double shown_ = -1.0;
    uint64_t tenth_ = ~uint64_t(0);
};

// ffmpeg reading raw RGBA frames on its standard input.
class Encoder {
public:
    bool start(const std::vector<std::string>& args, std::string& error)
    {
        int fds[2];
        if (pipe(fds) != 0) {
            error = std::strerror(errno);
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[0]);
        if (spawned != 0) {
            ::close(fds[1]);
            error = spawned == ENOENT ? "ffmpeg not found (Debian's ffmpeg package provides it)"
                                      : std::string("cannot start ffmpeg: ") + std::strerror(spawned);
            pid_ = -1;
            return false;
        }
        fd_ = fds[1];
        return true;
    }

    bool write(const uint8_t* data, size_t size)
    {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }

    // Closes the input and waits; true when ffmpeg succeeded.
    bool finish()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        if (pid_ < 0)
            return false;
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    ~Encoder() { finish(); }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
};

// A scratch folder that goes away with everything in it.
struct ScratchFolder {
    std::string path;
    bool make()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/glasswake-export-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return false;
        path = pattern;
        return true;
    }
    ~ScratchFolder()
    {
        std::error_code error;
        if (!path.empty())
            std::filesystem::remove_all(path, error);
    }
};

// The sound calls of the whole run, from the rules alone, and their mix.
bool writeSoundTrack(const Replay& replay, const std::string& wavPath, double seconds,
                     std::vector<SoundCall>& calls, std::string& error)
{
    SoundCallLog log;
    FSOUND_LogCalls(&log);
    ReplaySimulation simulation(replay, true);
    while (!simulation.done()) {
        log.clock = simulation.demoTime + replay.frames[simulation.next].delta;
        simulation.step();
    }
    FSOUND_LogCalls(nullptr);
    calls = log.calls;

    const uint64_t frames = static_cast<uint64_t>(std::llround(seconds * OFFLINE_RATE));
    WavWriter wav;
    if (!wav.open(wavPath, frames)) {
        error = "cannot write the sound track (" + wavPath + ")";
        return false;
    }
    OfflineMixer mixer;
    const bool mixed = mixer.render(calls, frames, [&](const int16_t* s, size_t n) { return wav.write(s, n); });
    closeSoundDecoding();
    if (!wav.close() || !mixed) {
        error = "cannot write the sound track (" + wavPath + ")";
        return false;
    }
    return true;
}

bool parsePositive(const std::string& text, int low, int high, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high)
        return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

bool wantsVideoExport(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--replay" || a == "--video" || a.rfind("--replay=", 0) == 0 || a.rfind("--video=", 0) == 0)
            return true;
    }
    return false;
}

bool parseVideoExportOptions(int argc, char** argv, VideoExportOptions& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        std::string value;
        bool joined = false;
        if (const size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = a.substr(eq + 1);
            a.resize(eq);
            joined = true;
        }
        if (a != "--replay" && a != "--video" && a != "--size" && a != "--fps") {
            error = "unrecognised option '" + std::string(argv[i]) + "' with --replay";
            return false;
        }
        if (!joined) {
            if (i + 1 >= argc) {
                error = "option '" + a + "' needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (a == "--replay") {
            o.replayPath = value;
        } else if (a == "--video") {
            o.outPath = value;
        } else if (a == "--size") {
            if (!parseSize(value, o.width, o.height) || o.width < 16 || o.height < 16 || o.width > 7680 ||
                o.height > 4320 || o.width % 2 || o.height % 2) {
                error = "bad size '" + value + "' (even WxH, 16x16 to 7680x4320)";
                return false;
            }
        } else if (!parsePositive(value, 1, 240, o.fps)) {
            error = "bad frame rate '" + value + "' (1 to 240)";
            return false;
        }
    }
    if (o.replayPath.empty() || o.outPath.empty()) {
        error = "--replay FILE and --video OUT are both needed";
        return false;
    }
    if (encoderArguments(o.outPath).empty()) {
        error = "the video must be .mp4 or .webm: " + o.outPath;
        return false;
    }
    return true;
}

std::vector<std::string> encoderArguments(const std::string& outPath)
{
    const std::string ext = extensionOf(outPath);
    if (ext == ".mp4")
        return {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
                "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"};
    if (ext == ".webm")
        return {"-c:v", "libvpx-vp9", "-crf", "32", "-b:v", "0", "-deadline", "realtime", "-cpu-used", "8",
                "-row-mt", "1", "-pix_fmt", "yuv420p", "-c:a", "libopus", "-b:a", "128k", "-ar", "48000"};
    return {};
}

std::vector<uint32_t> videoFramesPerRecordedFrame(const Replay& replay, int fps, uint64_t& videoFrames)
{
    std::vector<double> ends;  // the shell's clock after each frame, summed as the frame loop sums it
    ends.reserve(replay.frames.size());
    double clock = 0.0;
    for (const ReplayFrame& f : replay.frames) {
        clock += f.delta;
        ends.push_back(clock);
    }
    std::vector<uint32_t> shown(replay.frames.size(), 0);
    videoFrames = std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(clock * fps)));
    if (shown.empty())
        return shown;
    size_t k = 0;
    for (uint64_t i = 0; i < videoFrames; ++i) {
        const double t = static_cast<double>(i) / fps;
        while (k + 1 < ends.size() && ends[k + 1] <= t)
            ++k;
        ++shown[k];
    }
    return shown;
}

int exportReplayVideo(const VideoExportOptions& o)
{
    Replay replay;
    const ReplayReadResult read = readReplayFile(o.replayPath, replay);
    if (!read.ok())
        return fail(o.replayPath + ": " + read.error);
    if (replay.frames.empty())
        return fail(o.replayPath + ": the run has no frames");

    // The assets lie beside the executable; the paths given stay the user's.
    const std::string outPath = std::filesystem::absolute(o.outPath).string();
    const std::string base = []() {
        char* b = SDL_GetBasePath();
        std::string dir = b ? b : "./";
        SDL_free(b);
        return dir;
    }();
    const std::string mismatch = replayMismatch(replay.header, base);
    if (!mismatch.empty())
        return fail(o.replayPath + ": " + mismatch);
    if (chdir(base.c_str()) != 0)
        return fail("cannot enter " + base);

    uint64_t videoFrames = 0;
    const std::vector<uint32_t> shown = videoFramesPerRecordedFrame(replay, o.fps, videoFrames);
    double seconds = 0.0;
    for (const ReplayFrame& f : replay.frames)
        seconds += f.delta;

    ScratchFolder scratch;
    if (!scratch.make())
        return fail("cannot make a scratch folder");
    const std::string wavPath = scratch.path + "/sound.wav";
    std::vector<SoundCall> simulatedCalls;
    std::string error;
    std::fprintf(stderr, "mixing the sound track (%.1f s)\n", seconds);
    if (!writeSoundTrack(replay, wavPath, seconds, simulatedCalls, error))
        return fail(error);

    setenv("SDL_AUDIODRIVER", "dummy", 0);
    HiddenGLWindow gl;
    if (!gl.open("glasswake-capture", o.width, o.height))
        return 1;
    const ReplaySettings& s = replay.header.settings;
    renderWidth = o.width;
    renderHeight = o.height;
    windowWidth = s.windowWidth;  // the mouse is scaled by the recorded window
    windowHeight = s.windowHeight;
    g_renderer.createCgContext();
    g_renderer.createOutlineFont();
    createRenderTargets(o.width, o.height, s.antialiased);

    SoundCallLog log;
    FSOUND_LogCalls(&log);
    part_game* game = new part_game();
    game->loadTextures(&g_renderer);
    game->loadMeshes();
    game->loadScene(&g_renderer);
    game->loadShaders(&g_renderer);
    crtSeed(replay.header.levelSeed);  // the noise textures drew for another size
    game->loadSound();

    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                     "-f", "rawvideo", "-pix_fmt", "rgba",
                                     "-s", std::to_string(o.width) + "x" + std::to_string(o.height),
                                     "-framerate", std::to_string(o.fps), "-i", "pipe:0",
                                     "-i", wavPath, "-map", "0:v", "-map", "1:a", "-vf", "vflip"};
    for (const std::string& a : encoderArguments(outPath))
        args.push_back(a);
    args.push_back(outPath);
    std::signal(SIGPIPE, SIG_IGN);  // a failing ffmpeg shows as a failed write
    Encoder encoder;
    if (!encoder.start(args, error))
        return fail(error);

    std::vector<uint8_t> pixels(static_cast<size_t>(o.width) * static_cast<size_t>(o.height) * 4);
    FrameInputs inputs;
    double clock = 0.0;
    uint64_t written = 0;
    bool ok = true;
    ProgressBar progress(videoFrames);
    const double start = now();
    for (size_t k = 0; k < replay.frames.size() && ok; ++k) {
        const ReplayFrame& frame = replay.frames[k];
        applyReplayFrame(frame, inputs);
        clock += frame.delta;
        inputs.time = clock;
        log.clock = clock;
        if (shown[k] == 0) {
            game->rules.step(frame.delta, controlsFromFrameInputs(inputs, windowWidth, windowHeight));
            continue;
        }
        double delta = frame.delta;
        game->draw(&delta, &g_renderer, &inputs);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, o.width, o.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        for (uint32_t i = 0; i < shown[k] && ok; ++i) {
            ok = encoder.write(pixels.data(), pixels.size());
            ++written;
        }
        progress.update(written);
    }
    FSOUND_LogCalls(nullptr);
    const bool encoded = encoder.finish();
    const double took = now() - start;
    delete game;
    // The window and its context stay until the process ends: closing them
    // unloads the GL driver, whose unreachable caches then read as leaks.

    auto discard = [&](const std::string& why) {
        std::error_code ignored;
        std::filesystem::remove(outPath, ignored);
        return fail(why);
    };
    if (!ok || !encoded)
        return discard("ffmpeg failed to write " + outPath);
    if (log.calls != simulatedCalls)
        return discard("the drawn run's sound calls differ from the simulated run's; nothing written");
    std::printf("%s: %llu frames at %dx%d, %d fps, %.3f s with sound, from %zu recorded frames in %.1f s "
                "(%.1f video frames/s)\n",
                outPath.c_str(), static_cast<unsigned long long>(written), o.width, o.height, o.fps,
                static_cast<double>(written) / o.fps, replay.frames.size(), took, written / std::max(took, 1e-9));
    return 0;
}
