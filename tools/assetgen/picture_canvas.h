// picture_canvas.h - a float RGB canvas that the procedural pictures paint on
// before they are quantised to bytes for the JPEG writer.
#pragma once

#include <vector>

#include "jpeg_writer.h"

struct Colour {
    double r = 0, g = 0, b = 0;
};

inline Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Colour operator*(Colour a, double s) { return {a.r * s, a.g * s, a.b * s}; }

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;  // top row first

    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
    Colour& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }

    // Calls paint(u, v) for every pixel centre, u and v in [0, 1), v = 0 at the top.
    template <class Paint>
    void fill(Paint paint)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                at(x, y) = paint((x + 0.5) / width, (y + 0.5) / height);
    }

    RgbImage toImage() const;
};

// Separable box blur of a single-channel buffer, repeated `passes` times
// (three passes come close to a Gaussian); edges clamp.
void boxBlur(std::vector<float>& values, int width, int height, int radius, int passes);
