// jpeg_decoder.cpp - the JPEG decoder's life cycle: streams, memory, input,
// frame set-up, sequential MCU rows and the line output.
#include "assets/jpeg/jpeg_decoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "assets/jpeg/jpeg_bits.h"
#include "assets/jpeg/jpeg_color.h"
#include "assets/jpeg/jpeg_idct.h"
#include "base/file_bytes.h"

// --- streams ---------------------------------------------------------------

jpeg_decoder_file_stream::~jpeg_decoder_file_stream() { close(); }

void jpeg_decoder_file_stream::close()
{
    if (file)
        std::fclose(file);
    file = nullptr;
    atEnd = false;
    hadError = false;
}

int jpeg_decoder_file_stream::open(const char* fileName)
{
    close();
    file = openRegularFileStream(fileName);
    return file ? 0 : -1;
}

int32_t jpeg_decoder_file_stream::read(uint8_t* buffer, int32_t maxBytes, bool* eofFlag)
{
    if (!file || hadError)
        return -1;
    if (atEnd) {
        *eofFlag = true;
        return 0;
    }
    const size_t count = std::fread(buffer, 1, static_cast<size_t>(maxBytes < 0 ? 0 : maxBytes), file);
    if (count < static_cast<size_t>(maxBytes)) {
        if (std::ferror(file)) {
            hadError = true;
            return -1;
        }
        atEnd = true;
        *eofFlag = true;
    }
    return static_cast<int32_t>(count);
}

int32_t jpeg_decoder_memory_stream::read(uint8_t* buffer, int32_t maxBytes, bool* eofFlag)
{
    const size_t left = size - position;
    const size_t count = maxBytes < 0 ? 0 : (static_cast<size_t>(maxBytes) < left ? maxBytes : left);
    if (count)
        std::memcpy(buffer, data + position, count);
    position += count;
    if (position == size)
        *eofFlag = true;
    return static_cast<int32_t>(count);
}

// --- errors and memory -----------------------------------------------------

bool jpeg_decoder::fail(int32_t code)
{
    if (errorCode == 0)
        errorCode = code;
    return false;
}

void* jpeg_decoder::allocate(size_t bytes)
{
    if (allocationCount == JPEG_MAX_ALLOCATIONS) {
        fail(JPEG_TOO_MANY_BLOCKS);
        return nullptr;
    }
    // The budget: what the input read so far pays for (see the header).
    const int64_t allowed = JPEG_BUDGET_BYTES_PER_INPUT_BYTE * bytesRead + budgetFixedBytes;
    if (static_cast<int64_t>(bytes) > allowed - bytesAllocated) {
        fail(JPEG_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    void* block = std::calloc(1, bytes ? bytes : 1);
    if (!block) {
        fail(JPEG_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    allocations[allocationCount++] = block;
    bytesAllocated += static_cast<int64_t>(bytes);
    return block;
}

void jpeg_decoder::freeAll()
{
    for (int i = 0; i < allocationCount; ++i)
        std::free(allocations[i]);
    allocationCount = 0;
    for (jpeg_component& c : component) {
        for (int16_t*& band : c.bands)
            band = nullptr;
        c.plane = nullptr;
    }
    lineBuffer = nullptr;
    secondLine = nullptr;
}

// --- input -----------------------------------------------------------------

namespace {

struct EndMarkers {
    uint8_t bytes[JPEG_INPUT_PADDING];
    constexpr EndMarkers() : bytes()
    {
        for (int i = 0; i < JPEG_INPUT_PADDING; ++i)
            bytes[i] = i % 2 ? 0xD9 : 0xFF;
    }
};

}  // namespace

void jpeg_decoder::refillInput()
{
    int filled = 0;
    while (!streamEnded && filled < JPEG_INPUT_BUFFER_SIZE) {
        bool eof = false;
        const int32_t count = stream->read(input + filled, JPEG_INPUT_BUFFER_SIZE - filled, &eof);
        if (count < 0) {
            fail(JPEG_STREAM_READ);
            streamEnded = true;
            break;
        }
        filled += count > JPEG_INPUT_BUFFER_SIZE - filled ? JPEG_INPUT_BUFFER_SIZE - filled : count;
        // A stream that gives nothing without saying so has ended too.
        if (eof || count == 0)
            streamEnded = true;
    }
    bytesRead += filled;
    // Past the data the stream reads as end-of-image markers, so nothing
    // runs beyond the buffer on a truncated file.
    static constexpr EndMarkers padding;
    std::memcpy(input + filled, padding.bytes, sizeof padding.bytes);
    inputPos = input;
    inputEnd = input + filled + (streamEnded ? JPEG_INPUT_PADDING : 0);
}

// --- construction ----------------------------------------------------------

jpeg_decoder::jpeg_decoder(jpeg_decoder_stream* source, bool useFastPath) : stream(source), useFast(useFastPath)
{
    if (useFast) {
        fastTransform = jpeg_select_fast_idct();
        fastPairTransform = jpeg_select_fast_idct_pair();
    }
    colorConvert = jpeg_select_color_conversion();
    accurateTransform = jpeg_select_accurate_idct();
    accuratePair = jpeg_select_accurate_idct_pair(true);
    accuratePairKeeping = jpeg_select_accurate_idct_pair(false);
    dcOnly = jpeg_select_dc_only_test();
    stream->begin_use();
    refillInput();
    int marker = 0;
    if (errorCode || !findStartOfImage() || !readMarkers(marker)) {
        freeAll();
        return;
    }
    if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)
        readFrameHeader(marker);
    else if (marker == 0xC9)
        fail(JPEG_NO_ARITHMETIC_SUPPORT);
    else
        fail(JPEG_UNSUPPORTED_MARKER);
    if (errorCode)
        freeAll();
}

jpeg_decoder::~jpeg_decoder()
{
    freeAll();
    stream->end_use();
}

// --- frame set-up ----------------------------------------------------------

bool jpeg_decoder::setupFrame()
{
    if (componentCount != 1 && componentCount != 3)
        return fail(JPEG_UNSUPPORTED_COLORSPACE);
    if (componentCount == 1) {
        // One component is always coded one block per MCU; its factors do not matter.
        component[0].h = component[0].v = 1;
    } else {
        const jpeg_component& y = component[0];
        const bool lumaOk = (y.h == 1 || y.h == 2) && (y.v == 1 || y.v == 2);
        const bool chromaOk = component[1].h == 1 && component[1].v == 1 && component[2].h == 1 &&
                              component[2].v == 1;
        if (!lumaOk || !chromaOk)
            return fail(JPEG_UNSUPPORTED_SAMP_FACTORS);
    }
    maxH = component[0].h;
    maxV = component[0].v;
    mcuWidth = 8 * maxH;
    mcuHeight = 8 * maxV;
    mcusPerRow = (imageWidth + mcuWidth - 1) / mcuWidth;
    mcusPerColumn = (imageHeight + mcuHeight - 1) / mcuHeight;
    blocksPerMcu = 0;
    for (int i = 0; i < componentCount; ++i)
        blocksPerMcu += component[i].h * component[i].v;
    if (blocksPerMcu * mcusPerRow > JPEG_MAX_BLOCKS_PER_MCU_ROW)
        return fail(JPEG_ASSERTION_ERROR);

    for (int i = 0; i < componentCount; ++i) {
        jpeg_component& c = component[i];
        c.blocksPerRow = mcusPerRow * c.h;
        c.blockRows = mcusPerColumn * c.v;
        const int samplesWide = (imageWidth * c.h + maxH - 1) / maxH;
        const int samplesHigh = (imageHeight * c.v + maxV - 1) / maxV;
        c.scanBlocksPerRow = (samplesWide + 7) / 8;
        c.scanBlockRows = (samplesHigh + 7) / 8;
        c.planeStride = c.blocksPerRow * 8;
        c.plane = static_cast<uint8_t*>(allocate(static_cast<size_t>(c.planeStride) * c.v * 8));
        if (!c.plane)
            return false;
    }
    const size_t lineBytes = static_cast<size_t>((imageWidth + 15) & ~15) * bytesPerPixel;
    lineBuffer = static_cast<uint8_t*>(allocate(lineBytes));
    secondLine = static_cast<uint8_t*>(allocate(lineBytes));
    return secondLine != nullptr;
}

void jpeg_decoder::resetEntropyState()
{
    for (jpeg_component& c : component)
        c.dcPrediction = 0;
    endOfBandRun = 0;
    bitBuffer = 0;
    bitCount = 0;
}

// The scan header that follows, or found = false at the end of the image.
bool jpeg_decoder::nextScan(bool& found)
{
    int marker = 0;
    found = false;
    if (!readMarkers(marker))
        return false;
    if (marker == 0xD9)
        return true;
    if (marker != 0xDA)
        return fail(JPEG_UNEXPECTED_MARKER);
    if (!readScanHeader())
        return false;
    found = true;
    return true;
}

int32_t jpeg_decoder::start_decoding()
{
    if (ready)
        return 0;
    if (errorCode || !frameRead)
        return -1;
    bool haveScan = false;
    bool ok = setupFrame() && nextScan(haveScan);
    if (ok && !haveScan && !progressive)
        ok = fail(JPEG_UNEXPECTED_MARKER);  // a sequential file needs a scan
    // The colour space is settled by the markers before the first scan.
    rgbOutput = componentCount == 3 && adobeTransform == 0 && !sawJfif;
    if (ok) {
        // A sequential file whose first scan holds every component is decoded
        // row by row; any other layout keeps the whole picture's coefficients.
        bool everyComponent = haveScan && scanCount == componentCount;
        for (int i = 0; i < scanCount && everyComponent; ++i)
            for (int j = 0; j < i; ++j)
                if (scanComponent[i] == scanComponent[j])
                    everyComponent = false;
        buffered = progressive || !everyComponent;
        if (buffered) {
            // Storage the fixed allowance covers is taken whole, one block per
            // component; a larger frame grows band by band with its data.
            int64_t whole = 0;
            for (int i = 0; i < componentCount; ++i)
                whole += int64_t(component[i].blocksPerRow) * component[i].blockRows * JPEG_STORED_BLOCK * sizeof(int16_t);
            const bool inOne = whole <= budgetFixedBytes - bytesAllocated;
            for (int i = 0; i < componentCount; ++i) {
                jpeg_component& c = component[i];
                c.bandRows = inOne ? c.blockRows : (c.blockRows + JPEG_MAX_BANDS - 1) / JPEG_MAX_BANDS;
            }
            if (haveScan)
                ok = decodeBufferedScans();
        } else {
            ok = checkScan();
            resetEntropyState();
            restartsLeft = restartInterval;
            nextRestart = 0;
        }
    }
    if (!ok || errorCode) {
        freeAll();
        return -1;
    }
    linesLeft = imageHeight;
    mcuRowLinesLeft = 0;
    mcuRow = 0;
    secondLineReady = false;
    ready = true;
    return 0;
}

// --- buffered coefficients -------------------------------------------------

// A block row for a scan to decode into; its band is allocated on first use.
int16_t* jpeg_decoder::scanBlockRow(jpeg_component& c, int blockRow)
{
    const int band = blockRow / c.bandRows;
    const size_t rowValues = static_cast<size_t>(c.blocksPerRow) * JPEG_STORED_BLOCK;
    if (!c.bands[band]) {
        const int rows = std::min(c.bandRows, c.blockRows - band * c.bandRows);
        c.bands[band] = static_cast<int16_t*>(allocate(rowValues * rows * sizeof(int16_t)));
        if (!c.bands[band])
            return nullptr;
    }
    return c.bands[band] + (blockRow - band * c.bandRows) * rowValues;
}

// Counts blocks decoded in buffered scans against the budget.
bool jpeg_decoder::chargeVisits(int blocks)
{
    blockVisits += blocks;
    if (blockVisits > JPEG_BUDGET_VISITS_PER_INPUT_BYTE * bytesRead + budgetFixedVisits)
        return fail(JPEG_DECODE_ERROR);
    return true;
}

// --- restarts --------------------------------------------------------------

bool jpeg_decoder::restartIfDue()
{
    if (restartInterval == 0)
        return true;
    if (restartsLeft == 0 && !processRestart())
        return false;
    --restartsLeft;
    return true;
}

bool jpeg_decoder::processRestart()
{
    resetEntropyState();
    restartsLeft = restartInterval;
    if (dataExhausted)
        return true;  // the data ended earlier: the rest decodes from zero bits
    int marker;
    if (markerReached) {
        markerReached = false;
        marker = nextByte();
    } else {
        uint8_t byte = 0;
        for (int searched = 0; searched < 1536 && byte != 0xFF; ++searched)
            byte = nextByte();
        if (byte != 0xFF)
            return fail(JPEG_BAD_RESTART_MARKER);
        do
            byte = nextByte();
        while (byte == 0xFF);
        marker = byte;
    }
    if (marker == 0xD9) {
        // Truncated data: the end-of-image padding stands where the marker
        // was due. Like any truncated file, the rest of it reads as zeros.
        dataExhausted = true;
        markerReached = true;
        --inputPos;
        return true;
    }
    if (marker != 0xD0 + nextRestart)
        return fail(JPEG_BAD_RESTART_MARKER);
    nextRestart = (nextRestart + 1) & 7;
    return true;
}

// --- sequential MCU rows ---------------------------------------------------

namespace {

using jpeg_bits::Reader;

// A block back to zeros: only its DC coefficient when it had no others.
inline void clearBlock(int16_t* block, bool dcOnly)
{
    if (dcOnly)
        block[0] = 0;
    else
        jpeg_clear_block(block);
}

// Blocks for the vector accurate transform, paired as they come (of any
// component) so that two go through the 256-bit registers at once.
struct PairQueue {
    int16_t* coefficients = nullptr;
    const uint16_t* quant = nullptr;
    uint8_t* out = nullptr;
    int stride = 0;

    // True when the block was taken into the queue (and must stay untouched).
    bool add(jpeg_accurate_idct_pair_function pair, int16_t* block, const uint16_t* q, uint8_t* o, int s)
    {
        if (!coefficients) {
            coefficients = block;
            quant = q;
            out = o;
            stride = s;
            return true;
        }
        pair(coefficients, quant, out, stride, block, q, o, s);
        coefficients = nullptr;
        return false;
    }
    void flush(jpeg_accurate_idct_function single, bool clear)
    {
        if (!coefficients)
            return;
        single(coefficients, quant, out, stride);
        if (clear)
            jpeg_clear_block(coefficients);
        coefficients = nullptr;
    }
};

}  // namespace

void jpeg_decoder::transformBlock(const jpeg_component& c, const int16_t* block, bool dcOnlyBlock, uint8_t* out)
{
    if (c.fastIdct) {
        if (dcOnlyBlock)
            jpeg_idct_fast_dc_only(block[0], c.quant[0], c.fastQuantBits, out, c.planeStride);
        else
            fastTransform(block, c.quant, c.fastQuantBits, out, c.planeStride);
    } else if (dcOnlyBlock) {
        jpeg_idct_dc_only(block[0], c.quant[0], out, c.planeStride);
    } else if (c.vectorAccurate) {
        accurateTransform(block, c.quant, out, c.planeStride);
    } else {
        jpeg_idct_accurate(block, c.quant, out, c.planeStride);
    }
}

bool jpeg_decoder::decodeMcuRow()
{
    // Two blocks to decode into, so that one can wait in the queue for its pair,
    // and two for the fast path's pairs.
    alignas(32) int16_t blocks[2][64] = {};
    alignas(32) int16_t fastBlocks[2][64] = {};
    int nextBlock = 0;
    PairQueue queue;
    Reader r(*this);
    for (int mcuX = 0; mcuX < mcusPerRow; ++mcuX) {
        if (restartInterval) {
            r.save();
            const bool restarted = restartIfDue();
            r.load();
            if (!restarted)
                return false;
        }
        for (int i = 0; i < scanCount; ++i) {
            jpeg_component& c = component[scanComponent[i]];
            const jpeg_huffman_table& dc = huffman[c.dcTable];
            const jpeg_huffman_table& ac = huffman[c.acTable];
            for (int v = 0; v < c.v; ++v) {
                uint8_t* out = c.plane + v * 8 * c.planeStride + mcuX * c.h * 8;
                // Two blocks side by side go through the paired transform when there is one.
                if (c.h == 2 && c.fastIdct && fastPairTransform) {
                    int16_t* a = fastBlocks[0];
                    int16_t* b = fastBlocks[1];
                    const int acA = jpeg_bits::decodeBlock(r, c, dc, ac, a);
                    const int acB = acA < 0 ? -1 : jpeg_bits::decodeBlock(r, c, dc, ac, b);
                    if (acB < 0) {
                        r.save();
                        return fail(JPEG_DECODE_ERROR);
                    }
                    if (acA == 0 || acB == 0) {
                        transformBlock(c, a, acA == 0, out);
                        transformBlock(c, b, acB == 0, out + 8);
                    } else {
                        fastPairTransform(a, b, c.quant, c.fastQuantBits, out, out + 8, c.planeStride);
                    }
                    clearBlock(a, acA == 0);
                    clearBlock(b, acB == 0);
                    continue;
                }
                for (int h = 0; h < c.h; ++h) {
                    int16_t* block = blocks[nextBlock];
                    const int acCoefficients = jpeg_bits::decodeBlock(r, c, dc, ac, block);
                    if (acCoefficients < 0) {
                        r.save();
                        return fail(JPEG_DECODE_ERROR);
                    }
                    if (acCoefficients == 0 || !c.vectorAccurate || c.fastIdct) {
                        transformBlock(c, block, acCoefficients == 0, out + h * 8);
                        clearBlock(block, acCoefficients == 0);
                    } else if (queue.add(accuratePair, block, c.quant, out + h * 8, c.planeStride)) {
                        nextBlock ^= 1;
                    }
                }
            }
        }
    }
    r.save();
    queue.flush(accurateTransform, true);
    return errorCode == 0;
}

bool jpeg_decoder::outputMcuRowFromCoefficients()
{
    PairQueue queue;
    for (int i = 0; i < componentCount; ++i) {
        jpeg_component& c = component[i];
        for (int v = 0; v < c.v; ++v) {
            const int blockRow = mcuRow * c.v + v;
            uint8_t* out = c.plane + v * 8 * c.planeStride;
            int16_t* band = c.bands[blockRow / c.bandRows];
            if (!band) {
                // No scan reached these blocks: all their coefficients are zero.
                std::memset(out, 128, static_cast<size_t>(c.planeStride) * 8);
                continue;
            }
            int16_t* row = band + static_cast<size_t>(blockRow % c.bandRows) * c.blocksPerRow * JPEG_STORED_BLOCK;
            for (int bx = 0; bx < c.blocksPerRow; ++bx) {
                int16_t* block = row + bx * JPEG_STORED_BLOCK;
                const bool flat = dcOnly(block);
                if (flat || !c.vectorAccurate || c.fastIdct)
                    transformBlock(c, block, flat, out + bx * 8);
                else
                    queue.add(accuratePairKeeping, block, c.quant, out + bx * 8, c.planeStride);
            }
        }
    }
    queue.flush(accurateTransform, false);
    return true;
}

// --- lines -----------------------------------------------------------------

bool jpeg_decoder::startMcuRow()
{
    const bool ok = buffered ? outputMcuRowFromCoefficients() : decodeMcuRow();
    if (!ok || errorCode) {
        fail(JPEG_DECODE_ERROR);
        freeAll();
        return false;
    }
    ++mcuRow;
    mcuRowLinesLeft = mcuHeight;
    lineInMcuRow = 0;
    secondLineReady = false;
    return true;
}

// Line `row` of the current MCU row into out, with out2 also the line after it.
void jpeg_decoder::convertLines(int row, uint8_t* out, uint8_t* out2)
{
    const jpeg_component& y = component[0];
    const int chromaRow = maxV == 2 ? row >> 1 : row;
    const uint8_t* first = y.plane + row * y.planeStride;
    const uint8_t* cb = component[1].plane + chromaRow * component[1].planeStride;
    const uint8_t* cr = component[2].plane + chromaRow * component[2].planeStride;
    const int shift = maxH == 2 ? 1 : 0;
    if (rgbOutput) {
        jpeg_rgb_to_rgbx(first, cb, cr, imageWidth, shift, out);
        if (out2)
            jpeg_rgb_to_rgbx(first + y.planeStride, cb, cr, imageWidth, shift, out2);
        return;
    }
    colorConvert(first, cb, cr, imageWidth, shift, out, out2 ? first + y.planeStride : nullptr, out2);
}

void jpeg_decoder::advanceLines(int count)
{
    lineInMcuRow += count;
    mcuRowLinesLeft -= count;
    linesLeft -= count;
}

int32_t jpeg_decoder::decode_line(const uint8_t** scanLine, uint32_t* lineLength)
{
    if (!ready || errorCode)
        return -1;
    if (linesLeft == 0)
        return 1;
    if (mcuRowLinesLeft == 0 && !startMcuRow())
        return JPEG_DECODE_ERROR;
    if (componentCount == 1) {
        *scanLine = component[0].plane + lineInMcuRow * component[0].planeStride;
    } else if (secondLineReady) {
        *scanLine = secondLine;
        secondLineReady = false;
    } else {
        // Two lines that share their chroma row are converted together.
        secondLineReady = maxV == 2 && (lineInMcuRow & 1) == 0 && linesLeft >= 2;
        convertLines(lineInMcuRow, lineBuffer, secondLineReady ? secondLine : nullptr);
        *scanLine = lineBuffer;
    }
    *lineLength = static_cast<uint32_t>(bytes_per_scan_line());
    advanceLines(1);
    return 0;
}

int32_t jpeg_decoder::decode_picture(uint8_t* pixels, size_t stride)
{
    if (!ready || errorCode)
        return -1;
    const size_t lineBytes = static_cast<size_t>(bytes_per_scan_line());
    while (linesLeft > 0) {
        if (mcuRowLinesLeft == 0 && !startMcuRow())
            return JPEG_DECODE_ERROR;
        uint8_t* out = pixels + static_cast<size_t>(imageHeight - linesLeft) * stride;
        if (componentCount == 1) {
            std::memcpy(out, component[0].plane + lineInMcuRow * component[0].planeStride, lineBytes);
            advanceLines(1);
        } else if (secondLineReady) {
            std::memcpy(out, secondLine, lineBytes);  // made by the last decode_line
            secondLineReady = false;
            advanceLines(1);
        } else {
            const bool two = maxV == 2 && (lineInMcuRow & 1) == 0 && linesLeft >= 2;
            convertLines(lineInMcuRow, out, two ? out + stride : nullptr);
            advanceLines(two ? 2 : 1);
        }
    }
    return 0;
}
