// replay_session.cpp - see replay_session.h.
#include "shell/replay_session.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "game/part_game.h"
#include "shell/asset_digest.h"
#include "shell/command_line.h"
#include "shell/crt_random.h"
#include "shell/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/platform.h"
#include "shell/replay_recorder.h"
#include "shell/user_paths.h"

namespace {

struct Session {
    // Recording.
    std::string recordPath;
    ReplayRecorder recorder;
    bool fadeRecorded = false;
    bool failureShown = false;
    // Playback.
    bool playing = false;
    Replay replay;
    size_t next = 0;
    bool paced = false;
    double paceTime = 0.0;  // counter seconds at which the last frame was due
};

Session g_session;

double counterSeconds()
{
    return static_cast<double>(platform::performanceCounter()) /
           static_cast<double>(platform::performanceFrequency());
}

part_game* game() { return static_cast<part_game*>(gamePart); }

std::string absolutePath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

int refuse(const std::string& path, const std::string& why)
{
    platform::messageBox("Cannot play the replay " + path + ":\n\n" + why, "Glasswake replay",
                         platform::MessageIcon::Exclamation);
    std::fprintf(stderr, "glasswake: %s: %s\n", path.c_str(), why.c_str());
    return 1;
}

void reportRecordingFailure()
{
    if (g_session.failureShown || g_session.recorder.failure().empty())
        return;
    g_session.failureShown = true;
    std::fprintf(stderr, "glasswake: recording to %s stopped: %s\n", g_session.recordPath.c_str(),
                 g_session.recorder.failure().c_str());
}

}  // namespace

int prepareReplaySession()
{
    g_session = Session{};
    if (commandLine.replayPath.empty()) {
        if (!commandLine.recordPath.empty()) {
            g_session.recordPath = absolutePath(commandLine.recordPath);
        } else {
            const std::string folder = stateDirectory();
            if (!folder.empty() && makeDirectories(folder))
                g_session.recordPath = folder + "last.gwreplay";
            else
                std::fprintf(stderr, "glasswake: no state folder to record this run in\n");
        }
        return -1;
    }

    const std::string& path = commandLine.replayPath;
    const ReplayReadResult read = readReplayFile(path, g_session.replay);
    if (!read.ok())
        return refuse(path, read.error);
    const std::string mismatch = replayMismatch(g_session.replay.header, platform::executableDirectory());
    if (!mismatch.empty())
        return refuse(path, mismatch);
    g_session.playing = true;
    return -1;
}

bool replayPlaybackActive() { return g_session.playing; }

void applyReplaySettings()
{
    const ReplaySettings& s = g_session.replay.header.settings;
    fullscreen = s.fullscreen;
    antialiased = s.antialiased;
    windowWidth = s.windowWidth;
    windowHeight = s.windowHeight;
    renderWidth = s.renderWidth;
    renderHeight = s.renderHeight;
    settingsChoice.mode = {s.modeWidth, s.modeHeight};
    settingsChoice.windowed = s.windowed;
    settingsChoice.antialiased = s.antialiased;
    settingsChoice.force169 = s.force169;
}

void replayAfterParts()
{
    if (g_session.playing) {
        // The level depends on the generator's state after loading; should
        // anything have drawn from it differently, lay the recorded one out.
        if (game()->rules.levelSeed != g_session.replay.header.levelSeed) {
            crtSeed(g_session.replay.header.levelSeed);
            game()->rules.buildLevel();
        }
        return;
    }
    if (g_session.recordPath.empty())
        return;
    ReplayHeader header;
    header.gameVersion = versionText();
    ReplaySettings& s = header.settings;
    s.fullscreen = fullscreen;
    s.windowed = settingsChoice.windowed;
    s.antialiased = antialiased;
    s.force169 = settingsChoice.force169;
    s.modeWidth = settingsChoice.mode.width;
    s.modeHeight = settingsChoice.mode.height;
    s.windowWidth = windowWidth;
    s.windowHeight = windowHeight;
    s.renderWidth = renderWidth;
    s.renderHeight = renderHeight;
    header.levelSeed = game()->rules.levelSeed;
    header.assets = digestGameAssets("");
    std::string error;
    if (!g_session.recorder.open(g_session.recordPath, header, error))
        std::fprintf(stderr, "glasswake: not recording to %s: %s\n", g_session.recordPath.c_str(), error.c_str());
}

bool replayHasFrame() { return !g_session.playing || g_session.next < g_session.replay.frames.size(); }

double replayFrameDelta(double measured)
{
    if (!g_session.playing)
        return measured;
    const ReplayFrame& frame = g_session.replay.frames[g_session.next];
    if (frame.fadeStarts && !ending) {
        ending = true;
        endStart = demoTime;
    }
    // Each frame is due its recorded delta after the one before. Far behind
    // (a slow machine, a pause) the schedule starts again from now rather
    // than racing to catch up; a long gap in the run (the window was
    // minimised) is waited out for a moment only, so the window keeps
    // answering.
    constexpr double MAX_LAG = 0.25;
    constexpr double MAX_WAIT = 0.25;
    const double now = counterSeconds();
    const double due = g_session.paced ? g_session.paceTime + frame.delta : now;
    if (due - now > MAX_WAIT) {
        usleep(static_cast<useconds_t>(MAX_WAIT * 1e6));
        g_session.paceTime = now + MAX_WAIT;
    } else if (due > now) {
        usleep(static_cast<useconds_t>((due - now) * 1e6));
        g_session.paceTime = due;
    } else {
        g_session.paceTime = now - due > MAX_LAG ? now : due;
    }
    g_session.paced = true;
    return frame.delta;
}

void replayAtDraw(double delta, FrameInputs& inputs)
{
    if (g_session.playing) {
        applyReplayFrame(g_session.replay.frames[g_session.next++], inputs);
        return;
    }
    if (!g_session.recorder.isOpen()) {
        reportRecordingFailure();
        return;
    }
    const bool fadeStarts = ending && !g_session.fadeRecorded;
    g_session.fadeRecorded = ending;
    const GameRules& rules = game()->rules;
    g_session.recorder.record(replayFrameFromInputs(delta, inputs, fadeStarts),
                              rules.levelsCompleted + rules.levelsLost);
}

void replayRunEnded(ReplayEnding how)
{
    if (!g_session.recorder.isOpen() || !gamePart) {
        reportRecordingFailure();
        return;
    }
    const GameRules& rules = game()->rules;
    ReplayTrailer t;
    t.frames = g_session.recorder.frames();
    t.demoTime = g_session.recorder.seconds();
    t.gameTime = rules.time;
    t.score = rules.score;
    t.life = rules.life;
    t.levelsCompleted = static_cast<uint32_t>(rules.levelsCompleted);
    t.levelsLost = static_cast<uint32_t>(rules.levelsLost);
    t.ending = how;
    g_session.recorder.finish(t);
    reportRecordingFailure();
}
