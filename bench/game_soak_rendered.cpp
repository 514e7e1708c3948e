// game_soak_rendered.cpp - plays the game part drawn in full, on real time, for
// a long while and reports what should stay flat: resident memory, the level
// list and GL errors (none).
//
//   glasswake-soak-rendered [seconds=600] [WxH=320x180]
//
// The scripted player of glasswake-soak plays (odd levels to the end, even
// levels lost); sound plays on SDL's dummy driver unless another is set. Each
// frame gets the wall-clock time since the previous one, as in the game. Run
// under xvfb-run from the build folder's top. The exit code is 1 when a GL
// error was reported.
#include <SDL2/SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/part_game.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/game_capture.h"
#include "soak_player.h"
#include "tools/common/hidden_gl_window.h"

namespace {

long g_glErrors = 0;

void GLAPIENTRY countGlError(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message, const void*)
{
    if (type != GL_DEBUG_TYPE_ERROR)
        return;
    if (g_glErrors++ < 10)
        std::fprintf(stderr, "GL error: %s\n", message);
}

double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = 600.0;
    int width = 320, height = 180;
    for (int i = 1; i < argc; ++i) {
        int w = 0, h = 0;
        if (std::sscanf(argv[i], "%dx%d", &w, &h) == 2 && w >= 16 && h >= 16)
            width = w, height = h;
        else
            seconds = std::max(1.0, std::atof(argv[i]));
    }

    if (char* base = SDL_GetBasePath()) {
        if (chdir(base) != 0)
            return 1;
        SDL_free(base);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    HiddenGLWindow gl;
    if (!gl.open("glasswake-soak", width, height, true))
        return 1;
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(countGlError, nullptr);
    std::printf("GL: %s, %dx%d, %.0f s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)), width, height,
                seconds);

    prepareCaptureRenderer(width, height);
    part_game* game = runningGame();
    std::printf("after start-up: rss %ld KiB\n", residentKiB());

    FrameInputs inputs;
    const double start = now();
    double previous = start, lastReport = start;
    int level = 1;
    long frames = 0, levelFrames = 0;
    size_t listBound = 0, levelMax = 0;
    long firstLevelRss = 0, maxRssAfterFirst = 0, minRssAfterFirst = 0;
    std::printf("   time  level  frames  records  max-records  rss-KiB\n");
    while (now() - start < seconds) {
        const double t = now();
        double delta = t - previous;
        previous = t;
        const GameControls c = soakControls(t - start, soakHoldsRight(SoakLevels::Alternate, level));
        inputs.mouseX = c.mouseX;  // the window is 1280 wide for the mouse scale: no conversion
        inputs.mouseY = c.mouseY;
        inputs.leftButton = c.leftButton;
        inputs.rightButton = c.rightButton;
        const double timeBefore = game->rules.time;
        const size_t recordsBefore = game->rules.entities.records.size();
        game->draw(&delta, &g_renderer, &inputs);
        SDL_GL_SwapWindow(gl.window);
        SDL_PumpEvents();
        ++frames;
        ++levelFrames;
        const size_t records = game->rules.entities.records.size();
        listBound = std::max(listBound, records);
        levelMax = std::max(levelMax, records);

        const bool levelEnded = game->rules.time < timeBefore;
        if (levelEnded || t - lastReport >= 30.0) {
            const long rss = residentKiB();
            std::printf("%7.1f  %5d  %6ld  %7zu  %11zu  %7ld%s\n", t - start, level, levelFrames,
                        levelEnded ? recordsBefore : records, levelMax, rss, levelEnded ? "  level ended" : "");
            std::fflush(stdout);
            lastReport = t;
            if (level == 1 && levelEnded)
                firstLevelRss = rss;
            else if (level > 1) {
                maxRssAfterFirst = std::max(maxRssAfterFirst, rss);
                minRssAfterFirst = minRssAfterFirst ? std::min(minRssAfterFirst, rss) : rss;
            }
            if (levelEnded) {
                ++level;
                levelFrames = 0;
                levelMax = 0;
            }
        }
    }
    const double played = now() - start;
    std::printf("played %.0f s: %ld frames (%.1f fps), %d levels begun, list length bound %zu records\n", played,
                frames, frames / played, level, listBound);
    if (firstLevelRss)
        std::printf("rss at the end of level 1 %ld KiB; after it %ld to %ld KiB (%+.1f %%)\n", firstLevelRss,
                    minRssAfterFirst, maxRssAfterFirst, 100.0 * (maxRssAfterFirst - firstLevelRss) / firstLevelRss);
    std::printf("GL errors: %ld\n", g_glErrors);

    delete game;
    gl.close();
    return g_glErrors ? 1 : 0;
}
