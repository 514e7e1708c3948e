// Recorded runs, headless: a scripted whole level goes through the recorder
// into a file and, read back and re-simulated, reaches the live rules' state
// at every frame; a run across a lost and a completed level agrees with its
// trailer; altered frames no longer do. The recorder's flushes leave a file
// that keeps every second of a run that never ends normally.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "../bench/soak_player.h"
#include "base/content_hash.h"
#include "base/crt_random.h"
#include "replay/replay_recorder.h"
#include "replay/replay_simulation.h"
#include "shell/frame_loop.h"

namespace {

constexpr int kWindowWidth = 1024;  // the mouse is scaled by the window
constexpr int kWindowHeight = 576;

std::string tempPath(const std::string& name)
{
    return testing::TempDir() + std::to_string(getpid()) + "_" + name;
}

// What the rules hold after a frame, hashed where it is long.
struct Snapshot {
    double time, score, life, lane, roll, bank, courseZ, powerTimer;
    int32_t frameCount;
    uint64_t entities;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const GameRules& r)
{
    ContentHash h;
    for (const GameEntity& e : r.entities.records) {
        const double values[] = {e.lane, e.z, e.health, e.age, e.lift, e.reload, e.flash};
        h.update(values, sizeof values);
        h.update(&e.alive, 1);
    }
    return {r.time, r.score, r.life, r.lane, r.roll, r.bank, r.courseZ, r.powerTimer, r.frameCount, h.finish()};
}

// A frame clock that wobbles as a real one does, so the deltas are not round.
double wobblyDelta(int frame) { return (1.0 / 30.0) * (1.0 + 0.3 * std::sin(frame * 0.37)); }

ReplayHeader headerFor(const GameRules& rules)
{
    ReplayHeader h;
    h.gameVersion = "glasswake test";
    h.settings.windowWidth = h.settings.renderWidth = kWindowWidth;
    h.settings.windowHeight = h.settings.renderHeight = kWindowHeight;
    h.levelSeed = rules.levelSeed;
    return h;
}

ReplayTrailer trailerFor(const GameRules& rules, uint32_t frames, double clock)
{
    ReplayTrailer t;
    t.frames = frames;
    t.demoTime = clock;
    t.gameTime = rules.time;
    t.score = rules.score;
    t.life = rules.life;
    t.levelsCompleted = static_cast<uint32_t>(rules.levelsCompleted);
    t.levelsLost = static_cast<uint32_t>(rules.levelsLost);
    t.ending = ReplayEnding::WindowClosed;
    return t;
}

// Plays the rules as the shell drives the game part, recording every frame,
// until `done` says so; returns the state after each frame.
template <typename Script, typename Done>
std::vector<Snapshot> playAndRecord(const std::string& path, uint32_t seed, Script script, Done done)
{
    crtSeed(seed);
    GameRules live;
    live.buildLevel();
    ReplayRecorder recorder;
    std::string error;
    EXPECT_TRUE(recorder.open(path, headerFor(live), error)) << error;
    std::vector<Snapshot> states;
    FrameInputs inputs;
    double clock = 0.0;
    for (int frame = 0; !done(live) && frame < 40000; ++frame) {
        const double delta = wobblyDelta(frame);
        script(clock, live, inputs);
        clock += delta;
        recorder.record(replayFrameFromInputs(delta, inputs, false), live.levelsCompleted + live.levelsLost);
        live.step(delta, controlsFromFrameInputs(inputs, kWindowWidth, kWindowHeight));
        states.push_back(snapshot(live));
    }
    recorder.finish(trailerFor(live, recorder.frames(), clock));
    EXPECT_FALSE(recorder.isOpen());
    return states;
}

}  // namespace

TEST(ReplayRun, AWholeLevelReSimulatesToTheSameStateAtEveryFrame)
{
    const std::string path = tempPath("level.gwreplay");
    // Steering with the cursor across the pipe, firing in bursts, the right
    // button held so the level is completed.
    auto script = [](double t, const GameRules&, FrameInputs& in) {
        in.mouseX = mouseXFromCursor(static_cast<int>(400 + 300 * (1 + std::sin(0.7 * t))));
        in.mouseY = mouseYFromCursor(static_cast<int>(300 + 100 * std::sin(0.3 * t)));
        in.leftButton = std::fmod(t, 2.0) < 1.5;
        in.rightButton = 1;
        in.wheel = std::floor(t / 50.0) * 0.2;
    };
    const std::vector<Snapshot> live =
        playAndRecord(path, 777, script, [](const GameRules& r) { return r.levelsCompleted == 1; });

    Replay replay;
    const ReplayReadResult read = readReplayFile(path, replay);
    ASSERT_TRUE(read.ok()) << read.error;
    ASSERT_EQ(replay.frames.size(), live.size());
    ReplaySimulation simulation(replay);
    for (size_t i = 0; i < live.size(); ++i) {
        simulation.step();
        ASSERT_TRUE(snapshot(simulation.rules) == live[i]) << "frame " << i;
    }
    const ReplayRunState end = simulation.state();
    EXPECT_TRUE(trailerAgrees(replay.trailer, end));
    EXPECT_EQ(end.levelsCompleted, 1u);
    EXPECT_GE(end.score, 1000.0);
    EXPECT_GT(simulation.rules.sound.played[CUE_HIT], 10);  // the run fired and hit
    std::remove(path.c_str());
}

TEST(ReplayRun, ALostAndACompletedLevelAgreeAndAlteredFramesDoNot)
{
    const std::string path = tempPath("restarts.gwreplay");
    // The soak player loses levels without the right button; once one is
    // lost it holds the button through the next.
    auto script = [](double t, const GameRules& rules, FrameInputs& in) {
        const GameControls c = soakControls(t, rules.levelsLost > 0);
        in.mouseX = c.mouseX * kWindowWidth / 1280.0;
        in.mouseY = c.mouseY * kWindowHeight / 1280.0;
        in.leftButton = c.leftButton;
        in.rightButton = c.rightButton;
    };
    playAndRecord(path, 4242, script, [](const GameRules& r) { return r.levelsCompleted == 1; });

    Replay replay;
    ASSERT_TRUE(readReplayFile(path, replay).ok());
    EXPECT_GE(replay.trailer.levelsLost, 1u);
    EXPECT_EQ(replay.trailer.levelsCompleted, 1u);
    ReplaySimulation simulation(replay);
    while (!simulation.done())
        simulation.step();
    EXPECT_TRUE(trailerAgrees(replay.trailer, simulation.state()));

    // One frame held a little longer: the file is sound, the run is another.
    replay.frames[replay.frames.size() / 2].delta *= 1.0001;
    ReplaySimulation altered(replay);
    while (!altered.done())
        altered.step();
    EXPECT_FALSE(trailerAgrees(replay.trailer, altered.state()));
    std::remove(path.c_str());
}

TEST(ReplayRecorder, FlushesEverySecondAndAtLevelEndsSoACrashKeepsTheRest)
{
    const std::string path = tempPath("flush.gwreplay");
    ReplayHeader header;
    header.gameVersion = "glasswake test";
    header.settings.windowWidth = header.settings.windowHeight = 100;
    header.settings.renderWidth = header.settings.renderHeight = 100;
    ReplayRecorder recorder;
    std::string error;
    ASSERT_TRUE(recorder.open(path, header, error)) << error;

    auto framesOnDisk = [&]() {
        Replay r;
        const ReplayReadResult result = readReplayFile(path, r);
        EXPECT_EQ(result.status, ReplayStatus::Incomplete) << result.error;
        return r.frames.size();
    };
    ReplayFrame frame;
    frame.delta = 0.25;
    recorder.record(frame, 0);
    EXPECT_EQ(framesOnDisk(), 1u);  // the first frame goes at once
    recorder.record(frame, 0);
    recorder.record(frame, 0);
    EXPECT_EQ(framesOnDisk(), 1u);  // half a second buffered
    recorder.record(frame, 0);
    EXPECT_EQ(framesOnDisk(), 4u);  // a second old by the next frame: out
    recorder.record(frame, 0);
    EXPECT_EQ(framesOnDisk(), 4u);
    recorder.record(frame, 1);  // the frame before ended a level
    EXPECT_EQ(framesOnDisk(), 5u);
    frame.delta = 2.0;  // slow frames go out one by one
    recorder.record(frame, 1);
    EXPECT_EQ(framesOnDisk(), 7u);

    // Another game cannot write into the file while this one records.
    ReplayRecorder second;
    EXPECT_FALSE(second.open(path, header, error));
    EXPECT_NE(error.find("another game"), std::string::npos) << error;

    // A crash: the recorder is gone without its trailer.
    recorder.close();
    EXPECT_EQ(framesOnDisk(), 7u);
    std::remove(path.c_str());

    ReplayRecorder nowhere;
    EXPECT_FALSE(nowhere.open(tempPath("no/such/folder/x.gwreplay"), header, error));
}

// In a child process: records to `path` while the file may grow to 4 KiB
// only, then exits 0 when the recording stopped with its reason and the file
// keeps what was written before.
[[noreturn]] void recordIntoASmallLimit(const std::string& path)
{
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = 4096;
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    ReplayHeader header;
    header.gameVersion = "glasswake test";
    header.settings.windowWidth = header.settings.windowHeight = 100;
    header.settings.renderWidth = header.settings.renderHeight = 100;
    ReplayRecorder recorder;
    std::string error;
    if (!recorder.open(path, header, error))
        std::_Exit(10);
    ReplayFrame frame;
    frame.delta = 2.0;  // each frame goes out at once
    int recorded = 0;
    while (recorder.isOpen() && recorded < 10000) {
        frame.mouseX = recorded;
        recorder.record(frame, 0);
        ++recorded;
    }
    std::fprintf(stderr, "stopped after %d frames: %s\n", recorded, recorder.failure().c_str());
    Replay kept;
    const ReplayReadResult read = readReplayFile(path, kept);
    const bool sound = read.status == ReplayStatus::Incomplete && kept.frames.size() + 1 >= size_t(recorded) &&
                       kept.frames.size() > 50;
    std::_Exit(sound && !recorder.failure().empty() ? 0 : 11);
}

TEST(ReplayRecorderDeathTest, AWriteThatFailsMidRunStopsTheRecordingAndKeepsWhatWasWritten)
{
    // A file that may grow to 4 KiB only (a full disk, a quota): the game
    // plays on, the recording stops with the reason, and the file reads as a
    // run that ended early, every block written before the failure kept.
    const std::string path = tempPath("full.gwreplay");
    EXPECT_EXIT(recordIntoASmallLimit(path), ::testing::ExitedWithCode(0), "stopped after [0-9]+ frames: File too large");
    std::remove(path.c_str());

    // A device that takes nothing: the header does not go, and the game is told at once.
    ReplayHeader header;
    ReplayRecorder full;
    std::string error;
    EXPECT_FALSE(full.open("/dev/full", header, error));
    EXPECT_EQ(error, "No space left on device");
}

TEST(ReplayRun, TheLargestValuesAReplayMayHoldRunThroughTheRules)
{
    // What the reader lets through must be safe for the rules: a day-long
    // frame, an empty one, the cursor a million units out either way.
    Replay replay;
    replay.header.levelSeed = 99;
    replay.header.settings.windowWidth = replay.header.settings.windowHeight = 1;
    const double deltas[] = {0.0, 1.0 / 60.0, REPLAY_MAX_DELTA, 1.0 / 60.0, REPLAY_MAX_DELTA};
    for (int i = 0; i < 200; ++i) {
        ReplayFrame f;
        f.delta = deltas[i % 5];
        f.mouseX = (i % 3 - 1) * REPLAY_MAX_INPUT;
        f.mouseY = (i % 2 ? 1 : -1) * REPLAY_MAX_INPUT;
        f.wheel = REPLAY_MAX_INPUT;
        f.leftButton = true;
        f.rightButton = i % 4 == 0;
        replay.frames.push_back(f);
    }
    ReplaySimulation simulation(replay);
    while (!simulation.done()) {
        simulation.step();
        const GameRules& r = simulation.rules;
        ASSERT_TRUE(std::isfinite(r.time) && std::isfinite(r.score) && std::isfinite(r.life) &&
                    std::isfinite(r.lane) && std::isfinite(r.roll) && std::isfinite(r.bank));
    }
    EXPECT_GT(simulation.rules.levelsCompleted + simulation.rules.levelsLost, 0);
}
