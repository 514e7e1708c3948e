// game_frame_bench.cpp - frame time and start-up of the game part on this
// machine's GL (llvmpipe under Xvfb here).
//
//   glasswake-bench-game_frame [frames=120] [seconds=60] [WxH ...]
//
// For each render size (default 640x360 and 1280x720) it plays `seconds` of
// the capture tool's default script at 1/60 s steps and draws `frames` frames
// spread evenly over it (the rest run headless, with identical rules), timing
// each drawn frame to glFinish. In the same run it times the post chain alone
// (clear, resolve, passes, composite) the same number of times. Start-up is
// timed once, stage by stage, at the first size. Last, the cost of recording
// a run: what the shell does per frame for its replay (the frame record, its
// encoding, the once-a-second write), over ten minutes of scripted frames.
// Run under xvfb-run from the build folder's top (the assets are read beside
// the executable).
#include <SDL2/SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/game_capture.h"
#include "render/renderer.h"
#include "tools/common/hidden_gl_window.h"
#include "shell/asset_digest.h"
#include "shell/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/replay_recorder.h"

namespace {

double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Clear, resolve, the screen passes and the composite, without the scene.
void postChainOnly(part_game* game, int w, int h)
{
    Renderer* r = &g_renderer;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    r->beginRenderTarget(0, 2);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    r->resolveRenderTarget(0, w, h, 2, false);
    r->endRenderTarget();
    glDisable(GL_DEPTH_TEST);
    game->runPostChain(r);
    game->composite(r);
    glPopAttrib();
}

// --- recording cost --------------------------------------------------------

// Ten minutes of 60 fps frames from the capture script through the recorder
// into a scratch file, as the shell records them right before each draw.
void printRecordingCost(double frameSeconds)
{
    const int frames = 36000;
    char path[] = "/tmp/glasswake-bench-XXXXXX.gwreplay";
    const int fd = mkstemps(path, 9);
    if (fd < 0)
        return;
    close(fd);
    const double digestStart = now();
    ReplayHeader header;
    header.gameVersion = "bench";
    header.settings.windowWidth = header.settings.renderWidth = 1280;
    header.settings.windowHeight = header.settings.renderHeight = 720;
    header.assets = digestGameAssets("");
    const double digestTime = now() - digestStart;
    ReplayRecorder recorder;
    std::string error;
    if (!recorder.open(path, header, error)) {
        std::printf("recording: cannot write %s: %s\n", path, error.c_str());
        return;
    }
    const CaptureScript script = defaultCaptureScript();
    FrameInputs inputs;
    std::vector<double> costs, flushes;
    costs.reserve(frames);
    for (int i = 0; i < frames; ++i) {
        const CaptureInput in = script.at(i / 60.0 * GAME_SPEED);
        inputs.mouseX = mouseXFromCursor(in.x);
        inputs.mouseY = mouseYFromCursor(in.y);
        inputs.leftButton = in.left;
        inputs.rightButton = in.right;
        const uint32_t flushed = recorder.framesFlushed();
        const double a = now();
        recorder.record(replayFrameFromInputs(1.0 / 60.0, inputs, false), i / 12000);
        costs.push_back(now() - a);
        if (recorder.framesFlushed() != flushed)
            flushes.push_back(costs.back());
    }
    recorder.finish(ReplayTrailer{static_cast<uint32_t>(frames), frames / 60.0, 0.0, 0.0, 1.0, 0, 0,
                                  ReplayEnding::WindowClosed});
    // About one frame a second writes a block; the worst is mostly the scheduler.
    double total = 0.0, worst = 0.0;
    for (double c : costs) {
        total += c;
        worst = std::max(worst, c);
    }
    const double mean = total / frames;
    struct stat st {};
    stat(path, &st);
    std::printf("recording: mean %.2f us per frame = %.4f %% of the last size's median frame, %.4f %% of a "
                "60 fps frame; median %.2f us, the %zu flushing frames median %.1f us, worst %.0f us; "
                "%.1f bytes a frame; asset digest at start-up %.1f ms\n",
                1e6 * mean, 100.0 * mean / frameSeconds, 100.0 * mean * 60.0, 1e6 * median(costs),
                flushes.size(), 1e6 * median(flushes), 1e6 * worst, static_cast<double>(st.st_size) / frames, 1e3 * digestTime);
    unlink(path);
}

}  // namespace

int main(int argc, char** argv)
{
    int frames = 120;
    double seconds = 60.0;
    std::vector<std::pair<int, int>> sizes;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        int w = 0, h = 0;
        if (std::sscanf(argv[i], "%dx%d", &w, &h) == 2 && w >= 16 && h >= 16)
            sizes.push_back({w, h});
        else if (positional++ == 0)
            frames = std::max(3, std::atoi(argv[i]));
        else
            seconds = std::max(1.0, std::atof(argv[i]));
    }
    if (sizes.empty())
        sizes = {{640, 360}, {1280, 720}};

    if (char* base = SDL_GetBasePath()) {
        if (chdir(base) != 0)
            return 1;
        SDL_free(base);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    int maxW = 0, maxH = 0;
    for (auto [w, h] : sizes) {
        maxW = std::max(maxW, w);
        maxH = std::max(maxH, h);
    }
    HiddenGLWindow gl;
    if (!gl.open("glasswake-bench", maxW, maxH))
        return 1;
    std::printf("GL: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    bool first = true;
    double lastFrame = 1.0 / 60.0;
    for (auto [w, h] : sizes) {
        // Start-up, stage by stage (the first size only: later ones reuse the font and context).
        const double t0 = now();
        renderWidth = w;
        renderHeight = h;
        windowWidth = 1280;
        windowHeight = 720;
        if (!g_renderer.cgContext)
            g_renderer.createCgContext();
        const double tContext = now();
        if (g_renderer.fontListBase == 0)
            g_renderer.createOutlineFont();
        const double tFont = now();
        createRenderTargets(w, h, true);
        part_game* game = new part_game();
        game->loadTextures(&g_renderer);
        glFinish();
        const double tTextures = now();
        game->loadMeshes();
        const double tMeshes = now();
        game->loadScene(&g_renderer);
        const double tScene = now();
        game->loadShaders(&g_renderer);
        const double tShaders = now();
        game->loadSound();
        const double tSound = now();
        if (first) {
            std::printf("start-up %.1f ms: effect context %.1f, font %.1f, textures (with render targets) %.1f, "
                        "meshes %.1f, scene %.1f, shaders %.1f, sound (with motion, level) %.1f\n",
                        1e3 * (tSound - t0), 1e3 * (tContext - t0), 1e3 * (tFont - tContext),
                        1e3 * (tTextures - tFont), 1e3 * (tMeshes - tTextures), 1e3 * (tScene - tMeshes),
                        1e3 * (tShaders - tScene), 1e3 * (tSound - tShaders));
        }
        first = false;

        GameCapture capture;
        capture.game = game;
        capture.script = defaultCaptureScript();
        capture.drawnFrames = 1;
        std::vector<double> frameTimes, postTimes;
        const double firstFrameStart = now();
        for (int i = 0; i < frames; ++i) {
            const double target = seconds * i / (frames - 1);
            // Headless up to the frame before, then one timed drawn frame.
            capture.drawnFrames = 0;
            while (capture.clock + GAME_SPEED * capture.frameStep < target)
                capture.runFrame(false);
            glFinish();
            const double a = now();
            capture.runFrame(true);
            glFinish();
            const double b = now();
            if (i == 0)
                std::printf("  first game frame %.1f ms after the start of start-up\n", 1e3 * (b - t0));
            frameTimes.push_back(b - a);
            postChainOnly(game, w, h);
            glFinish();
            postTimes.push_back(now() - b);
        }
        (void)firstFrameStart;
        const double frame = median(frameTimes), post = median(postTimes);
        lastFrame = frame;
        std::printf("%dx%d: median frame %.2f ms (%.1f fps), post chain alone %.2f ms, ratio %.2f "
                    "[%d frames over %.0f s of play]\n",
                    w, h, 1e3 * frame, 1.0 / frame, 1e3 * post, frame / post, frames, seconds);
        const GLenum err = glGetError();
        if (err != GL_NO_ERROR)
            std::printf("  GL error 0x%x\n", err);
        delete game;
    }
    printRecordingCost(lastFrame);
    gl.close();
    return 0;
}
