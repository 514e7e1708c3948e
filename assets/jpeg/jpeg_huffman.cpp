// jpeg_huffman.cpp - expanding a Huffman table for decoding.
#include "assets/jpeg/jpeg_huffman.h"

#include <cstring>

namespace {

// count copies of entry from first on (count a power of two): short runs by
// hand, long ones by doubling copies.
void fillEntries(uint16_t* first, int count, uint16_t entry)
{
    first[0] = entry;
    int filled = 1;
    for (; filled < count && filled < 8; ++filled)
        first[filled] = entry;
    for (; filled < count; filled *= 2)
        std::memcpy(first + filled, first, filled * sizeof(uint16_t));
}

// The quick entries of one code: each of its magnitudes fills the indices
// whose leading bits are the code and the magnitude.
void fillQuick(jpeg_huffman_table& table, bool dc, int code, int length, int symbol)
{
    constexpr int bits = JPEG_HUFFMAN_QUICK_BITS;
    const int run = dc ? 0 : symbol >> 4;
    const int size = dc ? symbol : symbol & 15;
    uint16_t* first = table.quick + (code << (bits - length));
    if (size == 0) {
        if (run == 0 || run == 15)  // DC difference 0, end of block, 16 zeros
            fillEntries(first, 1 << (bits - length), static_cast<uint16_t>((run << 4) | length));
        return;
    }
    if (length + size > bits)
        return;
    const int spread = bits - length - size;
    for (int magnitude = 0; magnitude < (1 << size); ++magnitude) {
        const int value = magnitude < (1 << (size - 1)) ? magnitude - (1 << size) + 1 : magnitude;
        uint16_t entry;
        if (dc)
            entry = static_cast<uint16_t>(value * 16 + length + size);
        else if (value >= -127 && value <= 127)
            entry = static_cast<uint16_t>(value * 256 + (run << 4) + length + size);
        else
            continue;
        fillEntries(first + (magnitude << spread), 1 << spread, entry);
    }
}

}  // namespace

void jpeg_build_huffman_table(jpeg_huffman_table& table, bool dc)
{
    std::memset(table.lookup, 0, sizeof table.lookup);
    std::memset(table.quick, 0, sizeof table.quick);
    int code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = table.counts[length];
        table.valueOffset[length] = index - code;
        table.maxCode[length] = -1;
        for (int i = 0; i < count && index < table.symbolCount; ++i) {
            if (code >= (1 << length))
                break;  // more codes than this length can hold
            if (length <= JPEG_HUFFMAN_LOOKUP_BITS) {
                const int shift = JPEG_HUFFMAN_LOOKUP_BITS - length;
                fillEntries(table.lookup + (code << shift), 1 << shift,
                            static_cast<uint16_t>((length << 8) | table.symbols[index]));
            }
            if (length <= JPEG_HUFFMAN_QUICK_BITS)
                fillQuick(table, dc, code, length, table.symbols[index]);
            table.maxCode[length] = code;
            ++code;
            ++index;
        }
        code <<= 1;
    }
    table.maxCode[17] = 0x7FFFFFFF;
}
