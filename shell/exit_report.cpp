#include "shell/exit_report.h"

#include <cstdio>
#include <cstdlib>

#include "game/part_game.h"
#include "shell/frame_loop.h"
#include "shell/pause.h"

std::string exitReportLine()
{
    char line[512];
    const auto* game = static_cast<const part_game*>(gamePart);
    if (!game) {
        std::snprintf(line, sizeof line, "{\"demo_time\":%.6f}", demoTime);
        return line;
    }
    const GameRules& rules = game->rules;
    // Wall time runs on from the start of the first frame; demo time leaves out the pauses.
    std::snprintf(line, sizeof line,
                  "{\"demo_time\":%.6f,\"game_time\":%.6f,\"frames\":%d,\"score\":%.0f,\"life\":%.6f,"
                  "\"paused_time\":%.6f,\"wall_time\":%.6f}",
                  demoTime, rules.time, rules.frameCount, rules.score, rules.life, pausedSeconds, frameTimer.read());
    return line;
}

void writeExitReport()
{
    const char* path = std::getenv("GLASSWAKE_EXIT_REPORT");
    if (!path || !*path)
        return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", exitReportLine().c_str());
        std::fclose(f);
    }
}
