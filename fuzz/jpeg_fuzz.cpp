// jpeg_fuzz.cpp - libFuzzer target for the JPEG decoder: every input must end
// with an error code or with all of its lines, on both paths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "assets/jpeg_decoder.h"

namespace {

void decodeAll(const uint8_t* data, size_t size, bool fast)
{
    jpeg_decoder_memory_stream stream(data, size);
    auto decoder = std::make_unique<jpeg_decoder>(&stream, fast);
    if (decoder->error_code() != 0)
        return;
    // Huge frames only cost time here; the size checks are covered by the tests.
    if (int64_t(decoder->width()) * decoder->height() > (int64_t(1) << 20))
        return;
    if (decoder->start_decoding() != 0)
        return;
    const uint8_t* line = nullptr;
    uint32_t length = 0;
    int lines = 0;
    uint32_t checksum = 0;
    int32_t result;
    while ((result = decoder->decode_line(&line, &length)) == 0) {
        ++lines;
        if (length != uint32_t(decoder->bytes_per_scan_line()))
            std::abort();
        checksum += line[0] + line[length - 1];  // touch both ends of the line
    }
    if (result == 1 && lines != decoder->height())
        std::abort();
    if (result != 1 && decoder->error_code() == 0)
        std::abort();
    (void)checksum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    decodeAll(data, size, false);
    decodeAll(data, size, true);
    return 0;
}
