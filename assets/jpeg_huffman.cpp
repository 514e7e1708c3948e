// jpeg_huffman.cpp - expanding a Huffman table for decoding.
#include "assets/jpeg_huffman.h"

#include <cstring>

void jpeg_build_huffman_table(jpeg_huffman_table& table, bool dc)
{
    std::memset(table.lookup, 0, sizeof table.lookup);
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
                const uint16_t entry = static_cast<uint16_t>((length << 8) | table.symbols[index]);
                for (int fill = 0; fill < (1 << shift); ++fill)
                    table.lookup[(code << shift) | fill] = entry;
            }
            table.maxCode[length] = code;
            ++code;
            ++index;
        }
        code <<= 1;
    }
    table.maxCode[17] = 0x7FFFFFFF;

    constexpr int bits = JPEG_HUFFMAN_QUICK_BITS;
    for (int i = 0; i < (1 << bits); ++i) {
        table.quick[i] = 0;
        int length = 0;
        int symbol = 0;
        if (const uint16_t entry = table.lookup[i >> (bits - JPEG_HUFFMAN_LOOKUP_BITS)]) {
            length = entry >> 8;
            symbol = entry & 0xFF;
        } else {
            for (int l = JPEG_HUFFMAN_LOOKUP_BITS + 1; l <= bits && !length; ++l) {
                const int code = i >> (bits - l);
                const int index = table.valueOffset[l] + code;
                if (code <= table.maxCode[l] && index >= 0 && index < table.symbolCount) {
                    length = l;
                    symbol = table.symbols[index];
                }
            }
            if (!length)
                continue;
        }
        const int run = dc ? 0 : symbol >> 4;
        const int size = dc ? symbol : symbol & 15;
        if (size == 0) {
            if (run == 0 || run == 15)  // DC difference 0, end of block, 16 zeros
                table.quick[i] = static_cast<uint16_t>((run << 4) | length);
            continue;
        }
        if (length + size > bits)
            continue;
        const int magnitude = (i >> (bits - length - size)) & ((1 << size) - 1);
        const int value = magnitude < (1 << (size - 1)) ? magnitude - (1 << size) + 1 : magnitude;
        if (dc)
            table.quick[i] = static_cast<uint16_t>(value * 16 + length + size);
        else if (value >= -127 && value <= 127)
            table.quick[i] = static_cast<uint16_t>(value * 256 + (run << 4) + length + size);
    }
}
