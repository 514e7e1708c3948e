#include "picture_canvas.h"

#include <algorithm>

namespace {

uint8_t toByte(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); }

void blurLine(float* line, int count, int stride, int radius, std::vector<float>& scratch)
{
    scratch.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        scratch[static_cast<size_t>(i)] = line[i * stride];
    const float norm = 1.0f / static_cast<float>(2 * radius + 1);
    for (int i = 0; i < count; ++i) {
        float sum = 0.0f;
        for (int k = -radius; k <= radius; ++k)
            sum += scratch[static_cast<size_t>(std::clamp(i + k, 0, count - 1))];
        line[i * stride] = sum * norm;
    }
}

}  // namespace

RgbImage Canvas::toImage() const
{
    RgbImage img(width, height);
    for (size_t i = 0; i < pixels.size(); ++i) {
        img.pixels[i * 3 + 0] = toByte(pixels[i].r);
        img.pixels[i * 3 + 1] = toByte(pixels[i].g);
        img.pixels[i * 3 + 2] = toByte(pixels[i].b);
    }
    return img;
}

void boxBlur(std::vector<float>& values, int width, int height, int radius, int passes)
{
    std::vector<float> scratch;
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < height; ++y)
            blurLine(&values[static_cast<size_t>(y) * width], width, 1, radius, scratch);
        for (int x = 0; x < width; ++x)
            blurLine(&values[static_cast<size_t>(x)], height, width, radius, scratch);
    }
}
