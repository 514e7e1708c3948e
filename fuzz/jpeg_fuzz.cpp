// jpeg_fuzz.cpp - libFuzzer target for the JPEG decoder: every input must end
// with an error code or with all of its lines. The accurate path delivers
// lines through decode_line, the fast path the whole picture through
// decode_picture; both must end the same way (their transforms differ, their
// entropy decoding and checks do not). What the line decoder takes from the
// heap, whoever allocates it, stays within the decoder's memory budget. Built
// for fuzzing, the decoder takes frames of at most 64 x 64 and small fixed
// budgets (see jpeg_decoder.h), so that each input is quick.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "assets/jpeg/jpeg_decoder.h"
#include "budget_check.h"

namespace {

// The result of the call that ended the lines (1 when all were delivered), -1 when it never started.
int32_t decodeAllLines(const uint8_t* data, size_t size)
{
    jpeg_decoder_memory_stream stream(data, size);
    jpeg_decoder decoder(&stream, false);  // on the stack: no fresh heap pages per input
    if (decoder.error_code() != 0 || decoder.start_decoding() != 0)
        return -1;
    const uint8_t* line = nullptr;
    uint32_t length = 0;
    int count = 0;
    uint32_t checksum = 0;
    int32_t result;
    while ((result = decoder.decode_line(&line, &length)) == 0) {
        if (length != uint32_t(decoder.bytes_per_scan_line()))
            std::abort();
        checksum += line[0] + line[length - 1];  // touch both ends of the line
        ++count;
    }
    if (result == 1 && count != decoder.height())
        std::abort();
    if (result != 1 && decoder.error_code() == 0)
        std::abort();
    (void)checksum;
    return result;
}

// The decoder lives on the stack: what the heap gives meanwhile is its own.
int32_t decodeLines(const uint8_t* data, size_t size)
{
    BudgetCheck budget;
    const int32_t result = decodeAllLines(data, size);
    budget.expectWithin(size, JPEG_BUDGET_BYTES_PER_INPUT_BYTE, JPEG_BUDGET_FIXED_BYTES, 0, 0);
    return result;
}

int32_t decodePicture(const uint8_t* data, size_t size)
{
    jpeg_decoder_memory_stream stream(data, size);
    jpeg_decoder decoder(&stream, true);
    if (decoder.error_code() != 0 || decoder.start_decoding() != 0)
        return -1;
    const size_t stride = size_t(decoder.bytes_per_scan_line());
    std::vector<uint8_t> picture(stride * decoder.height());
    const int32_t result = decoder.decode_picture(picture.data(), stride);
    if (result != 0 && decoder.error_code() == 0)
        std::abort();
    return result == 0 ? 1 : result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (decodeLines(data, size) != decodePicture(data, size))
        std::abort();
    return 0;
}
