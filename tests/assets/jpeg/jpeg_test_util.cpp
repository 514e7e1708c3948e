// jpeg_test_util.cpp - decoding with the game's decoder, comparisons, and a
// small segment editor for making bad headers.
#include "assets/jpeg/jpeg_test_util.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include "assets/jpeg/jpeg_decoder.h"

namespace {

// The whole picture through decode_picture: the lines delivered one by one
// (their RGB or grey bytes), then the same result code.
bool pictureAgreesWithLines(const std::vector<uint8_t>& file, bool fast, const OurDecode& lines)
{
    jpeg_decoder_memory_stream stream(file.data(), file.size());
    auto decoder = std::make_unique<jpeg_decoder>(&stream, fast);
    if (decoder->start_decoding() != 0)
        return true;  // nothing to compare: the line decode failed here too
    const int bytesPerPixel = decoder->bytes_per_pixel();
    const size_t stride = size_t(decoder->bytes_per_scan_line()) + 3;  // rows need not be packed
    std::vector<uint8_t> picture(stride * decoder->height(), 0xEE);
    const int32_t result = decoder->decode_picture(picture.data(), stride);
    if (result != (lines.lastLineResult == 1 ? 0 : lines.lastLineResult))
        return false;
    const int channels = bytesPerPixel == 4 ? 3 : 1;
    size_t i = 0;
    for (int y = 0; y < lines.linesDelivered; ++y) {
        for (int x = 0; x < lines.width; ++x) {
            const uint8_t* pixel = &picture[y * stride + x * bytesPerPixel];
            for (int c = 0; c < channels; ++c)
                if (pixel[c] != lines.pixels[i++])
                    return false;
            if (bytesPerPixel == 4 && pixel[3] != 0)
                return false;
        }
        if (picture[y * stride + stride - 1] != 0xEE)
            return false;  // written past the line
    }
    return true;
}

}  // namespace

OurDecode decodeWithOurs(const std::vector<uint8_t>& file, bool fast)
{
    OurDecode out;
    jpeg_decoder_memory_stream stream(file.data(), file.size());
    auto decoder = std::make_unique<jpeg_decoder>(&stream, fast);
    out.constructError = decoder->error_code();
    out.width = decoder->width();
    out.height = decoder->height();
    out.components = decoder->components();
    if (out.constructError) {
        out.errorCode = out.constructError;
        return out;
    }
    out.startResult = decoder->start_decoding();
    out.errorCode = decoder->error_code();
    out.bytesAllocated = decoder->bytesAllocated;
    out.blockVisits = decoder->blockVisits;
    if (out.startResult != 0)
        return out;
    const int channels = out.components == 3 ? 3 : 1;
    const int bytesPerPixel = out.components == 3 ? 4 : 1;
    for (;;) {
        const uint8_t* line = nullptr;
        uint32_t length = 0;
        const int32_t result = decoder->decode_line(&line, &length);
        if (result != 0) {
            out.lastLineResult = result;
            break;
        }
        ++out.linesDelivered;
        if (length != static_cast<uint32_t>(out.width * bytesPerPixel))
            out.lineLengthsRight = false;
        for (int x = 0; x < out.width; ++x) {
            for (int c = 0; c < channels; ++c)
                out.pixels.push_back(line[x * bytesPerPixel + c]);
            if (bytesPerPixel == 4 && line[x * 4 + 3] != 0)
                out.fourthByteAlwaysZero = false;
        }
    }
    out.errorCode = decoder->error_code();
    out.bytesAllocated = decoder->bytesAllocated;
    out.blockVisits = decoder->blockVisits;
    out.pictureAgrees = pictureAgreesWithLines(file, fast, out);
    return out;
}

int64_t memoryBudget(size_t fileBytes)
{
    return JPEG_BUDGET_BYTES_PER_INPUT_BYTE * int64_t(fileBytes) + JPEG_BUDGET_FIXED_BYTES;
}

int64_t visitBudget(size_t fileBytes)
{
    return JPEG_BUDGET_VISITS_PER_INPUT_BYTE * int64_t(fileBytes) + JPEG_BUDGET_FIXED_VISITS;
}

Difference compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    Difference d;
    if (a.size() != b.size() || a.empty()) {
        d.maxError = 256;
        d.psnr = 0;
        return d;
    }
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const int e = std::abs(int(a[i]) - int(b[i]));
        d.maxError = e > d.maxError ? e : d.maxError;
        squares += double(e) * e;
    }
    if (squares > 0)
        d.psnr = 10.0 * std::log10(255.0 * 255.0 / (squares / a.size()));
    return d;
}

JpegSegments::JpegSegments(const std::vector<uint8_t>& file)
{
    size_t i = 2;  // after SOI
    while (i + 4 <= file.size()) {
        const uint8_t marker = file[i + 1];
        const size_t length = (size_t(file[i + 2]) << 8) | file[i + 3];
        segments.push_back({marker, std::vector<uint8_t>(file.begin() + i + 4, file.begin() + i + 2 + length)});
        i += 2 + length;
        if (marker == 0xDA)
            break;
    }
    tail.assign(file.begin() + i, file.end());
}

JpegSegments::Segment* JpegSegments::find(uint8_t marker)
{
    for (Segment& s : segments)
        if (s.marker == marker)
            return &s;
    return nullptr;
}

std::vector<uint8_t> JpegSegments::bytes() const
{
    std::vector<uint8_t> out = {0xFF, 0xD8};
    for (const Segment& s : segments) {
        const size_t length = s.payload.size() + 2;
        out.insert(out.end(), {0xFF, s.marker, uint8_t(length >> 8), uint8_t(length & 0xFF)});
        out.insert(out.end(), s.payload.begin(), s.payload.end());
    }
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}
