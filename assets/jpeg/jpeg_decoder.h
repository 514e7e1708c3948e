// jpeg_decoder.h - Huffman-coded baseline and progressive JPEG (ITU-T T.81)
// into scan lines.
//
// The decoder reads through a small stream interface and hands out one line
// at a time, top line first: 1 byte per pixel for grey files, 4 bytes per
// pixel (R, G, B, 0) for colour files. Colour files are YCbCr, converted to
// RGB, unless an Adobe marker (and no JFIF marker) says they were stored as RGB
// with no colour transform. Sequential files are decoded one MCU row at a
// time, so their memory does not grow with the height; progressive files
// keep every coefficient until the last scan. Nothing throws: a failed check
// records an error code and the public call returns.
//
//   jpeg_decoder_file_stream stream;
//   stream.open("picture.jpg");
//   jpeg_decoder* d = new jpeg_decoder(&stream, true);
//   if (d->error_code() == 0 && d->start_decoding() == 0)
//       while (d->decode_line(&line, &length) == 0) { ... }
//
// or, for the whole picture into a buffer of height rows, skipping the copy
// of each line:  d->decode_picture(pixels, rowStride);
//
// Budget, for an input of N bytes (counted as they are read):
// - memory: besides the decoder object (about 100 KiB), at most
//   JPEG_BUDGET_BYTES_PER_INPUT_BYTE x N + JPEG_BUDGET_FIXED_BYTES
//   (1152 N + 32 MiB). Sequential files need only their MCU row buffers (at
//   most about 300 KiB at the largest width). Buffered files (progressive,
//   or one scan per component) keep 144 bytes per block; storage that the
//   fixed amount does not cover is taken in bands of block rows as the scans
//   first reach them, so a file that declares a huge frame without the data
//   to fill it is refused when the scans get there. The first scan to reach
//   a block spends at least one bit on it (8 blocks per byte, 144 bytes each,
//   plus one band ahead), so complete files stay within the budget; only
//   heavily truncated large frames meet it.
// - time: one pass over the frame for the lines (at most 8192 x 8192 pixels,
//   whatever N is), plus at most JPEG_BUDGET_VISITS_PER_INPUT_BYTE x N +
//   JPEG_BUDGET_FIXED_VISITS (32 N + 2^24) block visits in buffered scans, so
//   many empty scans over a large frame cannot multiply the work; every
//   other step (segments, table builds, restart searches) is linear in N.
// Past either limit the decoder stops as on corrupt data: the memory budget
// as a failed allocation (-233), the scan budget as corrupt entropy data
// (-227). A build for fuzzing (FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
// keeps frames and the fixed amounts small, so that each input is quick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "assets/jpeg/jpeg_color.h"
#include "assets/jpeg/jpeg_huffman.h"
#include "assets/jpeg/jpeg_idct.h"
#include "assets/jpeg/jpeg_idct_fast.h"

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

#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr int JPEG_MAX_SIDE = 64;
constexpr int64_t JPEG_BUDGET_FIXED_BYTES = int64_t(16) << 10;
constexpr int64_t JPEG_BUDGET_FIXED_VISITS = int64_t(1) << 13;
#else
constexpr int JPEG_MAX_SIDE = 8192;
constexpr int64_t JPEG_BUDGET_FIXED_BYTES = int64_t(32) << 20;
constexpr int64_t JPEG_BUDGET_FIXED_VISITS = int64_t(1) << 24;
#endif
constexpr int64_t JPEG_BUDGET_BYTES_PER_INPUT_BYTE = 1152;
constexpr int64_t JPEG_BUDGET_VISITS_PER_INPUT_BYTE = 32;
// Coefficient storage of a buffered component comes in at most this many bands.
constexpr int JPEG_MAX_BANDS = 16;
// Values stored per block of a buffered component: 64 coefficients (natural
// order), then a 64-bit mask of the non-zero ones by zig-zag position, which
// the progressive AC scans keep up to date (bits 1 ... 63), and padding that
// keeps every block 16-byte aligned.
constexpr int JPEG_STORED_BLOCK = 72;

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
    // Progressive / multi-scan files: the whole picture's coefficients, in
    // bands of bandRows block rows, each allocated when a scan first reaches it.
    int16_t* bands[JPEG_MAX_BANDS] = {};
    int bandRows = 0;

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
    // Every line not yet delivered straight into the caller's picture: line y
    // (0 = top) at pixels + y * stride, bytes_per_scan_line() bytes each.
    // 0 when all lines are in; -1 when not started or after an error; -227
    // when an error occurs on the way (the lines before it are in place).
    int32_t decode_picture(uint8_t* pixels, size_t stride);

    // --- state (public for the tools and tests; read-only outside) ---
    jpeg_decoder_stream* stream = nullptr;
    int32_t errorCode = 0;
    bool useFast = false;
    jpeg_idct_function fastTransform = nullptr;
    jpeg_idct_pair_function fastPairTransform = nullptr;
    jpeg_color_function colorConvert = nullptr;  // vector form of the colour tables
    jpeg_accurate_idct_function accurateTransform = nullptr;
    jpeg_accurate_idct_pair_function accuratePair = nullptr;          // leaves the blocks zero
    jpeg_accurate_idct_pair_function accuratePairKeeping = nullptr;   // leaves them as they are
    jpeg_dc_only_function dcOnly = nullptr;
    bool progressive = false;
    bool buffered = false;  // coefficients of the whole picture are kept (progressive, or scans per component)
    bool ready = false;
    bool frameRead = false;

    int32_t imageWidth = 0, imageHeight = 0;
    int32_t componentCount = 0;
    int32_t bytesPerPixel = 0;
    jpeg_component component[JPEG_MAX_COMPONENTS];
    int maxH = 1, maxV = 1;
    bool sawJfif = false;
    int adobeTransform = -1;  // from an Adobe marker, -1 without one
    bool rgbOutput = false;   // three components stored as RGB

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
    uint8_t* secondLine = nullptr;  // the next line, made together with the last one
    bool secondLineReady = false;

    // memory: every block the decoder allocates, and the budget (its fixed
    // amounts may be lowered before start_decoding, as the tests do)
    void* allocations[JPEG_MAX_ALLOCATIONS] = {};
    int allocationCount = 0;
    int64_t bytesAllocated = 0;
    int64_t blockVisits = 0;  // blocks decoded in buffered scans
    int64_t budgetFixedBytes = JPEG_BUDGET_FIXED_BYTES;
    int64_t budgetFixedVisits = JPEG_BUDGET_FIXED_VISITS;

    // --- internals (jpeg_decoder.cpp, jpeg_markers.cpp, jpeg_progressive.cpp) ---
    bool fail(int32_t code);
    void* allocate(size_t bytes);
    void freeAll();

    void refillInput();
    uint8_t nextByte();
    uint16_t nextWord();
    void skipBytes(int count);

    bool findStartOfImage();
    bool nextMarker(int& marker);
    bool readMarkers(int& marker);  // tables up to the next SOFn, SOI, EOI or SOS
    bool readHuffmanTables();
    bool readQuantTables();
    bool readRestartInterval();
    bool readApplicationSegment(int marker);
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

    int16_t* scanBlockRow(jpeg_component& c, int blockRow);
    bool chargeVisits(int blocks);

    void transformBlock(const jpeg_component& c, const int16_t* block, bool dcOnly, uint8_t* out);
    bool decodeMcuRow();
    bool outputMcuRowFromCoefficients();
    bool startMcuRow();
    void convertLines(int row, uint8_t* out, uint8_t* out2);
    void advanceLines(int count);
};
