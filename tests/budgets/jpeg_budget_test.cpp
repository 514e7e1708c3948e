// The JPEG decoder's budget against crafted worst cases: memory bounded by
// the input's size as the C heap counts it (the decoder object and every
// block it takes, whoever allocates it), and scan work as the decoder counts
// its block visits.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "allocation_meter.h"
#include "assets/jpeg/jpeg_decoder.h"
#include "assets/jpeg/jpeg_oracle.h"
#include "assets/jpeg/jpeg_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

void addSegment(Bytes& file, uint8_t marker, const Bytes& payload)
{
    const size_t length = payload.size() + 2;
    file.insert(file.end(), {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
    file.insert(file.end(), payload.begin(), payload.end());
}

// The head of a grey file: one quantization table, the frame header, and a
// DC and an AC table that each hold a single 1-bit code, so zero bits decode
// as DC difference 0 and as end of block. Scans and the end follow.
Bytes greyHead(uint8_t frameMarker, int width, int height)
{
    Bytes file = {0xFF, 0xD8};
    Bytes quant(65, 1);
    quant[0] = 0;
    addSegment(file, 0xDB, quant);
    addSegment(file, frameMarker,
               {8, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width), 1, 1, 0x11, 0});
    for (uint8_t tableClass : {0x00, 0x10}) {
        Bytes table = {tableClass, 1};
        table.resize(17, 0);
        table.push_back(0);  // the one symbol: size 0 / end of block
        addSegment(file, 0xC4, table);
    }
    return file;
}

// A scan of the one component with no entropy data.
void addEmptyScan(Bytes& file, int spectralStart, int spectralEnd, int approximation = 0)
{
    addSegment(file, 0xDA, {1, 1, 0x00, uint8_t(spectralStart), uint8_t(spectralEnd), uint8_t(approximation)});
}

void addEnd(Bytes& file) { file.insert(file.end(), {0xFF, 0xD9}); }

struct Outcome {
    int32_t startResult;
    int32_t error;
    int64_t bytesAllocated;  // what the decoder counted against its budget
    int64_t blockVisits;
    int64_t heapBytes;       // what the heap gave, the decoder object included
};

// The heap the decoder may take for a file of this many bytes: its budget
// under the given fixed amount, and the object itself.
int64_t heapBudget(size_t fileBytes, int64_t fixedBytes = JPEG_BUDGET_FIXED_BYTES)
{
    return JPEG_BUDGET_BYTES_PER_INPUT_BYTE * int64_t(fileBytes) + fixedBytes + int64_t(sizeof(jpeg_decoder));
}

// Starts decoding, and decodes `lines` lines, under the given fixed amounts
// (0: the decoder's own), with the heap metered from the decoder's creation
// to its end.
Outcome start(const Bytes& file, int64_t fixedBytes = 0, int64_t fixedVisits = 0, int lines = 0)
{
    jpeg_decoder_memory_stream stream(file.data(), file.size());
    Outcome o{};
    AllocationMeter meter;
    {
        auto decoder = std::make_unique<jpeg_decoder>(&stream, false);
        if (fixedBytes)
            decoder->budgetFixedBytes = fixedBytes;
        if (fixedVisits)
            decoder->budgetFixedVisits = fixedVisits;
        o.startResult = decoder->start_decoding();
        const uint8_t* line = nullptr;
        uint32_t length = 0;
        for (int y = 0; y < lines && o.startResult == 0; ++y)
            if (decoder->decode_line(&line, &length) != 0)
                break;
        o.error = decoder->error_code();
        o.bytesAllocated = decoder->bytesAllocated;
        o.blockVisits = decoder->blockVisits;
    }
    o.heapBytes = int64_t(meter.bytes);
    return o;
}

}  // namespace

TEST(JpegBudget, TinyFileDeclaringAHugeProgressiveFrame)
{
    // Under a hundred bytes for 8192 x 8192: the first scan decodes from zero
    // bits and the coefficient storage (144 MiB) would be taken band by band.
    Bytes file = greyHead(0xC2, 8192, 8192);
    addEmptyScan(file, 0, 0);
    addEnd(file);
    const Outcome o = start(file);
    EXPECT_EQ(o.startResult, -1);
    EXPECT_EQ(o.error, JPEG_NOT_ENOUGH_MEMORY);
    EXPECT_LE(o.heapBytes, heapBudget(file.size()));
    EXPECT_GT(o.heapBytes, JPEG_BUDGET_FIXED_BYTES / 2) << "bands up to the limit";

    // With no scan at all nothing is stored: the picture is flat grey.
    Bytes noScan = greyHead(0xC2, 8192, 8192);
    addEnd(noScan);
    jpeg_decoder_memory_stream stream(noScan.data(), noScan.size());
    jpeg_decoder decoder(&stream, false);
    ASSERT_EQ(decoder.start_decoding(), 0);
    const uint8_t* line = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(decoder.decode_line(&line, &length), 0);
    EXPECT_EQ(line[0], 128);
    EXPECT_EQ(line[8191], 128);
    EXPECT_LT(start(noScan, 0, 0, 1).heapBytes, int64_t(sizeof(jpeg_decoder)) + 512 * 1024);
}

TEST(JpegBudget, TinyFileDeclaringAHugeSequentialFrame)
{
    // Sequential frames keep one MCU row whatever their height; the lines
    // decode from zero bits.
    Bytes file = greyHead(0xC0, 8192, 8192);
    addEmptyScan(file, 0, 63);
    addEnd(file);
    const Outcome o = start(file, 0, 0, 16);
    ASSERT_EQ(o.startResult, 0);
    EXPECT_EQ(o.error, 0);
    EXPECT_LT(o.heapBytes, int64_t(sizeof(jpeg_decoder)) + 512 * 1024);
    EXPECT_EQ(o.blockVisits, 0);
}

TEST(JpegBudget, CompleteFlatPictureFitsTheBudget)
{
    // A flat picture is the least data per block an encoder writes (one bit
    // per block in the DC scans); under small fixed amounts its storage and
    // its scans are still paid for by its input.
    TestPicture flat;
    flat.width = flat.height = 1024;
    flat.components = 1;
    flat.pixels.assign(1024 * 1024, 77);
    EncodeOptions o;
    o.progressive = true;
    const Bytes file = encodeWithLibjpeg(flat, o);
    ASSERT_LT(file.size(), 16000u);
    const int64_t fixedBytes = 64 * 1024;
    const int64_t fixedVisits = 4096;
    const Outcome o1 = start(file, fixedBytes, fixedVisits);
    EXPECT_EQ(o1.startResult, 0) << "error " << o1.error;
    EXPECT_GT(o1.heapBytes, 16384 * 144) << "every block stored";
    EXPECT_LE(o1.heapBytes, heapBudget(file.size(), fixedBytes));
    EXPECT_GT(o1.blockVisits, 4 * 16384) << "several scans over every block";

    // Cut after its first scan, the rest of the frame is not paid for.
    JpegSegments segments(file);
    Bytes cut = segments.bytes();
    cut.resize(cut.size() - segments.tail.size() + 200);
    const Outcome o2 = start(cut, fixedBytes);
    EXPECT_EQ(o2.error, JPEG_NOT_ENOUGH_MEMORY);
    EXPECT_LE(o2.heapBytes, heapBudget(cut.size(), fixedBytes));
}

TEST(JpegBudget, ManyEmptyScansCannotMultiplyTheWork)
{
    // Each scan of ten bytes would visit all 4096 blocks of the frame.
    Bytes file = greyHead(0xC2, 512, 512);
    addEmptyScan(file, 0, 0);
    for (int i = 0; i < 20000; ++i)
        addEmptyScan(file, 1, 63);
    addEnd(file);
    const int64_t fixedVisits = 1 << 16;
    const Outcome o = start(file, 0, fixedVisits);
    EXPECT_EQ(o.startResult, -1);
    EXPECT_EQ(o.error, JPEG_DECODE_ERROR);
    // The input read so far pays: the refusal comes long before the last scan.
    EXPECT_LE(o.blockVisits, JPEG_BUDGET_VISITS_PER_INPUT_BYTE * int64_t(file.size()) + fixedVisits);
    EXPECT_LT(o.blockVisits, 20000 * 4096 / 100);

    // A few such scans are within it, and so are whole progressive files.
    Bytes some = greyHead(0xC2, 512, 512);
    addEmptyScan(some, 0, 0);
    for (int i = 0; i < 10; ++i)
        addEmptyScan(some, 1, 63);
    addEnd(some);
    EXPECT_EQ(start(some, 0, fixedVisits).startResult, 0);
    EncodeOptions progressive;
    progressive.progressive = true;
    const Bytes photo = encodeWithLibjpeg(makeTestPicture(512, 512, 3), progressive);
    const Outcome whole = start(photo, 0, fixedVisits);
    EXPECT_EQ(whole.startResult, 0);
    EXPECT_LE(whole.blockVisits, JPEG_BUDGET_VISITS_PER_INPUT_BYTE * int64_t(photo.size()) + fixedVisits);
}

TEST(JpegBudget, NumberOfLinesMarkerIsNotTaken)
{
    // A frame of height 0 would take its height from a DNL segment after the
    // first scan; such frames are refused, and a DNL segment elsewhere is skipped.
    EXPECT_EQ(decodeWithOurs(greyHead(0xC0, 16, 0)).errorCode, JPEG_BAD_HEIGHT);
    Bytes file = greyHead(0xC0, 16, 16);
    addSegment(file, 0xDC, {0, 16});
    addEmptyScan(file, 0, 63);
    addEnd(file);
    const OurDecode ours = decodeWithOurs(file);
    EXPECT_EQ(ours.errorCode, 0);
    EXPECT_EQ(ours.linesDelivered, 16);
}
