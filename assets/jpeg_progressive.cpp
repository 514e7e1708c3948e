// jpeg_progressive.cpp - scans decoded into the whole picture's coefficients:
// progressive files (T.81 Annex G: DC first, DC refinement, AC first and AC
// refinement with end-of-band runs) and sequential files whose components
// come in separate scans.
#include "assets/jpeg_bits.h"
#include "assets/jpeg_decoder.h"
#include "assets/jpeg_idct.h"

namespace {

using namespace jpeg_bits;

// Each procedure decodes one block; false means corrupt data.
using BlockDecoder = bool (*)(jpeg_decoder& d, jpeg_component& c, int16_t* block);

bool decodeFullBlock(jpeg_decoder& d, jpeg_component& c, int16_t* block)
{
    const int dcSize = decodeSymbol(d, d.huffman[c.dcTable]);
    if (dcSize > 16)
        return false;
    c.dcPrediction = static_cast<int16_t>(c.dcPrediction + receiveExtend(d, dcSize));
    block[0] = static_cast<int16_t>(c.dcPrediction);
    const jpeg_huffman_table& ac = d.huffman[c.acTable];
    for (int k = 1; k < 64; ++k) {
        const int symbol = decodeSymbol(d, ac);
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (size) {
            k += run;
            if (k > 63)
                return false;
            block[jpeg_zigzag_to_natural[k]] = static_cast<int16_t>(receiveExtend(d, size));
        } else if (run == 15) {
            k += 15;
        } else {
            break;
        }
    }
    return true;
}

bool decodeDcFirst(jpeg_decoder& d, jpeg_component& c, int16_t* block)
{
    const int size = decodeSymbol(d, d.huffman[c.dcTable]);
    if (size > 16)
        return false;
    c.dcPrediction = static_cast<int16_t>(c.dcPrediction + receiveExtend(d, size));
    block[0] = static_cast<int16_t>(c.dcPrediction * (1 << d.approxLow));
    return true;
}

bool decodeDcRefine(jpeg_decoder& d, jpeg_component&, int16_t* block)
{
    if (getBit(d))
        block[0] = static_cast<int16_t>(block[0] | (1 << d.approxLow));
    return true;
}

bool decodeAcFirst(jpeg_decoder& d, jpeg_component& c, int16_t* block)
{
    if (d.endOfBandRun > 0) {
        --d.endOfBandRun;
        return true;
    }
    const jpeg_huffman_table& ac = d.huffman[c.acTable];
    for (int k = d.spectralStart; k <= d.spectralEnd; ++k) {
        const int symbol = decodeSymbol(d, ac);
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (size) {
            k += run;
            if (k > 63)
                return false;
            block[jpeg_zigzag_to_natural[k]] = static_cast<int16_t>(receiveExtend(d, size) * (1 << d.approxLow));
        } else if (run == 15) {
            k += 15;
        } else {
            // End of band: this block and (2^run - 1 + extra bits) more.
            d.endOfBandRun = (1 << run) - 1 + static_cast<int>(get(d, run));
            break;
        }
    }
    return true;
}

// Adds the next bit of precision to a coefficient already known to be non-zero.
inline void refineNonZero(jpeg_decoder& d, int16_t& coefficient, int p1)
{
    if (getBit(d) && (coefficient & p1) == 0)
        coefficient = static_cast<int16_t>(coefficient >= 0 ? coefficient + p1 : coefficient - p1);
}

bool decodeAcRefine(jpeg_decoder& d, jpeg_component& c, int16_t* block)
{
    const int p1 = 1 << d.approxLow;
    const jpeg_huffman_table& ac = d.huffman[c.acTable];
    int k = d.spectralStart;
    const int end = d.spectralEnd;

    if (d.endOfBandRun == 0) {
        for (; k <= end; ++k) {
            const int symbol = decodeSymbol(d, ac);
            int run = symbol >> 4;
            const int size = symbol & 15;
            int newValue = 0;
            if (size) {
                // A newly non-zero coefficient is always +-1 at this precision.
                newValue = getBit(d) ? p1 : -p1;
            } else if (run != 15) {
                d.endOfBandRun = (1 << run) + static_cast<int>(get(d, run));
                break;
            }
            // Skip `run` zero coefficients, refining the non-zero ones passed.
            for (; k <= end; ++k) {
                int16_t& coefficient = block[jpeg_zigzag_to_natural[k]];
                if (coefficient != 0) {
                    refineNonZero(d, coefficient, p1);
                } else {
                    if (run == 0)
                        break;
                    --run;
                }
            }
            if (newValue) {
                if (k > 63)
                    return false;
                block[jpeg_zigzag_to_natural[k]] = static_cast<int16_t>(newValue);
            }
        }
    }
    if (d.endOfBandRun > 0) {
        // Inside an end-of-band run only the non-zero coefficients get a bit.
        for (; k <= end; ++k) {
            int16_t& coefficient = block[jpeg_zigzag_to_natural[k]];
            if (coefficient != 0)
                refineNonZero(d, coefficient, p1);
        }
        --d.endOfBandRun;
    }
    return true;
}

}  // namespace

bool jpeg_decoder::decodeBufferedScans()
{
    for (;;) {
        if (!checkScan() || !decodeBufferedScan())
            return false;
        bool found = false;
        if (!nextScan(found))
            return false;
        if (!found)
            return true;
    }
}

bool jpeg_decoder::decodeBufferedScan()
{
    BlockDecoder decode = decodeFullBlock;
    if (progressive) {
        if (spectralStart == 0)
            decode = approxHigh == 0 ? decodeDcFirst : decodeDcRefine;
        else
            decode = approxHigh == 0 ? decodeAcFirst : decodeAcRefine;
    }
    resetEntropyState();
    restartsLeft = restartInterval;
    nextRestart = 0;

    if (scanCount == 1) {
        // One component: its blocks in raster order, one block per MCU.
        jpeg_component& c = component[scanComponent[0]];
        for (int by = 0; by < c.scanBlockRows; ++by) {
            int16_t* row = c.coefficients + static_cast<size_t>(by) * c.blocksPerRow * 64;
            for (int bx = 0; bx < c.scanBlocksPerRow; ++bx) {
                if (!restartIfDue())
                    return false;
                if (!decode(*this, c, row + bx * 64))
                    return fail(JPEG_DECODE_ERROR);
            }
            if (errorCode)
                return false;
        }
        return true;
    }
    for (int mcuY = 0; mcuY < mcusPerColumn; ++mcuY) {
        for (int mcuX = 0; mcuX < mcusPerRow; ++mcuX) {
            if (!restartIfDue())
                return false;
            for (int i = 0; i < scanCount; ++i) {
                jpeg_component& c = component[scanComponent[i]];
                for (int v = 0; v < c.v; ++v) {
                    int16_t* row = c.coefficients + static_cast<size_t>(mcuY * c.v + v) * c.blocksPerRow * 64;
                    for (int h = 0; h < c.h; ++h)
                        if (!decode(*this, c, row + (mcuX * c.h + h) * 64))
                            return fail(JPEG_DECODE_ERROR);
                }
            }
        }
        if (errorCode)
            return false;
    }
    return true;
}
