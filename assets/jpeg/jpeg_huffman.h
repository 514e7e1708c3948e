// jpeg_huffman.h - Huffman tables of a JPEG file, expanded for decoding.
//
// A table is kept as read (16 code counts and the symbols) and expanded into
// a lookup on the next 8 bits, which resolves every code of up to 8 bits in
// one step, plus the canonical limits per code length (T.81 Annex F.2.2.3)
// for the rare longer codes. A second lookup on 11 bits decodes the common
// short coefficients (AC) and differences (DC), magnitude included, in one
// step; its 16-bit entries keep the four tables of a colour scan in a quarter
// of the first-level cache.
#pragma once

#include <cstdint>

constexpr int JPEG_HUFFMAN_LOOKUP_BITS = 8;
constexpr int JPEG_HUFFMAN_QUICK_BITS = 11;

struct jpeg_huffman_table {
    bool defined = false;
    bool built = false;        // the lookups below are made from counts and symbols
    uint8_t counts[17] = {};   // counts[n]: codes of n bits (n = 1 ... 16)
    uint8_t symbols[256] = {};
    int symbolCount = 0;

    // (code length << 8) | symbol for codes of up to 8 bits; 0 = a longer code.
    uint16_t lookup[1 << JPEG_HUFFMAN_LOOKUP_BITS] = {};
    int32_t maxCode[18] = {};      // largest code of each length, -1 when none
    int32_t valueOffset[18] = {};  // symbols index minus the first code of each length

    // Symbols whose code and magnitude bits together fit in the next 11 bits,
    // fully decoded; 0 = not resolved here. AC tables: (value << 8) | (run << 4)
    // | bits used, for values of -127 ... 127; value 0 is the end of block (run
    // 0) or a run of 16 zeros (run 15). DC tables: (difference << 4) | bits used.
    uint16_t quick[1 << JPEG_HUFFMAN_QUICK_BITS] = {};
};

// Builds the lookups and the limits from counts and symbols, for a DC or an AC
// table. Code counts that overflow a length (not a prefix code) are cut off
// where they overflow.
void jpeg_build_huffman_table(jpeg_huffman_table& table, bool dc);
