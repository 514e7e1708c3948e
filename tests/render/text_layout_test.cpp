#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/text_layout.h"

namespace {

// Exactly the codes that have glyphs: reading past 122 would leave the array.
struct Metrics {
    GlyphMetrics glyphs[FONT_GLYPH_COUNT] = {};
    Metrics()
    {
        for (int32_t c = 0; c < FONT_GLYPH_COUNT; ++c)
            glyphs[c].cellIncX = 0.5f;
        glyphs['W'].cellIncX = 0.9f;
        glyphs['i'].cellIncX = 0.25f;
    }
};

void format(char (&buffer)[TEXT_BUFFER_SIZE], const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    formatText(buffer, fmt, args);
    va_end(args);
}

}  // namespace

TEST(TextLayout, FormattingIsCutAt255Characters)
{
    struct {
        char buffer[TEXT_BUFFER_SIZE];
        char guard[8];
    } block;
    std::memset(block.guard, 'G', sizeof block.guard);
    const std::string longText(1000, 'x');
    format(block.buffer, "%s%d", longText.c_str(), 42);
    EXPECT_EQ(std::strlen(block.buffer), 255u);
    EXPECT_EQ(std::string(block.guard, 8), "GGGGGGGG");

    format(block.buffer, "Score %d", 1250);
    EXPECT_STREQ(block.buffer, "Score 1250");
}

TEST(TextLayout, CodesAbove122HaveNoGlyphAndNoAdvance)
{
    const Metrics m;
    EXPECT_TRUE(hasGlyph('z'));
    EXPECT_FLOAT_EQ(glyphAdvance(m.glyphs, 'z'), 0.5f);
    EXPECT_FALSE(hasGlyph('{'));  // 123
    EXPECT_FALSE(hasGlyph('~'));
    EXPECT_FALSE(hasGlyph('\x80'));  // a negative char on this platform
    EXPECT_FALSE(hasGlyph('\xff'));
    EXPECT_EQ(glyphAdvance(m.glyphs, '{'), 0.0f);
    EXPECT_EQ(glyphAdvance(m.glyphs, '\xc8'), 0.0f);
}

TEST(TextLayout, CentringShiftHalvesTheAdvancesAndAddsTheAllowance)
{
    const Metrics m;
    EXPECT_DOUBLE_EQ(centringShift(m.glyphs, ""), 0.0);
    // S = 0.9 + 0.25, n = 2
    EXPECT_NEAR(centringShift(m.glyphs, "Wi"), -1.15 / 2 + 2 * 0.06 / 2, 1e-6);
    // Characters without glyphs add no advance but still count in n.
    EXPECT_NEAR(centringShift(m.glyphs, "W\xe9~"), -0.9 / 2 + 3 * 0.06 / 2, 1e-6);
}

TEST(TextLayout, LetterAngleRestsUntilTimeOneTenthThenWaves)
{
    for (int32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(shadedLetterAngle(0.0, i), 0.0);
        EXPECT_EQ(shadedLetterAngle(0.0999, i), 0.0);
        EXPECT_EQ(shadedLetterAngle(-3.0, i), 0.0);
    }
    EXPECT_NEAR(shadedLetterAngle(1.0, 0), 180.0, 1e-6);
    // Second half of every four units: rests turned fully round.
    EXPECT_EQ(shadedLetterAngle(2.5, 0), 360.0);
    EXPECT_NEAR(shadedLetterAngle(5.0, 0), 180.0, 1e-6);
    // Each letter is 0.3 units of time behind the one before.
    EXPECT_NEAR(shadedLetterAngle(1.3, 1), shadedLetterAngle(1.0, 0), 1e-6);
    EXPECT_NEAR(shadedLetterAngle(7.6, 3), shadedLetterAngle(6.7, 0), 1e-6);
    // Before its turn comes the letter is still at rest from the last turn.
    EXPECT_EQ(shadedLetterAngle(0.2, 1), 360.0);
}
