// outline_font.h - the outline font: extruded glyphs of a system font, one
// display list per character code 0 ... 122, with their metrics.
//
// Glyphs are read with FreeType (the font found through fontconfig), their
// curves flattened into polygons and the polygons tessellated with GLU. Units
// follow the platform outline-font convention: the em square is 1.0, the
// glyph is extruded 0.1 deep along -z, and each list ends by moving the
// origin on by the glyph's cell advance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t FONT_LIST_COUNT = 256;   // display-list names reserved for the font
constexpr int32_t FONT_GLYPH_COUNT = 123;  // codes 0 ... 122 have glyphs, higher codes none
constexpr float GLYPH_DEPTH = 0.1f;        // extrusion along -z
// Largest distance of a flattened curve from the true curve, in ems: well
// below a pixel even for letters a few hundred pixels high.
constexpr float GLYPH_FLATNESS = 0.001f;

// The platform's glyph metric record, in ems.
struct GlyphMetrics {
    float blackBoxX = 0.0f;  // width of the inked box
    float blackBoxY = 0.0f;  // height of the inked box
    float originX = 0.0f;    // top left of the inked box, from the pen position
    float originY = 0.0f;
    float cellIncX = 0.0f;   // how far the pen moves on
    float cellIncY = 0.0f;
};

// What drawShadedText takes from the calling part: the floor model and its
// texture index for the projected-light pass, and the ShaderPair slot.
struct ShadedTextSource {
    int32_t floorModel = 0;
    int32_t floorTexture = 0;  // the pass samples floorTexture + 90
    int32_t program = 0;
};

struct GlyphPoint {
    double x = 0.0;
    double y = 0.0;
};

// One glyph, flattened and tessellated, in ems.
struct GlyphShape {
    std::vector<std::vector<GlyphPoint>> contours;  // closed polygons (last point joins the first)
    std::vector<GlyphPoint> triangles;              // filled area, counter-clockwise seen from +z
    bool filledRight = true;  // the filled area lies right of each contour's direction
};

// File of the best outline font fontconfig finds for the family; empty when none.
std::string findFontFile(const char* family, bool bold);

// Reads codes 0 ... FONT_GLYPH_COUNT - 1 of the font file. Codes the font
// does not map get an empty shape and zero metrics. False when the file
// cannot be read or has no outlines.
bool loadGlyphShapes(const std::string& fontFile, std::vector<GlyphShape>& shapes, GlyphMetrics metrics[]);

// Issues the extruded glyph (front face at z = 0, back face at -GLYPH_DEPTH,
// side walls), each with its normals, then the translation by advance.
void emitExtrudedGlyph(const GlyphShape& shape, float advance);
