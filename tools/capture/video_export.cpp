// video_export.cpp - see video_export.h.
#include "tools/capture/video_export.h"

#include <SDL2/SDL.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "render/png_image.h"
#include "replay/asset_digest.h"
#include "replay/replay_simulation.h"
#include "settings/command_line.h"
#include "sound/sound_offline.h"
#include "tools/capture/replay_render.h"

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

// --- stopping on a signal ------------------------------------------------------

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void onStopSignal(int signal) { g_stopSignal = signal; }

// SIGINT, SIGTERM and SIGHUP stop the export at the next record; SIGPIPE is
// a failed write to ffmpeg.
void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
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
        const long seconds = std::lround(std::min(left, 1e9));
        std::fprintf(stderr, "%s[%.*s%.*s] %llu/%llu frames  %.1f frames/s  %ld:%02ld left%s", tty_ ? "\r" : "",
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

bool writeAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            if (g_stopSignal)
                return false;
            continue;
        }
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// ffmpeg reading raw RGBA frames on its standard input and raw 16-bit stereo
// sound on its descriptor 3.
class Encoder {
public:
    int videoFd = -1;
    int soundFd = -1;

    bool start(const std::vector<std::string>& args, std::string& error)
    {
        int video[2];
        int sound[2];
        if (pipe2(video, O_CLOEXEC) != 0)
            return failed(error, std::strerror(errno));
        if (pipe2(sound, O_CLOEXEC) != 0) {
            ::close(video[0]);
            ::close(video[1]);
            return failed(error, std::strerror(errno));
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, video[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, sound[0], 3);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(video[0]);
        ::close(sound[0]);
        videoFd = video[1];
        soundFd = sound[1];
        if (spawned != 0) {
            pid_ = -1;
            closeInputs();
            return failed(error, spawned == ENOENT ? "ffmpeg not found (Debian's ffmpeg package provides it)"
                                                   : std::string("cannot start ffmpeg: ") + std::strerror(spawned));
        }
        return true;
    }

    void closeVideo()
    {
        if (videoFd >= 0)
            ::close(videoFd);
        videoFd = -1;
    }
    void closeInputs()
    {
        closeVideo();
        if (soundFd >= 0)
            ::close(soundFd);
        soundFd = -1;
    }

    // Waits for ffmpeg to end; true when it succeeded.
    bool finish()
    {
        closeInputs();
        if (pid_ < 0)
            return false;
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // Stops ffmpeg without waiting for its output.
    void stop()
    {
        if (pid_ >= 0)
            kill(pid_, SIGTERM);
        finish();
    }

    ~Encoder() { stop(); }

private:
    pid_t pid_ = -1;

    static bool failed(std::string& error, const std::string& why)
    {
        error = why;
        return false;
    }
};

// The video under a temporary name beside OUT, made by this tool alone:
// renamed to OUT when complete, removed otherwise.
class PartialOutput {
public:
    std::string path;

    bool make(const std::string& target, std::string& error)
    {
        const std::filesystem::path t(target);
        std::string pattern = (t.parent_path() / ("." + t.filename().string() + ".partial-XXXXXX")).string();
        const int fd = mkstemp(pattern.data());
        if (fd < 0) {
            error = "cannot write beside " + target + ": " + std::strerror(errno);
            return false;
        }
        ::close(fd);
        path = pattern;
        return true;
    }
    bool commit(const std::string& target, std::string& error)
    {
        if (std::rename(path.c_str(), target.c_str()) != 0) {
            error = "cannot write " + target + ": " + std::strerror(errno);
            return false;
        }
        path.clear();
        return true;
    }
    ~PartialOutput()
    {
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

// The sound files a log loads, decoded once: the mixer reads them from here
// while it runs beside the pictures.
class DecodedSounds {
public:
    bool decodeAll(const std::vector<SoundCall>& calls)
    {
        for (const SoundCall& call : calls)
            if (call.op == SoundOp::Load && !sounds_.count(call.file)) {
                std::vector<int16_t> pcm;
                const bool ok = decodeSoundFile(call.file, pcm);
                sounds_[call.file] = {ok, std::move(pcm)};
            }
        closeSoundDecoding();
        return true;
    }
    SoundDecoder decoder() const
    {
        return [this](const std::string& file, std::vector<int16_t>& out) {
            auto it = sounds_.find(file);
            if (it == sounds_.end() || !it->second.first)
                return false;
            out = it->second.second;
            return true;
        };
    }

private:
    std::map<std::string, std::pair<bool, std::vector<int16_t>>> sounds_;
};

// The run's sound calls, from the rules alone, stamped with the video's
// clock (every record's delta, the pause's included), the first `setUpCalls`
// of them the sound's set-up; false when the rules do not reach the state the
// run's trailer stored.
bool simulateSoundCalls(const Replay& replay, std::vector<SoundCall>& calls, size_t& setUpCalls, double& seconds)
{
    SoundCallLog log;
    FSOUND_LogCalls(&log);
    ReplaySimulation simulation(replay, true);
    setUpCalls = log.calls.size();
    double clock = 0.0;
    while (!simulation.done()) {
        clock += replay.frames[simulation.next].delta;
        log.clock = clock;
        simulation.step();
    }
    FSOUND_LogCalls(nullptr);
    calls = std::move(log.calls);
    seconds = clock;
    return !replay.complete || trailerAgrees(replay.trailer, simulation.state());
}

bool parseCount(const std::string& text, long low, long high, long& out)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high)
        return false;
    out = v;
    return true;
}

std::string executableDirectory()
{
    char* b = SDL_GetBasePath();
    std::string dir = b ? b : "./";
    SDL_free(b);
    return dir;
}

// Reads and checks the replay, then enters the assets' folder. 0 to go on.
int loadReplay(const std::string& path, Replay& replay)
{
    const ReplayReadResult read = readReplayFile(path, replay);
    if (!read.ok())
        return fail(path + ": " + read.error);
    if (replay.frames.empty())
        return fail(path + ": the run has no frames");
    const std::string base = executableDirectory();
    const std::string mismatch = replayMismatch(replay.header, base);
    if (!mismatch.empty())
        return fail(path + ": " + mismatch);
    if (chdir(base.c_str()) != 0)
        return fail("cannot enter " + base);
    return 0;
}

}  // namespace

bool wantsVideoExport(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        for (const char* option : {"--replay", "--video", "--frame", "--png"})
            if (a == option || a.rfind(std::string(option) + "=", 0) == 0)
                return true;
    }
    return false;
}

bool parseVideoExportOptions(int argc, char** argv, VideoExportOptions& o, std::string& error)
{
    std::string video, png;
    bool fpsGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        std::string value;
        bool joined = false;
        if (const size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = a.substr(eq + 1);
            a.resize(eq);
            joined = true;
        }
        if (a != "--replay" && a != "--video" && a != "--size" && a != "--fps" && a != "--frame" && a != "--png") {
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
        long number = 0;
        if (a == "--replay") {
            o.replayPath = value;
        } else if (a == "--video") {
            video = value;
        } else if (a == "--png") {
            png = value;
        } else if (a == "--size") {
            if (!parseSize(value, o.width, o.height) || o.width < 16 || o.height < 16 || o.width > 7680 ||
                o.height > 4320 || o.width % 2 || o.height % 2) {
                error = "bad size '" + value + "' (even WxH, 16x16 to 7680x4320)";
                return false;
            }
            o.sizeGiven = true;
        } else if (a == "--frame") {
            if (!parseCount(value, 1, UINT32_MAX, number)) {
                error = "bad frame '" + value + "' (1 for the first)";
                return false;
            }
            o.frame = static_cast<size_t>(number);
        } else {
            if (!parseCount(value, 1, 240, number)) {
                error = "bad frame rate '" + value + "' (1 to 240)";
                return false;
            }
            o.fps = static_cast<int>(number);
            fpsGiven = true;
        }
    }
    if (o.replayPath.empty() || (video.empty() == png.empty())) {
        error = "--replay FILE and either --video OUT or --frame N --png OUT are needed";
        return false;
    }
    if (!png.empty()) {
        if (o.frame == 0 || fpsGiven) {
            error = "--png goes with --frame N (and without --fps)";
            return false;
        }
        o.outPath = png;
        return true;
    }
    if (o.frame != 0) {
        error = "--frame goes with --png OUT";
        return false;
    }
    o.outPath = video;
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
                "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4"};
    if (ext == ".webm")
        return {"-c:v", "libvpx-vp9", "-crf", "32", "-b:v", "0", "-deadline", "realtime", "-cpu-used", "8",
                "-row-mt", "1", "-pix_fmt", "yuv420p", "-c:a", "libopus", "-b:a", "128k", "-ar", "48000",
                "-f", "webm"};
    return {};
}

bool videoFramesPerRecord(const Replay& replay, int fps, std::vector<uint64_t>& shown, uint64_t& videoFrames)
{
    constexpr double MAX_VIDEO_FRAMES = double(uint64_t(1) << 40);
    shown.assign(replay.frames.size(), 0);
    double clock = 0.0;  // the end of each record, summed as the frame loop sums it
    for (const ReplayFrame& f : replay.frames)
        clock += f.delta;
    const double total = std::round(clock * fps);
    if (!(total <= MAX_VIDEO_FRAMES))
        return false;
    videoFrames = std::max<uint64_t>(1, static_cast<uint64_t>(total));
    if (shown.empty())
        return true;
    // Video frame i shows the last record that ends at or before i / fps (the
    // first record before any has ended): each record takes the frames up to
    // the one the next record ends at.
    uint64_t given = 0;
    clock = 0.0;
    for (size_t k = 0; k < replay.frames.size(); ++k) {
        uint64_t until = videoFrames;  // the frames before the next record's end
        if (k + 1 < replay.frames.size()) {
            const double nextEnd = clock + replay.frames[k].delta + replay.frames[k + 1].delta;
            until = std::min<uint64_t>(videoFrames, static_cast<uint64_t>(std::ceil(nextEnd * fps)));
        }
        clock += replay.frames[k].delta;
        if (until > given) {
            shown[k] = until - given;
            given = until;
        }
    }
    return true;
}

int exportReplayVideo(const VideoExportOptions& o)
{
    catchStopSignals();
    Replay replay;
    if (const int refused = loadReplay(o.replayPath, replay))
        return refused;
    const std::string outPath = std::filesystem::absolute(o.outPath).string();
    std::error_code ignored;
    if (std::filesystem::is_directory(outPath, ignored))
        return fail(outPath + " is a folder; the video needs a file name");

    std::vector<uint64_t> shown;
    uint64_t videoFrames = 0;
    if (!videoFramesPerRecord(replay, o.fps, shown, videoFrames))
        return fail(o.replayPath + ": the run is too long for a video at " + std::to_string(o.fps) + " fps");

    std::vector<SoundCall> simulatedCalls;
    size_t setUpCalls = 0;
    double seconds = 0.0;
    if (!simulateSoundCalls(replay, simulatedCalls, setUpCalls, seconds))
        return fail(o.replayPath + ": the rules do not reach the state the run stored; nothing written");
    DecodedSounds sounds;
    sounds.decodeAll(simulatedCalls);
    const uint64_t soundFrames = static_cast<uint64_t>(std::llround(seconds * OFFLINE_RATE));

    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SoundCallLog log;  // the drawn pass's sound calls: the same as the simulated ones
    FSOUND_LogCalls(&log);
    ReplayRender render;
    std::string error;
    if (!render.open(replay, o.width, o.height, error))
        return fail(error);
    // The set-up may lay the level out twice (at another size the generator
    // stands elsewhere after loading); the records' calls are compared.
    log.calls.clear();
    catchStopSignals();  // SDL may have put its own in

    PartialOutput partial;
    if (!partial.make(outPath, error))
        return fail(error);
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                     "-f", "rawvideo", "-pix_fmt", "rgba",
                                     "-s", std::to_string(render.width) + "x" + std::to_string(render.height),
                                     "-framerate", std::to_string(o.fps), "-i", "pipe:0",
                                     "-f", "s16le", "-ar", std::to_string(OFFLINE_RATE), "-ac", "2", "-i", "pipe:3",
                                     "-map", "0:v", "-map", "1:a", "-vf", "vflip"};
    for (const std::string& a : encoderArguments(outPath))
        args.push_back(a);
    args.push_back(partial.path);
    Encoder encoder;
    if (!encoder.start(args, error))
        return fail(error);

    // The sound track, mixed and handed over beside the pictures.
    bool soundWritten = false;
    std::thread soundThread([&] {
        OfflineMixer mixer(sounds.decoder());
        std::vector<uint8_t> bytes;
        soundWritten = mixer.render(simulatedCalls, soundFrames, [&](const int16_t* s, size_t n) {
            bytes.resize(4 * n);
            littleEndianSamples(s, 2 * n, bytes.data());
            return writeAll(encoder.soundFd, bytes.data(), bytes.size());
        });
    });

    uint64_t written = 0;
    bool ok = true;
    ProgressBar progress(videoFrames);
    const double start = now();
    double clock = 0.0;
    for (size_t k = 0; k < replay.frames.size() && ok && !g_stopSignal; ++k) {
        clock += replay.frames[k].delta;
        log.clock = clock;
        render.playNext(shown[k] > 0);
        if (shown[k] == 0)
            continue;
        const std::vector<uint8_t> pixels = render.picture();
        for (uint64_t i = 0; i < shown[k] && ok && !g_stopSignal; ++i) {
            ok = writeAll(encoder.videoFd, pixels.data(), pixels.size());
            ++written;
        }
        progress.update(written);
    }
    FSOUND_LogCalls(nullptr);
    if (g_stopSignal || !ok) {
        encoder.stop();
        soundThread.join();
        if (g_stopSignal) {
            std::fprintf(stderr, "\nglasswake-capture: stopped; nothing written\n");
            return 128 + g_stopSignal;
        }
        return fail("ffmpeg failed to write " + outPath + "; nothing written");
    }
    encoder.closeVideo();
    soundThread.join();
    const bool encoded = encoder.finish();
    const double took = now() - start;
    if (g_stopSignal) {
        std::fprintf(stderr, "glasswake-capture: stopped; nothing written\n");
        return 128 + g_stopSignal;
    }
    if (!encoded || !soundWritten)
        return fail("ffmpeg failed to write " + outPath + "; nothing written");
    if (!std::equal(log.calls.begin(), log.calls.end(), simulatedCalls.begin() + long(setUpCalls),
                    simulatedCalls.end()))
        return fail("the drawn run's sound calls differ from the simulated run's; nothing written");
    if (!partial.commit(outPath, error))
        return fail(error);
    std::printf("%s: %llu frames at %dx%d, %d fps, %.3f s with sound, from %zu records in %.1f s "
                "(%.1f video frames/s)\n",
                outPath.c_str(), static_cast<unsigned long long>(written), render.width, render.height, o.fps,
                static_cast<double>(written) / o.fps, replay.frames.size(), took, written / std::max(took, 1e-9));
    return 0;
}

int exportReplayFrame(const VideoExportOptions& o)
{
    Replay replay;
    if (const int refused = loadReplay(o.replayPath, replay))
        return refused;
    if (o.frame > replay.frames.size())
        return fail(o.replayPath + ": the run has " + std::to_string(replay.frames.size()) + " frames, not " +
                    std::to_string(o.frame));
    const std::string outPath = std::filesystem::absolute(o.outPath).string();
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ReplayRender render;
    std::string error;
    if (!render.open(replay, o.sizeGiven ? o.width : 0, o.sizeGiven ? o.height : 0, error))
        return fail(error);
    while (render.played() < o.frame)
        render.playNext(render.played() + 1 == o.frame);
    if (!savePng(outPath, render.width, render.height, render.picture()))
        return fail("cannot write " + outPath);
    std::printf("%s: frame %zu of %zu at %dx%d\n", outPath.c_str(), o.frame, replay.frames.size(), render.width,
                render.height);
    return 0;
}
