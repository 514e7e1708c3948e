// text_layout.cpp - formatting and letter placement of the outline-font text.
#include "render/text_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void formatText(char (&buffer)[TEXT_BUFFER_SIZE], const char* format, va_list args)
{
    if (std::vsnprintf(buffer, sizeof buffer, format, args) < 0)
        buffer[0] = '\0';
}

float glyphAdvance(const GlyphMetrics metrics[], char c)
{
    return hasGlyph(c) ? metrics[static_cast<unsigned char>(c)].cellIncX : 0.0f;
}

double centringShift(const GlyphMetrics metrics[], const char* text)
{
    double sum = 0.0;
    size_t n = 0;
    for (; text[n] != '\0'; ++n)
        sum += glyphAdvance(metrics, text[n]);
    return -sum / 2.0 + static_cast<double>(n) * CENTRING_ALLOWANCE / 2.0;
}

int32_t shadedLetterOffsets(const GlyphMetrics metrics[], const char* text, double offsets[TEXT_BUFFER_SIZE])
{
    double a = SHADED_TEXT_START;
    int32_t i = 0;
    for (; i < TEXT_BUFFER_SIZE - 1 && text[i] != '\0'; ++i) {
        if (i > 0)
            a += SHADED_TEXT_SPACING * glyphAdvance(metrics, text[i - 1]);
        offsets[i] = a;
    }
    return i;
}

double shadedLetterAngle(double time, int32_t index)
{
    if (time < 0.1)
        return 0.0;
    const double u = ((time + 100000.0) - 0.3 * index) * 0.25;
    const double g = 2.0 * (u - std::trunc(u));
    return std::clamp(360.0 * g, 0.0, 360.0);
}
