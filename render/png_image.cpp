// png_image.cpp - PNG writer and reader on zlib's deflate.
#include "render/png_image.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t get32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body)
{
    put32(out, static_cast<uint32_t>(body.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    put32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

uint8_t paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Predictor of filter type `filter` for byte i of a row (bpp bytes a pixel).
uint8_t predict(int filter, const uint8_t* row, const uint8_t* above, size_t i, size_t bpp)
{
    const int a = i >= bpp ? row[i - bpp] : 0;
    const int b = above ? above[i] : 0;
    const int c = (i >= bpp && above) ? above[i - bpp] : 0;
    switch (filter) {
    case 1: return static_cast<uint8_t>(a);
    case 2: return static_cast<uint8_t>(b);
    case 3: return static_cast<uint8_t>((a + b) / 2);
    case 4: return paeth(a, b, c);
    default: return 0;
    }
}

}  // namespace

bool savePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba, bool keepAlpha)
{
    if (width <= 0 || height <= 0 || rgba.size() < size_t(width) * size_t(height) * 4)
        return false;
    const size_t bpp = keepAlpha ? 4 : 3;
    const size_t rowBytes = size_t(width) * bpp;
    std::vector<uint8_t> rows(rowBytes * size_t(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgba.data() + size_t(height - 1 - y) * size_t(width) * 4;  // top row first
        uint8_t* dst = rows.data() + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x)
            std::memcpy(dst + size_t(x) * bpp, src + size_t(x) * 4, bpp);
    }
    // Each row takes the filter with the smallest sum of magnitudes (the usual heuristic).
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * size_t(height));
    std::vector<uint8_t> best(rowBytes), trial(rowBytes);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rows.data() + size_t(y) * rowBytes;
        const uint8_t* above = y > 0 ? row - rowBytes : nullptr;
        long bestCost = -1;
        int bestFilter = 0;
        for (int filter = 0; filter <= 4; ++filter) {
            long cost = 0;
            for (size_t i = 0; i < rowBytes; ++i) {
                trial[i] = static_cast<uint8_t>(row[i] - predict(filter, row, above, i, bpp));
                cost += static_cast<int8_t>(trial[i]) < 0 ? -static_cast<int8_t>(trial[i]) : trial[i];
            }
            if (bestCost < 0 || cost < bestCost) {
                bestCost = cost;
                bestFilter = filter;
                best.swap(trial);
            }
        }
        raw.push_back(static_cast<uint8_t>(bestFilter));
        raw.insert(raw.end(), best.begin(), best.end());
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, static_cast<uint8_t>(keepAlpha ? 6 : 2), 0, 0, 0});
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

bool loadPng(const std::string& path, PngImage& image)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (data.size() < 8 || std::memcmp(data.data(), signature, 8) != 0)
        return false;
    uint32_t width = 0, height = 0;
    int colourType = -1;
    std::vector<uint8_t> packed;
    for (size_t pos = 8; pos + 12 <= data.size();) {
        const uint32_t length = get32(&data[pos]);
        if (length > data.size() - pos - 12)
            return false;
        const uint8_t* type = &data[pos + 4];
        const uint8_t* body = &data[pos + 8];
        if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
            width = get32(body);
            height = get32(body + 4);
            if (body[8] != 8 || (body[9] != 2 && body[9] != 6) || body[12] != 0)
                return false;  // only 8-bit RGB/RGBA, not interlaced
            colourType = body[9];
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            packed.insert(packed.end(), body, body + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        pos += 12 + length;
    }
    if (colourType < 0 || width == 0 || height == 0 || width > 16384 || height > 16384)
        return false;
    const size_t bpp = colourType == 6 ? 4 : 3;
    const size_t rowBytes = size_t(width) * bpp;
    std::vector<uint8_t> raw((rowBytes + 1) * height);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawSize, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
        rawSize != raw.size())
        return false;
    std::vector<uint8_t> rows(rowBytes * height);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t filter = raw[y * (rowBytes + 1)];
        if (filter > 4)
            return false;
        const uint8_t* in = &raw[y * (rowBytes + 1) + 1];
        uint8_t* row = &rows[y * rowBytes];
        const uint8_t* above = y > 0 ? row - rowBytes : nullptr;
        for (size_t i = 0; i < rowBytes; ++i)
            row[i] = static_cast<uint8_t>(in[i] + predict(filter, row, above, i, bpp));
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgba.assign(size_t(width) * height * 4, 255);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = &rows[y * rowBytes];
        uint8_t* dst = &image.rgba[size_t(height - 1 - y) * width * 4];
        for (uint32_t x = 0; x < width; ++x)
            std::memcpy(dst + x * 4, src + x * bpp, bpp);
    }
    return true;
}
