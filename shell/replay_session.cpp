// replay_session.cpp - see replay_session.h.
#include "shell/replay_session.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/crt_random.h"
#include "game/part_game.h"
#include "platform/platform.h"
#include "platform/user_paths.h"
#include "render/png_image.h"
#include "replay/asset_digest.h"
#include "replay/replay_display.h"
#include "replay/replay_recorder.h"
#include "replay/replay_simulation.h"
#include "settings/command_line.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/pause.h"
#include "sound/sound.h"

namespace {

struct Session {
    // Recording.
    std::string recordPath;
    ReplayRecorder recorder;
    bool fadeRecorded = false;
    bool failureShown = false;
    // Playback.
    bool playing = false;
    bool paced = true;
    Replay replay;
    size_t next = 0;
    bool pacing = false;
    double paceTime = 0.0;  // counter seconds at which the last record was due
    std::vector<FrameDump> dumps;  // GLASSWAKE_DUMP_FRAME
};

Session g_session;

double counterSeconds()
{
    return static_cast<double>(platform::performanceCounter()) /
           static_cast<double>(platform::performanceFrequency());
}

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

// Playback waits until the record is due: its recorded delta after the one
// before. Far behind (a slow machine) the schedule starts again from now
// rather than racing to catch up; a long gap in the run (the window was
// minimised, the process stopped) is waited out for a moment only, so the
// window keeps answering.
void paceRecord(double delta)
{
    if (!g_session.paced)
        return;
    constexpr double MAX_LAG = 0.25;
    constexpr double MAX_WAIT = 0.25;
    const double now = counterSeconds();
    const double due = g_session.pacing ? g_session.paceTime + delta : now;
    if (due - now > MAX_WAIT) {
        usleep(static_cast<useconds_t>(MAX_WAIT * 1e6));
        g_session.paceTime = now + MAX_WAIT;
    } else if (due > now) {
        usleep(static_cast<useconds_t>((due - now) * 1e6));
        g_session.paceTime = due;
    } else {
        g_session.paceTime = now - due > MAX_LAG ? now : due;
    }
    g_session.pacing = true;
}

void beginRecordedFade(const ReplayFrame& record)
{
    if (record.fadeStarts && !ending) {
        ending = true;
        endStart = demoTime;
    }
}

void readDumpRequest()
{
    const char* text = std::getenv("GLASSWAKE_DUMP_FRAME");
    if (!text || !*text)
        return;
    if (!parseDumpFrames(text, g_session.dumps))
        std::fprintf(stderr, "glasswake: GLASSWAKE_DUMP_FRAME is not N:FILE[,N:FILE...]: %s\n", text);
}

}  // namespace

bool parseDumpFrames(const std::string& text, std::vector<FrameDump>& dumps)
{
    dumps.clear();
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        const size_t colon = item.find(':');
        if (colon == 0 || colon == std::string::npos || colon + 1 == item.size() || colon > 9)
            break;
        size_t n = 0;
        bool digits = true;
        for (size_t i = 0; i < colon; ++i) {
            digits = digits && item[i] >= '0' && item[i] <= '9';
            n = n * 10 + size_t(item[i] - '0');
        }
        if (!digits || n == 0)
            break;
        dumps.push_back({n, absolutePath(item.substr(colon + 1))});
        if (end == text.size())
            return true;
        start = end + 1;
    }
    dumps.clear();
    return false;
}

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
    Replay replay;
    const ReplayReadResult read = readReplayFile(path, replay);
    if (!read.ok())
        return refuse(path, read.error);
    const std::string mismatch = replayMismatch(replay.header, platform::executableDirectory());
    if (!mismatch.empty())
        return refuse(path, mismatch);
    startReplayPlayback(replay, true);
    return -1;
}

void startReplayPlayback(const Replay& replay, bool paced)
{
    g_session = Session{};
    g_session.playing = true;
    g_session.paced = paced;
    g_session.replay = replay;
    readDumpRequest();
}

bool replayPlaybackActive() { return g_session.playing; }

void applyReplaySettings()
{
    displaySizes = sizesOfRecording(g_session.replay.header.settings);
    settingsChoice = choiceOfRecording(g_session.replay.header.settings);
    settingsChoice.showFps = commandLine.showFps.value_or(false);  // this run's, not the recording's
}

void replayAfterParts()
{
    if (g_session.playing) {
        // The level depends on the generator's state after loading; should
        // anything have drawn from it differently, lay the recorded one out.
        if (runningGame()->rules.levelSeed != g_session.replay.header.levelSeed) {
            crtSeed(g_session.replay.header.levelSeed);
            runningGame()->rules.buildLevel();
        }
        return;
    }
    if (g_session.recordPath.empty())
        return;
    const ReplayHeader header =
        headerOfThisBuild(recordedDisplay(displaySizes, settingsChoice), runningGame()->rules.levelSeed, "");
    std::string error;
    if (!g_session.recorder.open(g_session.recordPath, header, error))
        std::fprintf(stderr, "glasswake: not recording to %s: %s\n", g_session.recordPath.c_str(), error.c_str());
}

bool replayHasFrame() { return !g_session.playing || g_session.next < g_session.replay.frames.size(); }

size_t replayRecordsPlayed() { return g_session.next; }

void replayPlaybackPass(bool draw)
{
    const ReplayFrame& record = g_session.replay.frames[g_session.next];
    paceRecord(record.delta);
    if (record.paused) {
        beginRecordedFade(record);
        ++g_session.next;
        pauseState.seconds += record.delta;
        if (ending)
            demoTime += record.delta;  // the fade runs on the shell's clock
        if (draw && !frameLoop.headless)
            drawHeldFrame();
        if (ending)
            drawExitFade(draw);
        return;
    }
    if (pauseState.paused) {  // the frame that ends the pause
        pauseState.paused = false;
        pauseSound(false);
    }
    drawFrame(draw || record.pauseBegins);  // the held picture is this frame's
    if (record.pauseBegins) {
        holdFrameClock();
        if (!frameLoop.headless) {
            captureHeldFrame();
            drawHeldFrame();
        }
    }
}

double replayFrameDelta(double measured)
{
    if (!g_session.playing)
        return measured;
    const ReplayFrame& record = g_session.replay.frames[g_session.next];
    beginRecordedFade(record);
    return record.delta;
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
    ReplayFrame frame = replayFrameFromInputs(delta, inputs, ending && !g_session.fadeRecorded);
    frame.pauseBegins = pauseState.beginning;
    g_session.fadeRecorded = ending;
    const GameRules& rules = runningGame()->rules;
    g_session.recorder.record(frame, rules.levelsCompleted + rules.levelsLost);
}

void replayPausedPass(double delta)
{
    if (g_session.playing)
        return;
    if (!g_session.recorder.isOpen()) {
        reportRecordingFailure();
        return;
    }
    const GameRules& rules = runningGame()->rules;
    g_session.recorder.record(replayPausedRecord(delta, ending && !g_session.fadeRecorded),
                              rules.levelsCompleted + rules.levelsLost);
    g_session.fadeRecorded = ending;
}

void replayAfterPass()
{
    if (!g_session.playing || frameLoop.headless)
        return;
    for (FrameDump& dump : g_session.dumps) {
        if (dump.frame != g_session.next)
            continue;
        const std::vector<uint8_t> pixels = readWindowPicture(renderWidth, renderHeight);
        if (!savePng(dump.path, renderWidth, renderHeight, pixels))
            std::fprintf(stderr, "glasswake: cannot write %s\n", dump.path.c_str());
        dump.frame = 0;  // once
    }
}

void replayRunEnded(ReplayEnding how)
{
    if (!g_session.recorder.isOpen() || !frameLoop.gamePart) {
        reportRecordingFailure();
        return;
    }
    g_session.recorder.finish({stateOfRules(runningGame()->rules, g_session.recorder.frames(), demoTime), how});
    reportRecordingFailure();
}

int replayPlaybackVerdict()
{
    const Replay& replay = g_session.replay;
    if (!g_session.playing || !replay.complete || g_session.next < replay.frames.size() || !frameLoop.gamePart)
        return 0;
    const ReplayRunState state = stateOfRules(runningGame()->rules, static_cast<uint32_t>(g_session.next), demoTime);
    if (trailerAgrees(replay.trailer, state))
        return 0;
    const std::string why = "The replay played differently from the recorded run: it ends with score " +
                            std::to_string(static_cast<long long>(state.score)) + " and game time " +
                            std::to_string(state.gameTime) + " s, the run ended with " +
                            std::to_string(static_cast<long long>(replay.trailer.score)) + " and " +
                            std::to_string(replay.trailer.gameTime) + " s.";
    std::fprintf(stderr, "glasswake: %s\n", why.c_str());
    platform::messageBox(why, "Glasswake replay", platform::MessageIcon::Exclamation);
    return 1;
}
