#include "block_font.h"

#include <cstring>

namespace {

struct Glyph {
    char letter;
    const char* rows[7];
};

// Only the letters the pictures use; others draw as blanks.
const Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".###."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
};

const Glyph* findGlyph(char c)
{
    for (const Glyph& g : kGlyphs)
        if (g.letter == c)
            return &g;
    return nullptr;
}

}  // namespace

LetterMask drawBlockText(const std::string& text, int cell)
{
    LetterMask mask;
    const int advance = 6 * cell;
    mask.width = static_cast<int>(text.size()) * advance - cell;
    mask.height = 7 * cell;
    mask.coverage.assign(static_cast<size_t>(mask.width) * mask.height, 0.0f);
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph* g = findGlyph(text[i]);
        if (!g)
            continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col) {
                if (g->rows[row][col] != '#')
                    continue;
                for (int y = 0; y < cell; ++y)
                    for (int x = 0; x < cell; ++x) {
                        const int px = static_cast<int>(i) * advance + col * cell + x;
                        const int py = row * cell + y;
                        mask.coverage[static_cast<size_t>(py) * mask.width + px] = 1.0f;
                    }
            }
    }
    return mask;
}
