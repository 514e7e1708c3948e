// jpeg_bits.h - the entropy-coded bit stream of a JPEG scan.
//
// Bits are kept in a 64-bit buffer, next bit at the top. Stuffed 0xFF 0x00
// pairs are read as 0xFF; at a marker the reader stops consuming bytes and
// feeds zero bits, so a damaged or truncated scan ends in zeros instead of
// running into the next segment. Used by the sequential and progressive
// decoders only.
//
// The scan loops work on a jpeg_bits::Reader, a copy of the decoder's bit
// state held in local variables (registers) for the length of a loop; it is
// saved back before anything else reads input (restart markers, the next
// segment) and loaded again afterwards. Its address is never taken (the slow
// paths take and return it by value), so it can stay in registers.
#pragma once

#include <cstring>

#include "assets/jpeg/jpeg_decoder.h"
#include "assets/jpeg/jpeg_idct.h"

inline uint8_t jpeg_decoder::nextByte()
{
    if (inputPos == inputEnd)
        refillInput();
    return *inputPos++;
}

namespace jpeg_bits {

struct Reader {
    jpeg_decoder* d;
    uint64_t buffer;
    int count;
    const uint8_t* pos;
    const uint8_t* end;  // where whole bytes may be taken: pos once a marker is reached

    explicit Reader(jpeg_decoder& decoder) : d(&decoder) { load(); }

    void load()
    {
        buffer = d->bitBuffer;
        count = d->bitCount;
        pos = d->inputPos;
        end = d->markerReached ? pos : d->inputEnd;
    }
    void save() const
    {
        d->bitBuffer = buffer;
        d->bitCount = count;
        d->inputPos = pos;
    }
};

// Byte by byte, through the decoder's input (refills, stuffing, markers).
__attribute__((noinline)) inline Reader fillSlowly(Reader r)
{
    r.save();
    jpeg_decoder& d = *r.d;
    while (d.bitCount <= 56) {
        uint32_t byte = 0;
        if (!d.markerReached) {
            byte = d.nextByte();
            if (byte == 0xFF) {
                uint8_t next = d.nextByte();
                while (next == 0xFF)
                    next = d.nextByte();  // fill bytes before a marker
                if (next == 0) {
                    byte = 0xFF;
                } else {
                    d.markerReached = true;  // the marker code is the byte just read
                    --d.inputPos;            // left in place for whoever reads markers
                    byte = 0;
                }
            }
        }
        d.bitBuffer |= static_cast<uint64_t>(byte) << (56 - d.bitCount);
        d.bitCount += 8;
    }
    r.load();
    return r;
}

// Tops the bit buffer up to at least 57 bits.
inline void fill(Reader& r)
{
    // Fast case: 8 plain bytes in the buffer and none of them 0xFF.
    if (r.end - r.pos >= 8) {
        uint64_t raw;
        std::memcpy(&raw, r.pos, 8);
        // A byte is 0xFF exactly when its complement is zero.
        const uint64_t inv = ~raw;
        if (((inv - 0x0101010101010101ull) & ~inv & 0x8080808080808080ull) == 0) {
            const int take = (63 - r.count) >> 3;  // whole bytes that fit
            const uint64_t bytes = __builtin_bswap64(raw) >> (64 - take * 8);
            r.buffer |= bytes << (64 - take * 8 - r.count);
            r.count += take * 8;
            r.pos += take;
            return;
        }
    }
    r = fillSlowly(r);
}

inline uint32_t peek16(Reader& r)
{
    if (r.count < 16)
        fill(r);
    return static_cast<uint32_t>(r.buffer >> 48);
}

inline void skip(Reader& r, int n)
{
    r.buffer <<= n;
    r.count -= n;
}

// n bits (0 ... 16) as an unsigned number.
inline uint32_t get(Reader& r, int n)
{
    if (n == 0)
        return 0;
    if (r.count < n)
        fill(r);
    const uint32_t value = static_cast<uint32_t>(r.buffer >> (64 - n));
    skip(r, n);
    return value;
}

inline uint32_t getBit(Reader& r)
{
    if (r.count < 1)
        fill(r);
    const uint32_t bit = static_cast<uint32_t>(r.buffer >> 63);
    skip(r, 1);
    return bit;
}

// The signed value of an n-bit magnitude category (T.81 F.2.2.1 EXTEND).
inline int extend(uint32_t value, int n)
{
    return value < (1u << (n - 1)) ? static_cast<int>(value) - (1 << n) + 1 : static_cast<int>(value);
}

inline int receiveExtend(Reader& r, int n)
{
    return n == 0 ? 0 : extend(get(r, n), n);
}

// Codes longer than the 8-bit lookup, through the canonical limits:
// (code length << 8) | symbol, as the lookup's entries are.
__attribute__((noinline)) inline int decodeLongSymbol(const jpeg_huffman_table& t, uint32_t bits)
{
    for (int length = JPEG_HUFFMAN_LOOKUP_BITS + 1; length <= 16; ++length) {
        const int32_t code = static_cast<int32_t>(bits >> (16 - length));
        if (code <= t.maxCode[length]) {
            const int32_t index = t.valueOffset[length] + code;
            return (length << 8) | ((index >= 0 && index < t.symbolCount) ? t.symbols[index] : 0);
        }
    }
    return 16 << 8;  // no such code: corrupt data, read as a zero symbol
}

inline int decodeSymbol(Reader& r, const jpeg_huffman_table& t)
{
    const uint32_t bits = peek16(r);
    uint32_t entry = t.lookup[bits >> (16 - JPEG_HUFFMAN_LOOKUP_BITS)];
    if (!entry)
        entry = static_cast<uint32_t>(decodeLongSymbol(t, bits));
    skip(r, static_cast<int>(entry >> 8));
    return static_cast<int>(entry & 0xFF);
}

// One sequential block's coefficients (quantized, natural order) into a
// zeroed block: 0 when only its DC coefficient can be non-zero (the first AC
// symbol ended the block), 1 when AC coefficients were written, -1 for
// corrupt data. The 11-bit lookup resolves most codes with their magnitude bits.
inline __attribute__((always_inline)) int decodeBlock(Reader& r, jpeg_component& c, const jpeg_huffman_table& dc,
                                                      const jpeg_huffman_table& ac, int16_t* block)
{
    const int quickDc = static_cast<int16_t>(dc.quick[peek16(r) >> (16 - JPEG_HUFFMAN_QUICK_BITS)]);
    int difference;
    if (quickDc) {
        skip(r, quickDc & 15);
        difference = quickDc >> 4;
    } else {
        const int dcSize = decodeSymbol(r, dc);
        if (dcSize > 16)
            return -1;
        difference = receiveExtend(r, dcSize);
    }
    c.dcPrediction = static_cast<int16_t>(c.dcPrediction + difference);
    block[0] = static_cast<int16_t>(c.dcPrediction);

    int k = 1;
    for (; k < 64; ++k) {
        const uint32_t quick = ac.quick[peek16(r) >> (16 - JPEG_HUFFMAN_QUICK_BITS)];
        if (quick) {
            skip(r, quick & 15);
            k += (quick >> 4) & 15;
            const int value = static_cast<int16_t>(quick) >> 8;
            if (value == 0) {
                if ((quick & 0xF0) == 0)
                    break;  // end of block
                continue;   // 15 zeros skipped here, the 16th by the loop
            }
            if (k > 63)
                return -1;
            block[jpeg_zigzag_to_natural[k]] = static_cast<int16_t>(value);
            continue;
        }
        const int symbol = decodeSymbol(r, ac);
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (size) {
            k += run;
            if (k > 63)
                return -1;
            block[jpeg_zigzag_to_natural[k]] = static_cast<int16_t>(receiveExtend(r, size));
        } else if (run == 15) {
            k += 15;
        } else {
            break;
        }
    }
    return k == 1 ? 0 : 1;
}

}  // namespace jpeg_bits
