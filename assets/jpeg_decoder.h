// jpeg_decoder.h - Huffman-coded baseline and progressive JPEG (ITU-T T.81)
// into scan lines.
//
// The decoder reads through a small stream interface and hands out one line
// at a time, top line first: 1 byte per pixel for grey files, 4 bytes per
// pixel (R, G, B, 0) for YCbCr files. Sequential files are decoded one MCU
// row at a time, so their memory does not grow with the height; progressive
// files keep every coefficient until the last scan. Nothing throws: a failed
// check records an error code and the public call returns.
//
//   jpeg_decoder_file_stream stream;
//   stream.open("picture.jpg");
//   jpeg_decoder* d = new jpeg_decoder(&stream, true);
//   if (d->error_code() == 0 && d->start_decoding() == 0)
//       while (d->decode_line(&line, &length) == 0) { ... }
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "assets/jpeg_color.h"
#include "assets/jpeg_huffman.h"
#include "assets/jpeg_idct.h"
#include "assets/jpeg_idct_fast.h"

// Error codes (error_code(), 0 = none).
enum jpeg_error : int32_t {
    JPEG_BAD_DHT_COUNTS = -200,        // sum of the 16 code counts above 255
    JPEG_BAD_DHT_INDEX = -201,         // Huffman table number 8 or above
    JPEG_BAD_DHT_MARKER = -202,        // Huffman segment length too short
    JPEG_BAD_DQT_MARKER = -203,        // quantization segment length below 2
    JPEG_BAD_DQT_TABLE = -204,         // quantization table number 4 or above
    JPEG_BAD_PRECISION = -205,         // sample precision not 8
    JPEG_BAD_HEIGHT = -206,
    JPEG_BAD_WIDTH = -207,
    JPEG_TOO_MANY_COMPONENTS = -208,
    JPEG_BAD_SOF_LENGTH = -209,
    JPEG_BAD_VARIABLE_MARKER = -210,   // skipped segment with length below 2
    JPEG_BAD_DRI_LENGTH = -211,
    JPEG_BAD_SOS_LENGTH = -212,
    JPEG_BAD_SOS_COMPONENT_ID = -213,
    JPEG_NO_ARITHMETIC_SUPPORT = -215,
    JPEG_UNEXPECTED_MARKER = -216,
    JPEG_NOT_JPEG = -217,
    JPEG_UNSUPPORTED_MARKER = -218,
    JPEG_BAD_DQT_LENGTH = -219,
    JPEG_TOO_MANY_BLOCKS = -221,       // all allocation records in use
    JPEG_UNDEFINED_QUANT_TABLE = -222,
    JPEG_UNDEFINED_HUFF_TABLE = -223,
    JPEG_UNSUPPORTED_COLORSPACE = -225,
    JPEG_UNSUPPORTED_SAMP_FACTORS = -226,
    JPEG_DECODE_ERROR = -227,
    JPEG_BAD_RESTART_MARKER = -228,
    JPEG_ASSERTION_ERROR = -229,       // more blocks in one MCU row than the decoder holds
    JPEG_BAD_SOS_SPECTRAL = -230,
    JPEG_BAD_SOS_SUCCESSIVE = -231,
    JPEG_STREAM_READ = -232,
    JPEG_NOT_ENOUGH_MEMORY = -233,
};

// Where the decoder's bytes come from.
class jpeg_decoder_stream {
public:
    virtual ~jpeg_decoder_stream() = default;
    // Bytes placed in buffer, or -1 on a read error; *eofFlag = true at the end.
    virtual int32_t read(uint8_t* buffer, int32_t maxBytes, bool* eofFlag) = 0;
    virtual void begin_use() {}
    virtual void end_use() {}
};

class jpeg_decoder_file_stream : public jpeg_decoder_stream {
public:
    FILE* file = nullptr;
    bool atEnd = false;
    bool hadError = false;

    ~jpeg_decoder_file_stream() override;
    // 0 when fileName was opened (mode "rb"), -1 otherwise.
    int open(const char* fileName);
    void close();
    int32_t read(uint8_t* buffer, int32_t maxBytes, bool* eofFlag) override;
};

// Bytes already in memory (the fuzz target and the tests use it).
class jpeg_decoder_memory_stream : public jpeg_decoder_stream {
public:
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t position = 0;

    jpeg_decoder_memory_stream(const void* bytes, size_t byteCount)
        : data(static_cast<const uint8_t*>(bytes)), size(byteCount) {}
    int32_t read(uint8_t* buffer, int32_t maxBytes, bool* eofFlag) override;
};

constexpr int JPEG_MAX_COMPONENTS = 4;
constexpr int JPEG_MAX_BLOCKS_PER_MCU_ROW = 6144;
constexpr int JPEG_MAX_ALLOCATIONS = 100;
constexpr int JPEG_INPUT_BUFFER_SIZE = 4096;
constexpr int JPEG_INPUT_PADDING = 128;  // 64 end-of-image markers after the data

struct jpeg_component {
    int id = 0;
    int h = 1, v = 1;           // sampling factors
    int quantTable = 0;         // number from the frame header
    int dcTable = 0, acTable = 0;  // from the current scan (AC numbers are 4-7)
    int dcPrediction = 0;
    bool quantLatched = false;  // quant copied at the component's first scan
    bool fastIdct = false;      // quant is pre-scaled for the fast transform
    int fastQuantBits = 0;      // with this many fractional bits
    bool vectorAccurate = false;  // 8-bit table: the vector form of the accurate transform is exact
    uint16_t quant[64] = {};    // natural order

    // Blocks covering the component (padded to whole MCUs) and those a
    // single-component scan visits (the component's own size in blocks).
    int blocksPerRow = 0, blockRows = 0;
    int scanBlocksPerRow = 0, scanBlockRows = 0;
    int16_t* coefficients = nullptr;  // progressive / multi-scan files: the whole picture

    uint8_t* plane = nullptr;   // samples of one MCU row
    int planeStride = 0;
};

class jpeg_decoder {
public:
    jpeg_decoder(jpeg_decoder_stream* stream, bool useFastPath);
    ~jpeg_decoder();
    jpeg_decoder(const jpeg_decoder&) = delete;
    jpeg_decoder& operator=(const jpeg_decoder&) = delete;

    int32_t error_code() const { return errorCode; }
    int32_t width() const { return imageWidth; }
    int32_t height() const { return imageHeight; }
    int32_t components() const { return componentCount; }
    int32_t bytes_per_pixel() const { return bytesPerPixel; }
    int32_t bytes_per_scan_line() const { return imageWidth * bytesPerPixel; }

    // 0 on success (also when already started), -1 on an error.
    int32_t start_decoding();
    // 0 with the next line; 1 when all lines were delivered; -1 when not
    // started or after an error; -227 when an error occurs in this line.
    int32_t decode_line(const uint8_t** scanLine, uint32_t* lineLength);

    // --- state (public for the tools and tests; read-only outside) ---
    jpeg_decoder_stream* stream = nullptr;
    int32_t errorCode = 0;
    bool useFast = false;
    jpeg_idct_function fastTransform = nullptr;
    jpeg_idct_pair_function fastPairTransform = nullptr;
    jpeg_color_function colorConvert = nullptr;  // vector form of the colour tables
    jpeg_accurate_idct_function accurateTransform = nullptr;
    bool progressive = false;
    bool buffered = false;  // coefficients of the whole picture are kept (progressive, or scans per component)
    bool ready = false;
    bool frameRead = false;

    int32_t imageWidth = 0, imageHeight = 0;
    int32_t componentCount = 0;
    int32_t bytesPerPixel = 0;
    jpeg_component component[JPEG_MAX_COMPONENTS];
    int maxH = 1, maxV = 1;

    // tables
    uint16_t quantTables[4][64] = {};  // zig-zag order as read
    bool quantDefined[4] = {};
    jpeg_huffman_table huffman[8];

    // scan
    int scanCount = 0;
    int scanComponent[JPEG_MAX_COMPONENTS] = {};  // indices into component[]
    int spectralStart = 0, spectralEnd = 63;
    int approxHigh = 0, approxLow = 0;
    int restartInterval = 0, restartsLeft = 0, nextRestart = 0;
    int endOfBandRun = 0;

    // frame geometry
    int mcuWidth = 8, mcuHeight = 8;
    int mcusPerRow = 0, mcusPerColumn = 0;
    int blocksPerMcu = 0;

    // input
    uint8_t input[JPEG_INPUT_BUFFER_SIZE + JPEG_INPUT_PADDING];
    const uint8_t* inputPos = input;
    const uint8_t* inputEnd = input;
    bool streamEnded = false;
    int64_t bytesRead = 0;
    uint64_t bitBuffer = 0;  // next bits at the top
    int bitCount = 0;
    bool markerReached = false;  // entropy data stopped at a marker (0xFF consumed)
    bool dataExhausted = false;  // the end-of-image marker was met inside a scan

    // output
    int linesLeft = 0;           // lines still to deliver
    int mcuRowLinesLeft = 0;     // lines of the current MCU row still to deliver
    int mcuRow = 0;              // next MCU row to decode
    int lineInMcuRow = 0;
    uint8_t* lineBuffer = nullptr;

    // memory: every block the decoder allocates
    void* allocations[JPEG_MAX_ALLOCATIONS] = {};
    int allocationCount = 0;

    // --- internals (jpeg_decoder.cpp, jpeg_markers.cpp, jpeg_progressive.cpp) ---
    bool fail(int32_t code);
    void* allocate(size_t bytes);
    void freeAll();

    void refillInput();
    uint8_t nextByte();
    uint16_t nextWord();

    bool findStartOfImage();
    bool nextMarker(int& marker);
    bool readMarkers(int& marker);  // tables up to the next SOFn, SOI, EOI or SOS
    bool readHuffmanTables();
    bool readQuantTables();
    bool readRestartInterval();
    bool skipSegment();
    bool readFrameHeader(int marker);
    bool readScanHeader();
    bool checkScan();

    bool setupFrame();
    bool nextScan(bool& found);
    bool decodeBufferedScans();
    bool decodeBufferedScan();
    bool restartIfDue();
    bool processRestart();
    void resetEntropyState();

    void transformBlock(const jpeg_component& c, const int16_t* block, bool dcOnly, uint8_t* out);
    bool decodeMcuRow();
    bool outputMcuRowFromCoefficients();
    void convertLine(int row);
};
