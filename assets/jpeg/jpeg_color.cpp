// jpeg_color.cpp - YCbCr to RGB conversion tables and the line converters.
#include "assets/jpeg/jpeg_color.h"

namespace {

jpeg_color_tables buildTables()
{
    jpeg_color_tables t{};
    for (int i = 0; i < 256; ++i) {
        const int32_t x = i - 128;
        t.crr[i] = (91882 * x + 32768) >> 16;
        t.cbb[i] = (116130 * x + 32768) >> 16;
        t.crg[i] = -46802 * x;
        t.cbg[i] = -22554 * x + 32768;
    }
    return t;
}

inline uint8_t clampByte(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

}  // namespace

const jpeg_color_tables& jpeg_get_color_tables()
{
    static const jpeg_color_tables tables = buildTables();
    return tables;
}

void jpeg_ycc_to_rgbx(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width, int chromaShift,
                      uint8_t* out)
{
    const jpeg_color_tables& t = jpeg_get_color_tables();
    for (int x = 0; x < width; ++x) {
        const int32_t lum = y[x];
        const int c = x >> chromaShift;
        const int blue = cb[c];
        const int red = cr[c];
        out[0] = clampByte(lum + t.crr[red]);
        out[1] = clampByte(lum + ((t.cbg[blue] + t.crg[red]) >> 16));
        out[2] = clampByte(lum + t.cbb[blue]);
        out[3] = 0;
        out += 4;
    }
}

void jpeg_rgb_to_rgbx(const uint8_t* red, const uint8_t* green, const uint8_t* blue, int width, int shift,
                      uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        out[0] = red[x];
        out[1] = green[x >> shift];
        out[2] = blue[x >> shift];
        out[3] = 0;
        out += 4;
    }
}
