// jpeg_bits.h - the entropy-coded bit stream of a JPEG scan.
//
// Bits are kept in a 64-bit buffer, next bit at the top. Stuffed 0xFF 0x00
// pairs are read as 0xFF; at a marker the reader stops consuming bytes and
// feeds zero bits, so a damaged or truncated scan ends in zeros instead of
// running into the next segment. Used by the sequential and progressive
// decoders only.
#pragma once

#include <cstring>

#include "assets/jpeg_decoder.h"

inline uint8_t jpeg_decoder::nextByte()
{
    if (inputPos == inputEnd)
        refillInput();
    return *inputPos++;
}

namespace jpeg_bits {

// Tops the bit buffer up to at least 57 bits.
inline void fill(jpeg_decoder& d)
{
    if (d.bitCount > 56)
        return;
    // Fast case: 8 plain bytes in the buffer and none of them 0xFF.
    if (!d.markerReached && d.inputEnd - d.inputPos >= 8) {
        uint64_t raw;
        std::memcpy(&raw, d.inputPos, 8);
        // A byte is 0xFF exactly when its complement is zero.
        const uint64_t inv = ~raw;
        const bool hasFF = ((inv - 0x0101010101010101ull) & ~inv & 0x8080808080808080ull) != 0;
        if (!hasFF) {
            const int take = (63 - d.bitCount) >> 3;  // whole bytes that fit
            const uint64_t bytes = __builtin_bswap64(raw) >> (64 - take * 8);
            d.bitBuffer |= bytes << (64 - take * 8 - d.bitCount);
            d.bitCount += take * 8;
            d.inputPos += take;
            return;
        }
    }
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
}

inline uint32_t peek16(jpeg_decoder& d)
{
    if (d.bitCount < 16)
        fill(d);
    return static_cast<uint32_t>(d.bitBuffer >> 48);
}

inline void skip(jpeg_decoder& d, int n)
{
    d.bitBuffer <<= n;
    d.bitCount -= n;
}

// n bits (0 ... 16) as an unsigned number.
inline uint32_t get(jpeg_decoder& d, int n)
{
    if (n == 0)
        return 0;
    if (d.bitCount < n)
        fill(d);
    const uint32_t value = static_cast<uint32_t>(d.bitBuffer >> (64 - n));
    skip(d, n);
    return value;
}

inline uint32_t getBit(jpeg_decoder& d) { return get(d, 1); }

// The signed value of an n-bit magnitude category (T.81 F.2.2.1 EXTEND).
inline int extend(uint32_t value, int n)
{
    return value < (1u << (n - 1)) ? static_cast<int>(value) - (1 << n) + 1 : static_cast<int>(value);
}

inline int receiveExtend(jpeg_decoder& d, int n)
{
    return n == 0 ? 0 : extend(get(d, n), n);
}

inline int decodeSymbol(jpeg_decoder& d, const jpeg_huffman_table& t)
{
    const uint32_t bits = peek16(d);
    const uint16_t entry = t.lookup[bits >> (16 - JPEG_HUFFMAN_LOOKUP_BITS)];
    if (entry) {
        skip(d, entry >> 8);
        return entry & 0xFF;
    }
    for (int length = JPEG_HUFFMAN_LOOKUP_BITS + 1; length <= 16; ++length) {
        const int32_t code = static_cast<int32_t>(bits >> (16 - length));
        if (code <= t.maxCode[length]) {
            skip(d, length);
            const int32_t index = t.valueOffset[length] + code;
            return (index >= 0 && index < t.symbolCount) ? t.symbols[index] : 0;
        }
    }
    skip(d, 16);  // no such code: corrupt data, read as a zero symbol
    return 0;
}

}  // namespace jpeg_bits
