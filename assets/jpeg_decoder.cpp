// jpeg_decoder.cpp - the JPEG decoder's life cycle: streams, memory, input,
// frame set-up, sequential MCU rows and the line output.
#include "assets/jpeg_decoder.h"

#include <cstdlib>
#include <cstring>

#include "assets/jpeg_bits.h"
#include "assets/jpeg_color.h"
#include "assets/jpeg_idct.h"

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
    file = std::fopen(fileName, "rb");
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
    void* block = std::calloc(1, bytes ? bytes : 1);
    if (!block) {
        fail(JPEG_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    allocations[allocationCount++] = block;
    return block;
}

void jpeg_decoder::freeAll()
{
    for (int i = 0; i < allocationCount; ++i)
        std::free(allocations[i]);
    allocationCount = 0;
    for (jpeg_component& c : component) {
        c.coefficients = nullptr;
        c.plane = nullptr;
    }
    lineBuffer = nullptr;
}

// --- input -----------------------------------------------------------------

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
    for (int i = 0; i < JPEG_INPUT_PADDING; i += 2) {
        input[filled + i] = 0xFF;
        input[filled + i + 1] = 0xD9;
    }
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
    lineBuffer = static_cast<uint8_t*>(allocate(static_cast<size_t>((imageWidth + 15) & ~15) * bytesPerPixel));
    return lineBuffer != nullptr;
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
            for (int i = 0; i < componentCount && ok; ++i) {
                jpeg_component& c = component[i];
                c.coefficients = static_cast<int16_t*>(
                    allocate(static_cast<size_t>(c.blocksPerRow) * c.blockRows * 64 * sizeof(int16_t)));
                ok = c.coefficients != nullptr;
            }
            if (ok && haveScan)
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
    ready = true;
    return 0;
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

// One block's coefficients (quantized, natural order). Returns the highest
// zig-zag index written, or -1 for corrupt data.
// Only positions up to the last coefficient can be non-zero.
inline void clearBlock(int16_t* block, int last)
{
    for (int k = 0; k <= last; ++k)
        block[jpeg_zigzag_to_natural[k]] = 0;
}

inline __attribute__((always_inline)) int decodeSequentialBlock(jpeg_decoder& d, jpeg_component& c, int16_t* block)
{
    using namespace jpeg_bits;
    const jpeg_huffman_table& dc = d.huffman[c.dcTable];
    const int32_t quickDc = dc.acLookup[peek16(d) >> (16 - JPEG_HUFFMAN_AC_LOOKUP_BITS)];
    int difference;
    if (quickDc && (quickDc & 0x2F0) == 0) {  // a plain size symbol (no run, no 16-zero flag)
        skip(d, quickDc & 15);
        difference = quickDc >> 16;
    } else {
        const int dcSize = decodeSymbol(d, dc);
        if (dcSize > 16)
            return -1;
        difference = receiveExtend(d, dcSize);
    }
    c.dcPrediction = static_cast<int16_t>(c.dcPrediction + difference);
    block[0] = static_cast<int16_t>(c.dcPrediction);

    const jpeg_huffman_table& ac = d.huffman[c.acTable];
    int last = 0;
    for (int k = 1; k < 64; ++k) {
        const int32_t quick = ac.acLookup[peek16(d) >> (16 - JPEG_HUFFMAN_AC_LOOKUP_BITS)];
        if (quick) {
            skip(d, quick & 15);
            k += (quick >> 4) & 15;
            if (quick & (JPEG_AC_END_OF_BLOCK | JPEG_AC_SIXTEEN_ZEROS)) {
                if (quick & JPEG_AC_END_OF_BLOCK)
                    break;
                continue;  // 15 zeros skipped here, the 16th by the loop
            }
            if (k > 63)
                return -1;
            block[jpeg_zigzag_to_natural[k]] = static_cast<int16_t>(quick >> 16);
            last = k;
            continue;
        }
        const int symbol = decodeSymbol(d, ac);
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (size) {
            k += run;
            if (k > 63)
                return -1;
            block[jpeg_zigzag_to_natural[k]] = static_cast<int16_t>(receiveExtend(d, size));
            last = k;
        } else if (run == 15) {
            k += 15;
        } else {
            break;
        }
    }
    return last;
}

}  // namespace

void jpeg_decoder::transformBlock(const jpeg_component& c, const int16_t* block, bool dcOnly, uint8_t* out)
{
    if (c.fastIdct) {
        if (dcOnly)
            jpeg_idct_fast_dc_only(block[0], c.quant[0], c.fastQuantBits, out, c.planeStride);
        else
            fastTransform(block, c.quant, c.fastQuantBits, out, c.planeStride);
    } else if (dcOnly) {
        jpeg_idct_dc_only(block[0], c.quant[0], out, c.planeStride);
    } else if (c.vectorAccurate) {
        accurateTransform(block, c.quant, out, c.planeStride);
    } else {
        jpeg_idct_accurate(block, c.quant, out, c.planeStride);
    }
}

bool jpeg_decoder::decodeMcuRow()
{
    alignas(16) int16_t blocks[2][64] = {};
    for (int mcuX = 0; mcuX < mcusPerRow; ++mcuX) {
        if (!restartIfDue())
            return false;
        for (int i = 0; i < scanCount; ++i) {
            jpeg_component& c = component[scanComponent[i]];
            for (int v = 0; v < c.v; ++v) {
                uint8_t* out = c.plane + v * 8 * c.planeStride + mcuX * c.h * 8;
                // Two blocks side by side go through the paired transform when there is one.
                if (c.h == 2 && c.fastIdct && fastPairTransform) {
                    const int lastA = decodeSequentialBlock(*this, c, blocks[0]);
                    const int lastB = lastA < 0 ? -1 : decodeSequentialBlock(*this, c, blocks[1]);
                    if (lastB < 0)
                        return fail(JPEG_DECODE_ERROR);
                    if (lastA == 0 || lastB == 0) {
                        transformBlock(c, blocks[0], lastA == 0, out);
                        transformBlock(c, blocks[1], lastB == 0, out + 8);
                    } else {
                        fastPairTransform(blocks[0], blocks[1], c.quant, c.fastQuantBits, out, out + 8, c.planeStride);
                    }
                    clearBlock(blocks[0], lastA);
                    clearBlock(blocks[1], lastB);
                    continue;
                }
                for (int h = 0; h < c.h; ++h) {
                    const int last = decodeSequentialBlock(*this, c, blocks[0]);
                    if (last < 0)
                        return fail(JPEG_DECODE_ERROR);
                    transformBlock(c, blocks[0], last == 0, out + h * 8);
                    clearBlock(blocks[0], last);
                }
            }
        }
        if (errorCode)
            return false;
    }
    return true;
}

bool jpeg_decoder::outputMcuRowFromCoefficients()
{
    for (int i = 0; i < componentCount; ++i) {
        jpeg_component& c = component[i];
        for (int v = 0; v < c.v; ++v) {
            const int16_t* row = c.coefficients + static_cast<size_t>(mcuRow * c.v + v) * c.blocksPerRow * 64;
            for (int bx = 0; bx < c.blocksPerRow; ++bx)
                transformBlock(c, row + bx * 64, false, c.plane + v * 8 * c.planeStride + bx * 8);
        }
    }
    return true;
}

// --- lines -----------------------------------------------------------------

void jpeg_decoder::convertLine(int row)
{
    const jpeg_component& y = component[0];
    const int chromaRow = maxV == 2 ? row >> 1 : row;
    colorConvert(y.plane + row * y.planeStride, component[1].plane + chromaRow * component[1].planeStride,
                     component[2].plane + chromaRow * component[2].planeStride, imageWidth, maxH == 2 ? 1 : 0,
                     lineBuffer);
}

int32_t jpeg_decoder::decode_line(const uint8_t** scanLine, uint32_t* lineLength)
{
    if (!ready || errorCode)
        return -1;
    if (linesLeft == 0)
        return 1;
    if (mcuRowLinesLeft == 0) {
        const bool ok = buffered ? outputMcuRowFromCoefficients() : decodeMcuRow();
        if (!ok || errorCode) {
            fail(JPEG_DECODE_ERROR);
            freeAll();
            return JPEG_DECODE_ERROR;
        }
        ++mcuRow;
        mcuRowLinesLeft = mcuHeight;
        lineInMcuRow = 0;
    }
    if (componentCount == 1) {
        *scanLine = component[0].plane + lineInMcuRow * component[0].planeStride;
    } else {
        convertLine(lineInMcuRow);
        *scanLine = lineBuffer;
    }
    *lineLength = static_cast<uint32_t>(bytes_per_scan_line());
    ++lineInMcuRow;
    --mcuRowLinesLeft;
    --linesLeft;
    return 0;
}
