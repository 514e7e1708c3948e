// The replay never loses a run: random scripts of what can happen to a run
// (play, the pause, minimising, the exit fade begun anywhere, the pad coming
// and going, levels lost and completed, the recorder flushing, a signal, a
// crash) with random frame deltas (none, ordinary, very long), driven
// through the real window procedure, frame loop and recorder without a
// display. For every script: the file reads (as complete, or as incomplete
// after a crash), re-simulating it reaches the state the run stored and the
// state the game was in, and a cut at any block boundary reads as an
// incomplete run that keeps every frame before it.
//
// GLASSWAKE_PROPERTY_SCRIPTS=N runs N scripts (default 2000) and
// GLASSWAKE_PROPERTY_SEED=S starts from seed S; a failure prints its seed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/crt_random.h"
#include "base/file_bytes.h"
#include "game/part_game.h"
#include "replay/replay_simulation.h"
#include "settings/command_line.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/gamepad.h"
#include "shell/pause.h"
#include "shell/replay_session.h"
#include "shell/window.h"

namespace fs = std::filesystem;

namespace {

int64_t g_ticks = 0;
int64_t fakeCounter() { return g_ticks; }
int64_t fakeFrequency() { return 1000000; }  // microseconds

size_t fromEnvironment(const char* name, size_t fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

enum class Ending { Running, ExitFade, Closed, Crash };

struct Outcome {
    Ending ending = Ending::Running;
    size_t passes = 0;
    ReplayRunState live;  // the game's own state at the end
};

class Script {
public:
    explicit Script(uint64_t seed) : random_(seed) {}

    Outcome run(const std::string& path)
    {
        commandLine = CommandLine{};
        commandLine.recordPath = path;
        prepareReplaySession();
        resetShell();
        frameLoop.gamePart = new part_game();
        crtSeed(uniform(1, 1000000));
        game().rules.buildLevel();
        replayAfterParts();
        frameLoop.timer.counter = fakeCounter;
        frameLoop.timer.frequency = fakeFrequency;
        frameLoop.timer.reset();
        frameLoop.previousRead = frameLoop.timer.read();

        Outcome out;
        const size_t length = uniform(1, 120);
        for (; out.passes < length; ++out.passes) {
            if (const Ending e = events(); e != Ending::Running) {
                out.ending = e;
                break;
            }
            g_ticks += delta();
            messageLoopPass();
            if (frameLoop.exitFadeDone) {
                out.ending = Ending::ExitFade;
                ++out.passes;
                break;
            }
        }
        if (out.ending == Ending::Running)
            out.ending = chance(0.5) ? Ending::Closed : Ending::Crash;
        out.live = stateOfRules(game().rules, 0, demoTime);
        if (out.ending != Ending::Crash)
            replayRunEnded(out.ending == Ending::ExitFade ? ReplayEnding::ExitFade : ReplayEnding::WindowClosed);
        commandLine = CommandLine{};
        prepareReplaySession();  // a crash: the recorder goes without its trailer
        delete static_cast<part_game*>(frameLoop.gamePart);
        frameLoop.gamePart = nullptr;
        return out;
    }

private:
    std::mt19937_64 random_;

    static part_game& game() { return *static_cast<part_game*>(frameLoop.gamePart); }

    size_t uniform(size_t low, size_t high) { return std::uniform_int_distribution<size_t>(low, high)(random_); }
    double real(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    bool chance(double p) { return real(0.0, 1.0) < p; }

    // Microseconds of frame clock before a pass: none, a frame, a slow
    // frame, a minute, or a very long stop (the process stopped, the clock jumped).
    int64_t delta()
    {
        const double r = real(0.0, 1.0);
        double seconds = 0.0;
        if (r < 0.1)
            seconds = 0.0;
        else if (r < 0.75)
            seconds = real(1.0 / 240.0, 1.0 / 20.0);
        else if (r < 0.93)
            seconds = real(0.05, 2.0);
        else if (r < 0.98)
            seconds = real(2.0, 300.0);
        else
            seconds = real(1e5, 3e9);
        return static_cast<int64_t>(seconds * 1e6);
    }

    static void resetShell()
    {
        active = true;
        std::fill(std::begin(keys), std::end(keys), false);
        leftButton = rightButton = escapePressed = false;
        wheel = 0.0;
        gamepad = GamepadInput{};
        windowWidth = renderWidth = 640;
        windowHeight = renderHeight = 360;
        demoTime = 0.0;
        ending = frameLoop.exitFadeDone = false;
        pauseState.paused = pauseState.toggleRequested = pauseState.beginning = false;
        pauseState.seconds = 0.0;
        frameLoop.headless = true;
    }

    static void send(platform::EventType type, int key = 0)
    {
        platform::Event e;
        e.type = type;
        e.virtualKey = key;
        windowProc(e);
    }
    static void sendPad(platform::EventType type, platform::PadButton button)
    {
        platform::Event e;
        e.type = type;
        e.padButton = button;
        windowProc(e);
    }

    // What happens before a pass: mostly nothing, sometimes one or two things.
    Ending events()
    {
        using platform::EventType;
        using platform::PadButton;
        for (int i = 0; i < 2 && chance(0.35); ++i) {
            switch (uniform(0, 15)) {
            case 0: send(EventType::LButtonDown); break;
            case 1: send(EventType::LButtonUp); break;
            case 2: send(EventType::RButtonDown); break;
            case 3: send(EventType::RButtonUp); break;
            case 4:  // P, pressed and released (maybe held over a pass)
                send(EventType::KeyDown, VK_PAUSE_KEY);
                if (chance(0.7))
                    send(EventType::KeyUp, VK_PAUSE_KEY);
                break;
            case 5:
                if (chance(0.3)) {  // Escape: the fade
                    send(EventType::KeyDown, VK_ESCAPE_KEY);
                    send(EventType::KeyUp, VK_ESCAPE_KEY);
                }
                break;
            case 6: {  // minimised, or back
                platform::Event e;
                e.type = EventType::Activate;
                e.minimised = chance(0.5);
                windowProc(e);
                break;
            }
            case 7: sendPad(EventType::PadButtonDown, PadButton::A); break;
            case 8: sendPad(EventType::PadButtonUp, PadButton::A); break;
            case 9: sendPad(EventType::PadButtonDown, chance(0.5) ? PadButton::B : PadButton::RightTrigger); break;
            case 10: sendPad(EventType::PadButtonDown, PadButton::Start); break;
            case 11:
                if (chance(0.2))
                    sendPad(EventType::PadButtonDown, PadButton::Back);
                break;
            case 12: send(EventType::PadRemoved); break;
            case 13: send(EventType::KeyDown, uniform(0, 1) ? VK_LEFT_KEY : 'Q'); break;
            case 14: send(EventType::MouseWheel); break;
            case 15:
                if (chance(0.05))  // a signal, the window closed, or a crash
                    return chance(0.6) ? Ending::Closed : Ending::Crash;
                break;
            }
        }
        return Ending::Running;
    }
};

// Reads `bytes` and re-simulates what it holds.
struct Reading {
    ReplayReadResult result;
    Replay replay;
    ReplayRunState state;
};

Reading readAndSimulate(const std::vector<uint8_t>& bytes)
{
    Reading r;
    r.result = readReplay(bytes.data(), bytes.size(), r.replay);
    ReplaySimulation simulation(r.replay);
    while (!simulation.done())
        simulation.step();
    r.state = simulation.state();
    return r;
}

// The offsets at which each block begins, and the trailer's.
std::vector<size_t> blockBoundaries(const std::vector<uint8_t>& bytes)
{
    std::vector<size_t> at;
    uint32_t body = 0;
    std::memcpy(&body, &bytes[10], 4);
    size_t p = 14 + body + 8;
    while (p + 16 <= bytes.size()) {
        at.push_back(p);
        if (std::memcmp(&bytes[p], "FRMS", 4) != 0)
            break;
        uint32_t length = 0;
        std::memcpy(&length, &bytes[p + 12], 4);
        p += 16 + length + 8;
    }
    return at;
}

bool sameState(const ReplayRunState& a, const ReplayRunState& b)
{
    auto same = [](double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; };
    return same(a.demoTime, b.demoTime) && same(a.gameTime, b.gameTime) && same(a.score, b.score) &&
           same(a.life, b.life) && a.levelsCompleted == b.levelsCompleted && a.levelsLost == b.levelsLost;
}

class ReplayProperty : public ::testing::Test {
protected:
    fs::path dir;
    fs::path previous;

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("gw_property_" + std::to_string(getpid()));
        fs::create_directories(dir);
        previous = fs::current_path();
        fs::current_path(dir);  // the asset digest finds no files here: quick
        setenv("XDG_STATE_HOME", dir.c_str(), 1);
    }
    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(dir);
        frameLoop.headless = false;
        frameLoop.timer = FrameTimer{};
        commandLine = CommandLine{};
        prepareReplaySession();
    }
};

}  // namespace

TEST_F(ReplayProperty, EveryScriptedRunReadsAgreesAndSurvivesEveryCut)
{
    const size_t scripts = fromEnvironment("GLASSWAKE_PROPERTY_SCRIPTS", 2000);
    const uint64_t firstSeed = fromEnvironment("GLASSWAKE_PROPERTY_SEED", 1);
    const std::string path = (dir / "run.gwreplay").string();
    size_t passes = 0, records = 0, cuts = 0, fades = 0, crashes = 0;
    for (uint64_t seed = firstSeed; seed < firstSeed + scripts; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Outcome outcome = Script(seed).run(path);
        passes += outcome.passes;
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(readRegularFile(path.c_str(), bytes));

        const Reading whole = readAndSimulate(bytes);
        records += whole.replay.frames.size();
        if (outcome.ending == Ending::Crash) {
            ++crashes;
            ASSERT_EQ(whole.result.status, ReplayStatus::Incomplete) << whole.result.error;
        } else {
            ASSERT_TRUE(whole.result.ok()) << whole.result.error;
            ASSERT_TRUE(trailerAgrees(whole.replay.trailer, whole.state))
                << "the re-simulation does not reach the trailer's state";
            EXPECT_EQ(whole.replay.trailer.ending == ReplayEnding::ExitFade, outcome.ending == Ending::ExitFade);
            fades += outcome.ending == Ending::ExitFade;
        }
        // A crash loses what was not written yet; a run that ended wrote it all.
        if (outcome.ending != Ending::Crash) {
            ASSERT_TRUE(sameState(whole.state, outcome.live)) << "the re-simulation does not reach the game's state";
        }

        // Cut at each block boundary: every frame before it stays.
        size_t framesBefore = 0;
        const std::vector<size_t> boundaries = blockBoundaries(bytes);
        for (size_t b = 0; b < boundaries.size(); ++b) {
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(boundaries[b]));
            Replay part;
            const ReplayReadResult r = readReplay(cut.data(), cut.size(), part);
            ASSERT_EQ(r.status, ReplayStatus::Incomplete) << "cut at byte " << boundaries[b] << ": " << r.error;
            ASSERT_EQ(part.frames.size(), framesBefore) << "cut at byte " << boundaries[b];
            ++cuts;
            if (b < whole.replay.blockFrames.size())
                framesBefore += whole.replay.blockFrames[b];
        }
    }
    std::printf("%zu scripts from seed %llu: %zu passes, %zu records, %zu exit fades, %zu crashes, %zu cuts\n",
                scripts, static_cast<unsigned long long>(firstSeed), passes, records, fades, crashes, cuts);
}
