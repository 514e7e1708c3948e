// icon.cpp - draws the desktop icon analytically, so every size is sharp:
// a rounded dark tile, the half-pipe as glowing rings and rails running to a
// vanishing point, and a delta-winged craft with its engine flare.
#include "icon.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "render/png_image.h"

namespace {

struct V2 {
    double x = 0, y = 0;
};

V2 operator-(V2 a, V2 b) { return {a.x - b.x, a.y - b.y}; }
double dot(V2 a, V2 b) { return a.x * b.x + a.y * b.y; }
double cross(V2 a, V2 b) { return a.x * b.y - a.y * b.x; }
double length(V2 a) { return std::sqrt(dot(a, a)); }

struct Rgb {
    double r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }
Rgb mix(Rgb a, Rgb b, double t) { return a * (1.0 - t) + b * t; }

constexpr double kPi = 3.14159265358979323846;
constexpr V2 kVanish{0.5, 0.36};
constexpr double kPipeRadius = 0.56;
const Rgb kLineColour{0.35, 0.85, 1.0};

// Signed distance to the rounded tile (negative inside).
double tileDistance(V2 p)
{
    const double half = 0.46, corner = 0.2;
    const double qx = std::fabs(p.x - 0.5) - (half - corner);
    const double qy = std::fabs(p.y - 0.5) - (half - corner);
    const double outside = length({std::max(qx, 0.0), std::max(qy, 0.0)});
    return outside + std::min(std::max(qx, qy), 0.0) - corner;
}

double glow(double distance, double width)
{
    const double a = distance / width, b = distance / (4.0 * width);
    return std::exp(-a * a) + 0.25 * std::exp(-b * b);
}

double segmentDistance(V2 p, V2 a, V2 b)
{
    const V2 ab = b - a;
    const double t = std::clamp(dot(p - a, ab) / dot(ab, ab), 0.0, 1.0);
    return length(p - V2{a.x + ab.x * t, a.y + ab.y * t});
}

// The half-pipe below the horizon: rings shrinking toward the vanishing
// point and rails along it; the two horizontal rails are the pipe's lips.
Rgb halfPipe(V2 p)
{
    const V2 d = p - kVanish;
    if (d.y < -0.03)
        return {};
    const double r = length(d);
    double light = 0;
    double ring = kPipeRadius;
    for (int k = 0; k < 5; ++k, ring *= 0.6) {
        if (d.y >= 0)
            light += 0.9 * std::pow(ring / kPipeRadius, 0.6) * glow(std::fabs(r - ring), 0.010);
    }
    for (int k = 0; k <= 6; ++k) {
        const double angle = kPi * k / 6.0;
        const V2 dir{std::cos(angle), std::sin(angle)};
        const double along = dot(d, dir);
        if (along <= 0)
            continue;
        const double strength = (k == 0 || k == 6) ? 1.0 : 0.6;
        const double fade = std::clamp(along / 0.3, 0.0, 1.0);
        light += strength * fade * glow(std::fabs(cross(dir, d)), 0.009);
    }
    // The pipe's surface catches a little light toward the viewer.
    const double surface = (d.y >= 0 && r < kPipeRadius) ? 0.12 * r / kPipeRadius : 0.0;
    return kLineColour * light + Rgb{0.05, 0.16, 0.26} * surface;
}

// The craft: a delta wing pointing down the pipe, tip, right wing, tail notch, left wing.
const V2 kCraft[4] = {{0.5, 0.47}, {0.70, 0.80}, {0.5, 0.72}, {0.30, 0.80}};

bool insideCraft(V2 p)
{
    bool inside = false;
    for (int i = 0, j = 3; i < 4; j = i++) {
        const V2 a = kCraft[i], b = kCraft[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

double craftEdgeDistance(V2 p)
{
    double d = 1e9;
    for (int i = 0, j = 3; i < 4; j = i++)
        d = std::min(d, segmentDistance(p, kCraft[j], kCraft[i]));
    return d;
}

Rgb sample(V2 p)
{
    // Tile: deep blue, lighter at the bottom, a cold band along the horizon.
    const double horizon = std::exp(-std::pow((p.y - kVanish.y) * 10.0, 2.0));
    Rgb c = mix(Rgb{0.03, 0.05, 0.10}, Rgb{0.06, 0.14, 0.24}, p.y) + Rgb{0.05, 0.18, 0.28} * horizon;
    const double rim = tileDistance(p);
    if (rim > -0.018)
        c = c + Rgb{0.10, 0.20, 0.30};
    c = c + halfPipe(p);

    // Engine flare and its trail behind the notch.
    const V2 engine{0.5, 0.74};
    const double flare = std::exp(-std::pow(length(p - engine) / 0.06, 2.0));
    const double trail = p.y > engine.y ? std::exp(-std::pow((p.x - 0.5) / 0.018, 2.0)) * std::max(0.0, 1.0 - (p.y - engine.y) / 0.22) : 0.0;
    c = c + Rgb{1.0, 0.55, 0.15} * (1.2 * flare + 0.8 * trail);

    const double edge = craftEdgeDistance(p);
    if (insideCraft(p)) {
        // Glass hull: the left half lit, the right in shade, a bright ridge.
        const double side = p.x < 0.5 ? 1.0 : 0.72;
        const double ridge = std::exp(-std::pow((p.x - 0.5) / 0.012, 2.0));
        const double depth = std::clamp((p.y - 0.47) / 0.33, 0.0, 1.0);
        c = mix(Rgb{0.92, 0.98, 1.0}, Rgb{0.45, 0.75, 0.95}, depth) * side + Rgb{0.3, 0.3, 0.3} * ridge;
    } else {
        c = c + kLineColour * (0.6 * glow(edge, 0.012));
    }
    return c;
}

uint8_t toByte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

}  // namespace

std::vector<uint8_t> drawIcon(int size)
{
    // 4 x 4 samples a pixel; colour is averaged over the samples inside the tile.
    const int grid = 4;
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgb sum;
            int covered = 0;
            for (int sy = 0; sy < grid; ++sy) {
                for (int sx = 0; sx < grid; ++sx) {
                    const V2 p{(x + (sx + 0.5) / grid) / size, (y + (sy + 0.5) / grid) / size};
                    if (tileDistance(p) >= 0)
                        continue;
                    sum = sum + sample(p);
                    ++covered;
                }
            }
            uint8_t* out = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            if (covered > 0) {
                const Rgb c = sum * (1.0 / covered);
                out[0] = toByte(c.r);
                out[1] = toByte(c.g);
                out[2] = toByte(c.b);
            }
            out[3] = toByte(static_cast<double>(covered) / (grid * grid));
        }
    }
    return rgba;
}

bool writeIcons(const std::string& outputDir)
{
    for (int size : kIconSizes) {
        const std::string edge = std::to_string(size);
        const std::filesystem::path dir = std::filesystem::path(outputDir) / "icons/hicolor" / (edge + "x" + edge) / "apps";
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        // savePng takes the bottom row first.
        const std::vector<uint8_t> topFirst = drawIcon(size);
        std::vector<uint8_t> bottomFirst(topFirst.size());
        const size_t row = static_cast<size_t>(size) * 4;
        for (int y = 0; y < size; ++y)
            std::copy_n(&topFirst[y * row], row, &bottomFirst[(size - 1 - y) * row]);
        if (!savePng((dir / "glasswake.png").string(), size, size, bottomFirst, true))
            return false;
    }
    return true;
}
