// inspect_replay.cpp - glasswake-inspect replay FILE: re-simulates a recorded
// run with the rules only and checks it against the state the run stored.
//
// Prints frames, seconds (game time at the end), score, life, levels
// completed and lost as the simulation reaches them, the trailer's values,
// and whether the two agree bit for bit. Exit 0 when the file is well formed
// and agrees, 1 otherwise (a damaged, foreign, newer or unfinished file, one
// made with other assets, or a disagreement), with a line on stderr.
#include <cmath>
#include <cstdio>
#include <string>

#include "inspect.h"
#include "platform/platform.h"
#include "replay/asset_digest.h"
#include "replay/replay_simulation.h"

namespace {

std::string number(double v)
{
    if (!std::isfinite(v))
        return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string stateJson(const ReplayRunState& s)
{
    return "\"frames\":" + std::to_string(s.frames) + ",\"demo_seconds\":" + number(s.demoTime) +
           ",\"seconds\":" + number(s.gameTime) + ",\"score\":" + number(s.score) + ",\"life\":" + number(s.life) +
           ",\"levels_completed\":" + std::to_string(s.levelsCompleted) +
           ",\"levels_lost\":" + std::to_string(s.levelsLost);
}

int refused(const std::string& file, const std::string& reason)
{
    std::printf("{\"file\":%s,\"error\":%s}\n", jsonString(file).c_str(), jsonString(reason).c_str());
    std::fprintf(stderr, "glasswake-inspect: %s: %s\n", file.c_str(), reason.c_str());
    return 1;
}

int inspectReplay(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: glasswake-inspect replay FILE\n");
        return 2;
    }
    const std::string file = argv[1];
    Replay replay;
    const ReplayReadResult read = readReplayFile(file, replay);
    if (!read.ok() && read.status != ReplayStatus::Incomplete)
        return refused(file, read.error);
    const std::string mismatch = replayMismatch(replay.header, platform::executableDirectory());
    if (!mismatch.empty())
        return refused(file, mismatch);

    ReplaySimulation simulation(replay);
    while (!simulation.done())
        simulation.step();
    const ReplayRunState state = simulation.state();
    const bool agrees = replay.complete && trailerAgrees(replay.trailer, state);

    std::string line = "{\"file\":" + jsonString(file) + "," + stateJson(state);
    line += ",\"complete\":" + std::string(replay.complete ? "true" : "false");
    if (replay.complete)
        line += ",\"ending\":\"" +
                std::string(replay.trailer.ending == ReplayEnding::ExitFade ? "exit fade" : "window closed") +
                "\",\"trailer\":{" + stateJson(replay.trailer) + "}";
    line += ",\"agrees\":" + std::string(agrees ? "true" : "false") + "}";
    std::printf("%s\n", line.c_str());
    if (!replay.complete) {
        std::fprintf(stderr, "glasswake-inspect: %s: %s\n", file.c_str(), read.error.c_str());
        return 1;
    }
    if (!agrees) {
        std::fprintf(stderr, "glasswake-inspect: %s: the simulation does not reach the state the run stored\n",
                     file.c_str());
        return 1;
    }
    return 0;
}

const InspectCommand command("replay", "FILE", inspectReplay);

}  // namespace
