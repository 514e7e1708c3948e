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
#include "tools/common/hidden_gl_window.h"

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
    HiddenGLWindow gl;
    if (!gl.open("font bench", 64, 64))
        return 1;
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

    gl.close();
    return 0;
}
