// jpeg_huffman.cpp - expanding a Huffman table for decoding.
#include "assets/jpeg_huffman.h"

#include <cstring>

void jpeg_build_huffman_table(jpeg_huffman_table& table)
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
}
