// game_soak.cpp - plays many consecutive levels headless and reports how long
// the level list grows, to check that dead records are reused.
//
//   glasswake-soak [levels=50] [fps=60] [--die | --complete]
//
// By default odd levels are played to the end and even levels are lost (see
// soak_player.h); --die loses every level, --complete finishes every one.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/crt_random.h"
#include "game/game_rules.h"
#include "game/level_layout.h"
#include "soak_player.h"

namespace {

struct LevelFigures {
    int frames = 0;
    size_t maxRecords = 0;
    size_t endRecords = 0;
    size_t endLive = 0;
    int volleys = 0;
    double score = 0.0;
    bool completed = false;
};

}  // namespace

int main(int argc, char** argv)
{
    int levels = 50;
    double fps = 60.0;
    SoakLevels mode = SoakLevels::Alternate;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--die") == 0)
            mode = SoakLevels::AllLost;
        else if (std::strcmp(argv[i], "--complete") == 0)
            mode = SoakLevels::AllCompleted;
        else if (positional++ == 0)
            levels = std::max(1, std::atoi(argv[i]));
        else
            fps = std::max(1.0, std::atof(argv[i]));
    }

    crtSeed(1);
    GameRules rules;
    rules.buildLevel();

    auto start = std::chrono::steady_clock::now();
    double wallClock = 0.0;
    size_t bound = 0;
    long totalFrames = 0;
    LevelFigures current;
    double sumMax = 0.0, sumEnd = 0.0;
    int completed = 0, lost = 0;
    std::printf("level  frames  end  max-records  end-records  live  volleys  score  rss-KiB\n");
    for (int level = 1; level <= levels;) {
        int volleysBefore = rules.sound.played[CUE_VOLLEY];
        double timeBefore = rules.time;
        double scoreBefore = rules.score;
        size_t recordsBefore = rules.entities.records.size();
        size_t liveBefore = rules.entities.liveCount();
        rules.step(1.0 / fps, soakControls(wallClock, soakHoldsRight(mode, level)));
        wallClock += 1.0 / fps;
        ++totalFrames;
        ++current.frames;
        current.volleys += rules.sound.played[CUE_VOLLEY] - volleysBefore;
        bound = std::max(bound, rules.entities.records.size());
        if (rules.time >= timeBefore) {
            current.maxRecords = std::max(current.maxRecords, rules.entities.records.size());
            continue;
        }
        // The level ended in this frame; its figures are those before the restart.
        current.maxRecords = std::max(current.maxRecords, recordsBefore);
        current.endRecords = recordsBefore;
        current.endLive = liveBefore;
        current.completed = rules.score > scoreBefore;  // a lost life clears the score
        current.score = rules.score;
        std::printf("%5d  %6d  %-4s %11zu  %11zu  %4zu  %7d  %5.1f  %7ld\n", level, current.frames,
                    current.completed ? "done" : "died", current.maxRecords, current.endRecords,
                    current.endLive, current.volleys, current.score, residentKiB());
        (current.completed ? completed : lost) += 1;
        sumMax += double(current.maxRecords);
        sumEnd += double(current.endRecords);
        current = LevelFigures{};
        ++level;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("levels %d (%d completed, %d lost), frames %ld, list length bound %zu records "
                "(a level starts with %zu)\n",
                levels, completed, lost, totalFrames, bound, LEVEL_RECORD_COUNT);
    std::printf("records per level: mean maximum %.1f, mean at level end %.1f\n", sumMax / levels, sumEnd / levels);
    std::printf("simulated in %.2f s (%.1f us per frame)\n", seconds, 1e6 * seconds / double(totalFrames));
    return 0;
}
