// outline_font_bench.cpp - start-up cost of the outline font: finding the
// font, reading and tessellating 123 glyphs, and recording the display lists.
// Needs a display (run under xvfb-run with LIBGL_ALWAYS_SOFTWARE=1 headless).
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "render/renderer.h"

namespace {

double medianMilliseconds(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_Window* window = SDL_CreateWindow("font bench", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "GL context: %s\n", SDL_GetError());
        return 1;
    }
    glewExperimental = GL_TRUE;
    glewInit();
    std::printf("GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    const int runs = 9;
    std::string file;
    std::vector<GlyphShape> shapes;
    GlyphMetrics metrics[FONT_GLYPH_COUNT];
    const double find = medianMilliseconds(runs, [&] { file = findFontFile("Arial", true); });
    const double load = medianMilliseconds(runs, [&] { loadGlyphShapes(file, shapes, metrics); });
    const double whole = medianMilliseconds(runs, [] { g_renderer.createOutlineFont(); });
    size_t triangles = 0, walls = 0;
    for (const GlyphShape& shape : shapes) {
        triangles += shape.triangles.size() / 3;
        for (const auto& contour : shape.contours)
            walls += contour.size();
    }
    std::printf("font file: %s\n", file.c_str());
    std::printf("median of %d runs: find %.2f ms, read + tessellate %.2f ms, createOutlineFont %.2f ms\n", runs,
                find, load, whole);
    std::printf("geometry: %zu face triangles, %zu wall quads for 123 glyphs\n", triangles, walls);

    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
