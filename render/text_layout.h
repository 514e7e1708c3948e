// text_layout.h - where the letters of a text go: formatting into the fixed
// text buffer, the centring of drawText, and the per-letter walk and turn of
// drawShadedText. Plain arithmetic, no GL.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "render/outline_font.h"

constexpr int32_t TEXT_BUFFER_SIZE = 256;       // at most 255 characters and the terminator
constexpr double LETTER_PULL = -0.01;           // moved after every letter: a slightly tighter text
constexpr double CENTRING_ALLOWANCE = 0.06;     // per letter, halved, added to the centring shift
constexpr double SHADED_TEXT_START = -10.0;     // first letter's offset in drawShadedText
constexpr double SHADED_TEXT_SPACING = 0.8999999999999999;  // share of the previous advance
constexpr double SHADED_TEXT_SCALE = 15.0;

// printf into the buffer; always terminated, never overrun (longer texts are
// cut at 255 characters, a formatting error leaves it empty).
void formatText(char (&buffer)[TEXT_BUFFER_SIZE], const char* format, va_list args);

// Codes above 122 (bytes from 128 on too) have no glyph.
inline bool hasGlyph(char c) { return static_cast<unsigned char>(c) < FONT_GLYPH_COUNT; }

// Cell advance of the character; 0 for a character without a glyph (its
// metrics are not read).
float glyphAdvance(const GlyphMetrics metrics[], char c);

// drawText's shift before the first letter: -S/2 + n * 0.06 / 2, S the sum
// of the advances and n the length.
double centringShift(const GlyphMetrics metrics[], const char* text);

// drawShadedText's offset of every letter: -10 for the first, then each
// adds 0.9 times the previous letter's advance. Returns the letter count.
int32_t shadedLetterOffsets(const GlyphMetrics metrics[], const char* text, double offsets[TEXT_BUFFER_SIZE]);

// Tilt of letter i in degrees: 0 while time < 0.1; otherwise one full turn
// in the first half of every 4 units of time, each letter 0.3 behind the last.
double shadedLetterAngle(double time, int32_t index);
