// game_frame_bench.cpp - start-up, the first game frame and the frame time of
// the game part on this machine's GL (llvmpipe under Xvfb here).
//
//   glasswake-bench-game_frame [frames=120] [seconds=60] [WxH ...]
//
// Start-up follows the game's own path at the first size: window and GL
// context, the default GL state and initDemo (render targets, the loader
// frame, the game part's loading), the font, then the first game frame drawn,
// swapped and finished. That is the wait after "Run" in the settings dialog
// (the loader frame's own swaps find no game window here and are skipped).
//
// For each render size (default 640x360 and 1280x720) it then plays `seconds`
// of the capture tool's default script at 1/60 s steps and draws `frames`
// frames spread evenly over it (the rest run headless, with identical rules),
// timing each drawn frame to glFinish, and times the post chain alone (clear,
// resolve, passes, composite) as often. The frame just before each timed one
// is drawn with a glFinish after every step, for the breakdown of where the
// time goes (wall and process CPU time, medians). Then the cost of
// recording a run: what the shell does per frame for its replay (the frame
// record, its encoding, the once-a-second write), over ten minutes of
// scripted frames. The last line is
//   summary: first_frame_ms=X ratio=R
// with R the worst frame / post chain ratio over the sizes. Run under xvfb-run
// from the build folder's top (the assets are read beside the executable).
#include <SDL2/SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "base/step_marks.h"
#include "render/renderer.h"
#include "replay/asset_digest.h"
#include "replay/replay_recorder.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/game_capture.h"
#include "shell/window.h"
#include "tools/common/hidden_gl_window.h"

namespace {

double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// CPU time of the whole process (llvmpipe's rasterizer threads included):
// less disturbed than wall time when other programs share the machine.
double cpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The steps of one frame or of start-up, in the order they were marked.
struct StepTimes {
    std::vector<std::string> names;
    std::vector<std::vector<double>> wall;
    std::vector<std::vector<double>> cpu;
    bool finishEach = true;  // glFinish at every mark (frames), or not (start-up)
    double lastWall = 0.0;
    double lastCpu = 0.0;

    void begin()
    {
        if (finishEach)
            glFinish();
        lastWall = now();
        lastCpu = cpuNow();
    }
    void mark(const char* step)
    {
        if (finishEach)
            glFinish();
        const double w = now();
        const double c = cpuNow();
        size_t i = 0;
        while (i < names.size() && names[i] != step)
            ++i;
        if (i == names.size()) {
            names.emplace_back(step);
            wall.emplace_back();
            cpu.emplace_back();
        }
        wall[i].push_back(w - lastWall);
        cpu[i].push_back(c - lastCpu);
        lastWall = w;
        lastCpu = c;
    }
    double lastOf(const char* step) const
    {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == step && !wall[i].empty())
                return wall[i].back();
        return 0.0;
    }
};

StepTimes* g_listening = nullptr;
void onStep(const char* step)
{
    if (g_listening)
        g_listening->mark(step);
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

void printSteps(const StepTimes& steps, double frame)
{
    double sumWall = 0.0, sumCpu = 0.0;
    std::printf("  %-10s %9s %9s %6s\n", "step", "wall ms", "cpu ms", "share");
    for (size_t i = 0; i < steps.names.size(); ++i) {
        const double w = median(steps.wall[i]);
        const double c = median(steps.cpu[i]);
        sumWall += w;
        sumCpu += c;
        std::printf("  %-10s %9.2f %9.2f %5.1f%%\n", steps.names[i].c_str(), 1e3 * w, 1e3 * c,
                    frame > 0.0 ? 100.0 * w / frame : 0.0);
    }
    std::printf("  %-10s %9.2f %9.2f  (the frame timed without the marks: %.2f)\n", "sum", 1e3 * sumWall,
                1e3 * sumCpu, 1e3 * frame);
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

    // Start-up as the game runs it after "Run": window, state, initDemo, font, first frame.
    const int startW = sizes[0].first, startH = sizes[0].second;
    renderWidth = startW;
    renderHeight = startH;
    windowWidth = 1280;
    windowHeight = 720;
    antialiased = true;
    StepTimes startup;
    startup.finishEach = false;
    const double t0 = now();
    startup.begin();
    HiddenGLWindow gl;
    if (!gl.open("glasswake-bench", maxW, maxH))
        return 1;
    startup.mark("window");
    stepListener = onStep;
    g_listening = &startup;
    setUpRenderer(windowWidth, windowHeight);  // marks "font" last
    g_listening = nullptr;

    part_game* game = runningGame();
    GameCapture capture;
    capture.game = game;
    capture.script = defaultCaptureScript();
    capture.runFrame(true);
    SDL_GL_SwapWindow(gl.window);
    glFinish();
    startup.mark("frame 1");
    const double firstFrameMs = 1e3 * (now() - t0);
    capture.runFrame(true);
    SDL_GL_SwapWindow(gl.window);
    glFinish();
    startup.mark("frame 2");

    std::printf("GL: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("first game frame at %dx%d %.1f ms after Run:", startW, startH, firstFrameMs);
    for (size_t i = 0; i < startup.names.size(); ++i)
        if (startup.names[i] != "frame 2")
            std::printf("%s %s %.1f", i == 0 ? "" : ",", startup.names[i].c_str(), 1e3 * startup.wall[i].back());
    std::printf("\n  (the next frame %.1f ms: the first one's extra is first-use work such as shader compiles)\n",
                1e3 * startup.lastOf("frame 2"));

    double worstRatio = 0.0;
    bool first = true;
    double lastFrame = 1.0 / 60.0;
    for (auto [w, h] : sizes) {
        if (!first) {
            renderWidth = w;
            renderHeight = h;
            createRenderTargets(w, h, true);
            game = new part_game();
            game->init(&g_renderer);
            capture = GameCapture();
            capture.game = game;
            capture.script = defaultCaptureScript();
        }

        StepTimes steps;
        std::vector<double> frameTimes, postTimes;
        for (int i = 0; i < frames; ++i) {
            const double target = seconds * i / (frames - 1);
            // Headless up to two frames before, one drawn step by step, then one timed.
            capture.drawnFrames = 0;
            while (capture.clock + 2.0 * GAME_SPEED * capture.frameStep < target)
                capture.runFrame(false);
            g_listening = &steps;
            steps.begin();
            capture.runFrame(true);
            g_listening = nullptr;

            glFinish();
            const double a = now();
            capture.runFrame(true);
            glFinish();
            const double b = now();
            frameTimes.push_back(b - a);
            postChainOnly(game, w, h);
            glFinish();
            postTimes.push_back(now() - b);
        }
        const double frame = median(frameTimes), post = median(postTimes);
        lastFrame = frame;
        worstRatio = std::max(worstRatio, frame / post);
        std::printf("%dx%d: median frame %.2f ms (%.1f fps), post chain alone %.2f ms, ratio %.2f "
                    "[%d frames over %.0f s of play]\n",
                    w, h, 1e3 * frame, 1.0 / frame, 1e3 * post, frame / post, frames, seconds);
        printSteps(steps, frame);
        const GLenum err = glGetError();
        if (err != GL_NO_ERROR)
            std::printf("  GL error 0x%x\n", err);
        first = false;
    }
    stepListener = nullptr;
    printRecordingCost(lastFrame);
    std::printf("summary: first_frame_ms=%.0f ratio=%.2f\n", firstFrameMs, worstRatio);
    std::fflush(stdout);
    // The parts live until the process ends, as in the game.
    gl.close();
    return 0;
}
