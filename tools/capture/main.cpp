// glasswake-capture - renders the game with scripted input into PNG files.
//
//   glasswake-capture [--size WxH] [--step SECONDS] [--script FILE]
//                     [--drawn N] [--out DIR] TIME[=FILE.png] ...
//
// Plays from game time 0 at a fixed frame step (default 1/60 s of frame
// clock) in a hidden window and writes the composited frame at each TIME
// (game seconds, any order) to FILE.png, or to DIR/frame_TIME.png. Frames
// far from a requested time run without drawing; the last N (default 3)
// before each are drawn. The script format is described in
// game/capture_script.h; without --script the default steers over the whole
// course with both buttons held. Assets are read beside this executable.
//
//   glasswake-capture --replay FILE --video OUT.mp4|OUT.webm [--size WxH] [--fps N]
//   glasswake-capture --replay FILE --frame N --png OUT.png [--size WxH]
//
// turns a recorded run into a video with its sound, or writes one of its
// pictures (see video_export.h). Every picture is rendered as the game
// renders it, through the game's own set-up.
#include <SDL2/SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file_bytes.h"
#include "render/png_image.h"
#include "render/renderer.h"
#include "shell/frame_loop.h"
#include "shell/game_capture.h"
#include "tools/capture/video_export.h"
#include "tools/common/hidden_gl_window.h"

namespace {

struct Request {
    double time = 0.0;
    std::string path;
};

int usage()
{
    std::fprintf(stderr,
                 "usage: glasswake-capture [--size WxH] [--step SECONDS] [--script FILE] [--drawn N] "
                 "[--out DIR] TIME[=FILE.png] ...\n"
                 "       glasswake-capture --replay FILE --video OUT.mp4|OUT.webm [--size WxH] [--fps N]\n"
                 "       glasswake-capture --replay FILE --frame N --png OUT.png [--size WxH]\n");
    return 2;
}

bool parseRequest(const std::string& arg, const std::string& outDir, Request& r)
{
    const size_t eq = arg.find('=');
    const std::string time = arg.substr(0, eq);
    char* end = nullptr;
    r.time = std::strtod(time.c_str(), &end);
    if (time.empty() || *end != '\0' || r.time < 0.0 || r.time > 1e6)
        return false;
    if (eq != std::string::npos) {
        r.path = arg.substr(eq + 1);
    } else {
        char name[64];
        std::snprintf(name, sizeof name, "frame_%08.3f.png", r.time);
        r.path = outDir + "/" + name;
    }
    r.path = std::filesystem::absolute(r.path).string();
    return !r.path.empty();
}

}  // namespace

int main(int argc, char** argv)
{
    if (wantsVideoExport(argc, argv)) {
        VideoExportOptions options;
        std::string error;
        if (!parseVideoExportOptions(argc, argv, options, error)) {
            std::fprintf(stderr, "glasswake-capture: %s\n", error.c_str());
            return usage();
        }
        return options.frame ? exportReplayFrame(options) : exportReplayVideo(options);
    }
    int width = 640, height = 360, drawn = 3;
    double step = 1.0 / 60.0;
    std::string scriptPath, outDir = ".";
    std::vector<std::string> times;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 16 || height < 16 ||
                width > 8192 || height > 8192)
                return usage();
        } else if (a == "--step" && hasValue) {
            step = std::atof(argv[++i]);
            if (!(step > 0.0 && step <= 1.0))
                return usage();
        } else if (a == "--script" && hasValue) {
            scriptPath = argv[++i];
        } else if (a == "--drawn" && hasValue) {
            drawn = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--out" && hasValue) {
            outDir = argv[++i];
        } else if (!a.empty() && a[0] != '-') {
            times.push_back(a);
        } else {
            return usage();
        }
    }
    if (times.empty())
        return usage();

    GameCapture capture;
    capture.frameStep = step;
    capture.drawnFrames = drawn;
    capture.script = defaultCaptureScript();
    if (!scriptPath.empty()) {
        std::vector<uint8_t> bytes;
        const bool read = readRegularFile(scriptPath.c_str(), bytes);
        std::string error;
        if (!read || !parseCaptureScript(std::string(bytes.begin(), bytes.end()), capture.script, error)) {
            std::fprintf(stderr, "%s: %s\n", scriptPath.c_str(), read ? error.c_str() : "cannot read");
            return 1;
        }
    }
    std::vector<Request> requests;
    for (const std::string& t : times) {
        Request r;
        if (!parseRequest(t, outDir, r))
            return usage();
        requests.push_back(r);
    }
    std::stable_sort(requests.begin(), requests.end(),
                     [](const Request& a, const Request& b) { return a.time < b.time; });

    // The assets lie beside the executable.
    if (char* base = SDL_GetBasePath()) {
        if (chdir(base) != 0) {
            std::fprintf(stderr, "cannot enter %s\n", base);
            return 1;
        }
        SDL_free(base);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    HiddenGLWindow gl;
    if (!gl.open("glasswake-capture", width, height))
        return 1;

    prepareCaptureRenderer(width, height);
    capture.game = runningGame();
    for (const Request& r : requests) {
        capture.runUntil(r.time);
        if (!savePng(r.path, width, height, readWindowPixels(width, height))) {
            std::fprintf(stderr, "cannot write %s\n", r.path.c_str());
            return 1;
        }
        std::printf("%s  game time %.3f\n", r.path.c_str(), capture.clock);
    }
    std::printf("%ld frames, %ld drawn\n", capture.framesRun, capture.framesDrawn);
    gl.close();
    return 0;
}
