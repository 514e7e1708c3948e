// block_font.h - a 5 x 7 block alphabet for lettering the procedural pictures.
#pragma once

#include <string>
#include <vector>

// Coverage mask (0 or 1 per pixel, row-major, top row first) of `text` drawn
// in upper-case blocks of `cell` pixels, one blank column between letters.
struct LetterMask {
    int width = 0;
    int height = 0;
    std::vector<float> coverage;
};

LetterMask drawBlockText(const std::string& text, int cell);
