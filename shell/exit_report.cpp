#include "shell/exit_report.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/content_hash.h"
#include "game/part_game.h"
#include "render/gl.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/pause.h"

namespace {

bool reportWanted()
{
    const char* path = std::getenv("GLASSWAKE_EXIT_REPORT");
    return path && *path;
}

std::string lastFrameHash;  // empty until noted

}  // namespace

void noteLastFramePixels()
{
    if (!reportWanted() || windowWidth <= 0 || windowHeight <= 0)
        return;
    std::vector<uint8_t> pixels(static_cast<size_t>(windowWidth) * static_cast<size_t>(windowHeight) * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, windowWidth, windowHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    lastFrameHash = hashText(contentHash(pixels.data(), pixels.size()));
}

std::string exitReportLine()
{
    char line[512];
    const part_game* game = runningGame();
    if (!game) {
        std::snprintf(line, sizeof line, "{\"demo_time\":%.6f}", demoTime);
        return line;
    }
    const GameRules& rules = game->rules;
    // Wall time runs on from the start of the first frame; demo time leaves out the pauses.
    std::snprintf(line, sizeof line,
                  "{\"demo_time\":%.6f,\"game_time\":%.6f,\"frames\":%d,\"score\":%.0f,\"life\":%.6f,"
                  "\"paused_time\":%.6f,\"wall_time\":%.6f,\"levels_completed\":%d,\"levels_lost\":%d,"
                  "\"volleys\":%d",
                  demoTime, rules.time, rules.frameCount, rules.score, rules.life, pauseState.seconds, frameLoop.timer.read(),
                  rules.levelsCompleted, rules.levelsLost, rules.sound.played[CUE_VOLLEY]);
    std::string text = line;
    if (!lastFrameHash.empty())
        text += ",\"last_frame\":\"" + lastFrameHash + "\"";
    return text + "}";
}

void writeExitReport()
{
    if (!reportWanted())
        return;
    const char* path = std::getenv("GLASSWAKE_EXIT_REPORT");
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", exitReportLine().c_str());
        std::fclose(f);
    }
}
