#include "scene_textures.h"

#include <algorithm>
#include <cmath>

#include "jpeg_writer.h"
#include "noise.h"
#include "picture_canvas.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Distance (in tile units) to the nearest seam of an n x m grid.
double seamDistance(double u, double v, double n, double m)
{
    const double du = std::fabs(u * n - std::round(u * n)) / n;
    const double dv = std::fabs(v * m - std::round(v * m)) / m;
    return std::min(du, dv);
}

Colour grey(double level) { return {level, level, level}; }

// Floor plates: dark brushed metal, faint glowing seams.
RgbImage floorColour()
{
    Canvas c(256, 256);
    c.fill([](double u, double v) {
        const double brushed = fractalNoise(u * 0.25, v * 4.0, 4, 4, 0.6, 301) * 0.5 + 0.5 * fractalNoise(u, v, 16, 2, 0.5, 302);
        const double seam = std::exp(-std::pow(seamDistance(u, v, 2, 2) * 90.0, 2.0));
        Colour base{0.16, 0.17, 0.19};
        return base * (0.6 + 0.5 * brushed) + Colour{0.25, 0.55, 0.75} * seam;
    });
    return c.toImage();
}

// Height of the floor: raised plates, sunken seams, a few rivets.
RgbImage floorHeight()
{
    Canvas c(256, 256);
    c.fill([](double u, double v) {
        const double d = seamDistance(u, v, 2, 2);
        double h = 0.75 * std::clamp(d * 40.0, 0.0, 1.0);
        const double ru = std::fmod(u * 8.0, 1.0) - 0.5, rv = std::fmod(v * 8.0, 1.0) - 0.5;
        if (std::hypot(ru, rv) < 0.12 && d > 0.02)
            h += 0.2;
        h += 0.05 * fractalNoise(u, v, 8, 3, 0.5, 303);
        return grey(h);
    });
    return c.toImage();
}

// Wall panels: tall plates with a light strip down each.
RgbImage wallColour()
{
    Canvas c(256, 256);
    c.fill([](double u, double v) {
        const double plate = 0.6 + 0.4 * fractalNoise(u, v, 4, 4, 0.55, 311);
        const double seam = std::exp(-std::pow(seamDistance(u, v, 4, 1) * 120.0, 2.0));
        const double strip = std::exp(-std::pow((std::fmod(u * 4.0, 1.0) - 0.5) * 22.0, 2.0)) * (0.5 + 0.5 * std::sin(2 * kPi * 6 * v)) * 0.7;
        return Colour{0.13, 0.14, 0.17} * plate + Colour{0.05, 0.07, 0.1} * seam + Colour{0.4, 0.7, 0.9} * strip;
    });
    return c.toImage();
}

RgbImage wallHeight()
{
    Canvas c(256, 256);
    c.fill([](double u, double v) {
        const double d = seamDistance(u, v, 4, 1);
        const double bevel = std::clamp(d * 60.0, 0.0, 1.0);
        const double ribs = 0.1 * (0.5 + 0.5 * std::cos(2 * kPi * 16 * v));
        return grey(0.2 + 0.6 * bevel + ribs * bevel);
    });
    return c.toImage();
}

// Pylon metal: dark with bright chevron bands near the ends.
RgbImage pylonColour()
{
    Canvas c(128, 256);
    c.fill([](double u, double v) {
        const double metal = 0.5 + 0.5 * fractalNoise(u * 0.5, v * 2.0, 4, 4, 0.6, 321);
        const bool band = v < 0.08 || v > 0.92;
        const double chevron = band && std::fmod(u * 6.0 + v * 12.0, 1.0) < 0.5 ? 1.0 : 0.0;
        return Colour{0.12, 0.12, 0.14} * metal + Colour{0.65, 0.45, 0.12} * chevron;
    });
    return c.toImage();
}

// Glass panel: blue tint with a frame, and its coverage in green.
RgbImage glassColour()
{
    Canvas c(128, 128);
    c.fill([](double u, double v) {
        const double frame = seamDistance(u, v, 1, 1) < 0.06 ? 1.0 : 0.0;
        const double streak = 0.5 + 0.5 * std::sin(2 * kPi * (3 * u + 5 * v));
        return frame > 0 ? Colour{0.55, 0.6, 0.65} : Colour{0.12, 0.3, 0.45} + Colour{0.1, 0.15, 0.2} * streak;
    });
    return c.toImage();
}

RgbImage glassCoverage()
{
    Canvas c(128, 128);
    c.fill([](double u, double v) {
        const double d = seamDistance(u, v, 1, 1);
        const double frame = 1.0 - std::clamp((d - 0.05) * 60.0, 0.0, 1.0);
        const double streak = 0.5 + 0.5 * std::sin(2 * kPi * (3 * u + 5 * v));
        return grey(std::max(frame, 0.25 + 0.2 * streak));
    });
    return c.toImage();
}

// Rail light: a row of bright dashes.
RgbImage railColour()
{
    Canvas c(256, 32);
    c.fill([](double u, double v) {
        const double dash = std::pow(0.5 + 0.5 * std::cos(2 * kPi * 8 * u), 4.0);
        const double across = std::exp(-std::pow((v - 0.5) * 5.0, 2.0));
        return Colour{0.1, 0.1, 0.12} + Colour{0.6, 0.9, 1.0} * (dash * across);
    });
    return c.toImage();
}

}  // namespace

bool writeSceneTextures(const std::string& outputDir)
{
    using namespace scene_textures;
    const std::string dir = outputDir + "/meshes/";
    JpegOptions progressive;
    progressive.progressive = true;
    return writeJpeg(dir + kFloor, floorColour()) && writeJpeg(dir + kFloorBump, floorHeight()) &&
           writeJpeg(dir + kWall, wallColour(), progressive) && writeJpeg(dir + kWallBump, wallHeight()) &&
           writeJpeg(dir + kPylon, pylonColour()) && writeJpeg(dir + kGlass, glassColour()) &&
           writeJpeg(dir + "alpha" + kGlass, glassCoverage()) && writeJpeg(dir + kRail, railColour());
}
