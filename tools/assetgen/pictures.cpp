#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "block_font.h"
#include "jpeg_writer.h"
#include "noise.h"
#include "picture_canvas.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double smoothstep(double a, double b, double x)
{
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// A thin bright line where `value` crosses a whole multiple of 1/density.
double contourLine(double value, double density, double sharpness)
{
    const double f = value * density;
    const double d = std::fabs(f - std::floor(f) - 0.5) * 2.0;  // 1 on the line, 0 between
    return std::pow(d, sharpness);
}

// The loader card: a dark field with a cold horizon and the name in glowing blocks.
RgbImage loaderCard()
{
    const int w = 512, h = 256;
    const LetterMask letters = drawBlockText("GLASSWAKE", 6);
    const int left = (w - letters.width) / 2;
    const int top = 88;

    std::vector<float> glyph(static_cast<size_t>(w) * h, 0.0f);
    for (int y = 0; y < letters.height; ++y)
        for (int x = 0; x < letters.width; ++x)
            glyph[static_cast<size_t>(top + y) * w + left + x] = letters.coverage[static_cast<size_t>(y) * letters.width + x];
    std::vector<float> glow = glyph;
    boxBlur(glow, w, h, 6, 3);
    std::vector<float> edge = glyph;
    boxBlur(edge, w, h, 1, 1);

    Canvas canvas(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double u = (x + 0.5) / w - 0.5;
            const double v = (y + 0.5) / h;
            const size_t i = static_cast<size_t>(y) * w + x;
            const double horizon = std::exp(-std::pow((v - 0.72) * 14.0, 2.0)) * (1.0 - 2.2 * u * u);
            const double haze = 0.5 * fractalNoise((x + 0.5) / w, v, 4, 4, 0.55, 17) * (1.0 - v);
            const double body = glyph[i];
            // Letters are glass: bright rims, a darker core, a cold bloom around them.
            const double rim = std::clamp(4.0 * edge[i] * (1.0 - edge[i]), 0.0, 1.0);
            const double sheen = 0.35 + 0.65 * smoothstep(0.0, 1.0, 1.0 - (y - top) / static_cast<double>(letters.height));
            Colour c{0.012, 0.016, 0.026};
            c = c + Colour{0.10, 0.20, 0.34} * std::max(0.0, horizon);
            c = c + Colour{0.02, 0.03, 0.05} * haze;
            c = c + Colour{0.25, 0.50, 0.80} * (glow[i] * 0.9);
            c = c + Colour{0.20, 0.35, 0.50} * (body * sheen);
            c = c + Colour{0.70, 0.90, 1.00} * rim;
            canvas.at(x, y) = c;
        }
    }
    // A thin rule under the name.
    for (int x = left; x < left + letters.width; ++x) {
        const double fade = std::sin(kPi * (x - left) / letters.width);
        Colour& p = canvas.at(x, top + letters.height + 14);
        p = p + Colour{0.25, 0.45, 0.65} * fade;
    }
    return canvas.toImage();
}

// The projected picture: panels, soft bands and caustic lines, tileable, so
// that it reads as structured light when thrown across the scenery.
RgbImage projectedPattern()
{
    Canvas canvas(256, 256);
    canvas.fill([](double u, double v) {
        const double warpU = u + 0.05 * std::sin(2 * kPi * (2 * v + fractalNoise(u, v, 3, 3, 0.5, 5)));
        const double n1 = fractalNoise(warpU, v, 4, 4, 0.5, 41);
        const double n2 = fractalNoise(u, v, 5, 4, 0.5, 77);
        const double caustic = std::max(contourLine(n1, 7.0, 10.0), contourLine(n2, 5.0, 12.0));
        const double bands = std::pow(0.5 + 0.5 * std::sin(2 * kPi * (3 * v + 0.15 * std::sin(2 * kPi * u))), 6.0);
        // Panels on a 4 x 4 grid: glowing seams, some panels lit from within.
        const double pu = u * 4.0, pv = v * 4.0;
        const double du = std::fabs(pu - std::round(pu)), dv = std::fabs(pv - std::round(pv));
        const double seam = std::exp(-std::pow(std::min(du, dv) * 28.0, 2.0));
        const int cell = static_cast<int>(pu) * 4 + static_cast<int>(pv);
        const double lit = (cell * 7 % 5 == 0) ? 0.25 : 0.0;
        const double warm = (cell * 3 % 7 == 1) ? 1.0 : 0.0;
        Colour c{0.01, 0.015, 0.03};
        c = c + Colour{0.35, 0.75, 1.00} * (0.9 * caustic);
        c = c + Colour{0.10, 0.22, 0.40} * bands;
        c = c + Colour{0.55, 0.80, 1.00} * (0.8 * seam);
        c = c + Colour{0.30 + 0.5 * warm, 0.30 + 0.2 * warm, 0.45 - 0.3 * warm} * lit;
        return c;
    });
    return canvas.toImage();
}

// A soft round glow: white at the centre, black from the rim outward.
RgbImage glowBlob()
{
    Canvas canvas(128, 128);
    canvas.fill([](double u, double v) {
        const double r = std::hypot(u - 0.5, v - 0.5) * 2.0;
        const double k = 5.0;
        const double g = std::max(0.0, (std::exp(-k * r * r) - std::exp(-k)) / (1.0 - std::exp(-k)));
        const double level = std::pow(g, 1.3);
        return Colour{level, level, level};
    });
    return canvas.toImage();
}

// Soft fractal clouds that fade out before the edges (the quad is drawn additively).
RgbImage clouds()
{
    Canvas canvas(256, 256);
    canvas.fill([](double u, double v) {
        const double n = fractalNoise(u, v, 3, 6, 0.55, 1234);
        const double detail = fractalNoise(u, v, 8, 3, 0.5, 99);
        const double cover = smoothstep(0.38, 0.8, n * 0.85 + detail * 0.15);
        const double r = std::hypot(u - 0.5, v - 0.5) * 2.0;
        const double fade = 1.0 - smoothstep(0.55, 0.98, r);
        const double level = cover * fade;
        return Colour{0.80 * level, 0.88 * level, 1.0 * level};
    });
    return canvas.toImage();
}

}  // namespace

bool writePictures(const std::string& outputDir)
{
    const std::string dir = outputDir + "/textures/";
    JpegOptions progressive;
    progressive.progressive = true;
    return writeJpeg(dir + "theloader.jpg", loaderCard()) &&
           writeJpeg(dir + "bg08.jpg", projectedPattern(), progressive) &&
           writeJpeg(dir + "blob41b.jpg", glowBlob()) &&
           writeJpeg(dir + "cloudt2.jpg", clouds(), progressive);
}
