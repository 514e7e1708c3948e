// jpeg_progressive.cpp - scans decoded into the whole picture's coefficients:
// progressive files (T.81 Annex G: DC first, DC refinement, AC first and AC
// refinement with end-of-band runs) and sequential files whose components
// come in separate scans.
#include "assets/jpeg/jpeg_bits.h"
#include "assets/jpeg/jpeg_decoder.h"
#include "assets/jpeg/jpeg_idct.h"

namespace {

using namespace jpeg_bits;

// Each procedure decodes one block; false means corrupt data. They are
// templates of the scan loop, so that no call is made per block.
struct FullBlock {
    bool operator()(Reader& r, jpeg_decoder& d, jpeg_component& c, int16_t* block) const
    {
        return decodeBlock(r, c, d.huffman[c.dcTable], d.huffman[c.acTable], block) >= 0;
    }
};

struct DcFirst {
    bool operator()(Reader& r, jpeg_decoder& d, jpeg_component& c, int16_t* block) const
    {
        const jpeg_huffman_table& dc = d.huffman[c.dcTable];
        const int quick = static_cast<int16_t>(dc.quick[peek16(r) >> (16 - JPEG_HUFFMAN_QUICK_BITS)]);
        int difference;
        if (quick) {  // a difference with its magnitude bits
            skip(r, quick & 15);
            difference = quick >> 4;
        } else {
            const int size = decodeSymbol(r, dc);
            if (size > 16)
                return false;
            difference = receiveExtend(r, size);
        }
        c.dcPrediction = static_cast<int16_t>(c.dcPrediction + difference);
        block[0] = static_cast<int16_t>(c.dcPrediction * (1 << d.approxLow));
        return true;
    }
};

struct DcRefine {
    bool operator()(Reader& r, jpeg_decoder& d, jpeg_component&, int16_t* block) const
    {
        block[0] = static_cast<int16_t>(block[0] | (getBit(r) << d.approxLow));
        return true;
    }
};

// The mask of non-zero AC coefficients by zig-zag position stored after a block.
inline uint64_t& nonZeroMask(int16_t* block)
{
    return *reinterpret_cast<uint64_t*>(block + 64);
}

// Sets coefficient k (zig-zag) and its bit in the mask.
inline void setCoefficient(int16_t* block, uint64_t& mask, int k, int value)
{
    const int16_t stored = static_cast<int16_t>(value);
    block[jpeg_zigzag_to_natural[k]] = stored;
    const uint64_t bit = uint64_t(1) << k;
    mask = stored ? mask | bit : mask & ~bit;
}

struct AcFirst {
    bool operator()(Reader& r, jpeg_decoder& d, jpeg_component& c, int16_t* block) const
    {
        if (d.endOfBandRun > 0) {
            --d.endOfBandRun;
            return true;
        }
        const jpeg_huffman_table& ac = d.huffman[c.acTable];
        const int scale = 1 << d.approxLow;
        const int end = d.spectralEnd;
        uint64_t mask = nonZeroMask(block);
        bool ok = true;
        for (int k = d.spectralStart; k <= end; ++k) {
            const uint32_t quick = ac.quick[peek16(r) >> (16 - JPEG_HUFFMAN_QUICK_BITS)];
            if (quick) {
                skip(r, quick & 15);
                k += (quick >> 4) & 15;
                const int value = static_cast<int16_t>(quick) >> 8;
                if (value == 0) {
                    if ((quick & 0xF0) == 0)
                        break;  // an end-of-band run of this block alone
                    continue;
                }
                if (k > 63) {
                    ok = false;
                    break;
                }
                setCoefficient(block, mask, k, value * scale);
                continue;
            }
            const int symbol = decodeSymbol(r, ac);
            const int run = symbol >> 4;
            const int size = symbol & 15;
            if (size) {
                k += run;
                if (k > 63) {
                    ok = false;
                    break;
                }
                setCoefficient(block, mask, k, receiveExtend(r, size) * scale);
            } else if (run == 15) {
                k += 15;
            } else {
                // End of band: this block and (2^run - 1 + extra bits) more.
                d.endOfBandRun = (1 << run) - 1 + static_cast<int>(get(r, run));
                break;
            }
        }
        nonZeroMask(block) = mask;
        return ok;
    }
};

// Adds the next bit of precision to a coefficient already known to be
// non-zero (its magnitude grows, so it stays non-zero).
inline void refineNonZero(Reader& r, int16_t& coefficient, int p1)
{
    if (getBit(r) && (coefficient & p1) == 0)
        coefficient = static_cast<int16_t>(coefficient >= 0 ? coefficient + p1 : coefficient - p1);
}

// One refinement bit for each non-zero coefficient among the mask's bits, in order.
inline void refineAll(Reader& r, int16_t* block, uint64_t nonZero, int p1)
{
    while (nonZero) {
        refineNonZero(r, block[jpeg_zigzag_to_natural[__builtin_ctzll(nonZero)]], p1);
        nonZero &= nonZero - 1;
    }
}

// Zig-zag positions from..to (to at most 63) as a mask.
inline uint64_t positions(int from, int to)
{
    if (from > to)
        return 0;
    return (~uint64_t(0) >> (63 - to)) & (~uint64_t(0) << from);
}

struct AcRefine {
    bool operator()(Reader& r, jpeg_decoder& d, jpeg_component& c, int16_t* block) const
    {
        const int p1 = 1 << d.approxLow;
        const jpeg_huffman_table& ac = d.huffman[c.acTable];
        int k = d.spectralStart;
        const int end = d.spectralEnd;
        uint64_t mask = nonZeroMask(block);

        if (d.endOfBandRun == 0) {
            for (; k <= end; ++k) {
                const int symbol = decodeSymbol(r, ac);
                int run = symbol >> 4;
                const int size = symbol & 15;
                int newValue = 0;
                if (size) {
                    // A newly non-zero coefficient is always +-1 at this precision.
                    newValue = getBit(r) ? p1 : -p1;
                } else if (run != 15) {
                    d.endOfBandRun = (1 << run) + static_cast<int>(get(r, run));
                    break;
                }
                // Skip `run` zero coefficients, refining the non-zero ones
                // passed: the target is the zero after them, or past the end.
                uint64_t zeros = ~mask & positions(k, end);
                while (run-- > 0 && zeros)
                    zeros &= zeros - 1;
                const int target = zeros ? __builtin_ctzll(zeros) : end + 1;
                refineAll(r, block, mask & positions(k, target - 1), p1);
                k = target;
                if (newValue) {
                    if (k > 63)
                        return false;
                    block[jpeg_zigzag_to_natural[k]] = static_cast<int16_t>(newValue);
                    mask |= uint64_t(1) << k;
                }
            }
        }
        if (d.endOfBandRun > 0) {
            // Inside an end-of-band run only the non-zero coefficients get a bit.
            refineAll(r, block, mask & positions(k, end), p1);
            --d.endOfBandRun;
        }
        nonZeroMask(block) = mask;
        return true;
    }
};

// Restart markers are read through the decoder, outside the reader.
inline bool restartIfDue(Reader& r, jpeg_decoder& d)
{
    if (d.restartInterval == 0)
        return true;
    r.save();
    const bool ok = d.restartIfDue();
    r.load();
    return ok;
}

template <class Decode>
bool decodeScan(jpeg_decoder& d, Decode decode)
{
    Reader r(d);
    if (d.scanCount == 1) {
        // One component: its blocks in raster order, one block per MCU.
        jpeg_component& c = d.component[d.scanComponent[0]];
        for (int by = 0; by < c.scanBlockRows; ++by) {
            r.save();
            int16_t* row = d.chargeVisits(c.scanBlocksPerRow) ? d.scanBlockRow(c, by) : nullptr;
            if (!row)
                return false;
            for (int bx = 0; bx < c.scanBlocksPerRow; ++bx) {
                if (!restartIfDue(r, d))
                    return false;
                if (!decode(r, d, c, row + bx * JPEG_STORED_BLOCK)) {
                    r.save();
                    return d.fail(JPEG_DECODE_ERROR);
                }
            }
        }
        r.save();
        return d.errorCode == 0;
    }
    for (int mcuY = 0; mcuY < d.mcusPerColumn; ++mcuY) {
        int16_t* rows[JPEG_MAX_COMPONENTS][2] = {};
        r.save();
        for (int i = 0; i < d.scanCount; ++i) {
            jpeg_component& c = d.component[d.scanComponent[i]];
            if (!d.chargeVisits(d.mcusPerRow * c.h * c.v))
                return false;
            for (int v = 0; v < c.v; ++v)
                if (!(rows[i][v] = d.scanBlockRow(c, mcuY * c.v + v)))
                    return false;
        }
        for (int mcuX = 0; mcuX < d.mcusPerRow; ++mcuX) {
            if (!restartIfDue(r, d))
                return false;
            for (int i = 0; i < d.scanCount; ++i) {
                jpeg_component& c = d.component[d.scanComponent[i]];
                for (int v = 0; v < c.v; ++v) {
                    for (int h = 0; h < c.h; ++h) {
                        if (!decode(r, d, c, rows[i][v] + (mcuX * c.h + h) * JPEG_STORED_BLOCK)) {
                            r.save();
                            return d.fail(JPEG_DECODE_ERROR);
                        }
                    }
                }
            }
        }
    }
    r.save();
    return d.errorCode == 0;
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
    resetEntropyState();
    restartsLeft = restartInterval;
    nextRestart = 0;
    if (!progressive)
        return decodeScan(*this, FullBlock());
    if (spectralStart == 0)
        return approxHigh == 0 ? decodeScan(*this, DcFirst()) : decodeScan(*this, DcRefine());
    return approxHigh == 0 ? decodeScan(*this, AcFirst()) : decodeScan(*this, AcRefine());
}
