// glyph_outline.cpp - from a font file to flat, tessellated glyph shapes.
//
// fontconfig names the file, FreeType reads the outlines unscaled (font
// units, divided by the em size here), curves are cut into enough straight
// pieces to stay within GLYPH_FLATNESS of the curve, and GLU's tessellator
// fills the contours with the font's own fill rule.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

#include "render/gl.h"
#include "render/outline_font.h"

namespace {

constexpr int kMaxCurvePieces = 64;

GlyphPoint lerp(const GlyphPoint& a, const GlyphPoint& b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

double length(double x, double y) { return std::sqrt(x * x + y * y); }

// Pieces a curve needs so that no chord strays more than GLYPH_FLATNESS from
// it; bendSize bounds the curve's second derivative over its whole span.
int curvePieces(double bendSize)
{
    const int pieces = static_cast<int>(std::ceil(std::sqrt(bendSize / (8.0 * GLYPH_FLATNESS))));
    return std::clamp(pieces, 1, kMaxCurvePieces);
}

struct Flattener {
    double scale = 1.0;  // font units to ems
    std::vector<std::vector<GlyphPoint>>* contours = nullptr;
    GlyphPoint pen;

    GlyphPoint toEm(const FT_Vector* v) const { return {v->x * scale, v->y * scale}; }

    void add(const GlyphPoint& p)
    {
        std::vector<GlyphPoint>& contour = contours->back();
        if (contour.empty() || contour.back().x != p.x || contour.back().y != p.y)
            contour.push_back(p);
        pen = p;
    }
};

int moveTo(const FT_Vector* to, void* user)
{
    auto* f = static_cast<Flattener*>(user);
    f->contours->emplace_back();
    f->add(f->toEm(to));
    return 0;
}

int lineTo(const FT_Vector* to, void* user)
{
    auto* f = static_cast<Flattener*>(user);
    f->add(f->toEm(to));
    return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    auto* f = static_cast<Flattener*>(user);
    const GlyphPoint p0 = f->pen, c = f->toEm(control), p1 = f->toEm(to);
    // B'' = 2 (p0 - 2c + p1)
    const int n = curvePieces(2.0 * length(p0.x - 2 * c.x + p1.x, p0.y - 2 * c.y + p1.y));
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        f->add(lerp(lerp(p0, c, t), lerp(c, p1, t), t));
    }
    return 0;
}

int cubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user)
{
    auto* f = static_cast<Flattener*>(user);
    const GlyphPoint p0 = f->pen, c1 = f->toEm(control1), c2 = f->toEm(control2), p1 = f->toEm(to);
    // |B''| <= 6 max(|p0 - 2c1 + c2|, |c1 - 2c2 + p1|)
    const double bend = std::max(length(p0.x - 2 * c1.x + c2.x, p0.y - 2 * c1.y + c2.y),
                                 length(c1.x - 2 * c2.x + p1.x, c1.y - 2 * c2.y + p1.y));
    const int n = curvePieces(6.0 * bend);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const GlyphPoint a = lerp(p0, c1, t), b = lerp(c1, c2, t), c = lerp(c2, p1, t);
        f->add(lerp(lerp(a, b, t), lerp(b, c, t), t));
    }
    return 0;
}

struct Tessellation {
    std::deque<std::array<GLdouble, 3>> vertices;  // stable addresses for GLU
    std::vector<GlyphPoint> triangles;
    bool failed = false;
};

void GLAPIENTRY onBegin(GLenum, void*) {}
void GLAPIENTRY onEnd(void*) {}
// Having an edge-flag callback makes GLU emit separate triangles only.
void GLAPIENTRY onEdgeFlag(GLboolean, void*) {}

void GLAPIENTRY onVertex(void* vertex, void* user)
{
    const auto* v = static_cast<const GLdouble*>(vertex);
    static_cast<Tessellation*>(user)->triangles.push_back({v[0], v[1]});
}

void GLAPIENTRY onCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* user)
{
    auto* t = static_cast<Tessellation*>(user);
    t->vertices.push_back({coords[0], coords[1], coords[2]});
    *out = t->vertices.back().data();
}

void GLAPIENTRY onError(GLenum, void* user) { static_cast<Tessellation*>(user)->failed = true; }

using TessCallback = void(GLAPIENTRY*)();

void tessellate(GlyphShape& shape, bool evenOdd)
{
    GLUtesselator* tess = gluNewTess();
    if (!tess)
        return;
    Tessellation out;
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<TessCallback>(onBegin));
    gluTessCallback(tess, GLU_TESS_END_DATA, reinterpret_cast<TessCallback>(onEnd));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<TessCallback>(onEdgeFlag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<TessCallback>(onVertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<TessCallback>(onCombine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<TessCallback>(onError));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, evenOdd ? GLU_TESS_WINDING_ODD : GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0.0, 0.0, 1.0);

    gluTessBeginPolygon(tess, &out);
    for (const auto& contour : shape.contours) {
        gluTessBeginContour(tess);
        for (const GlyphPoint& p : contour) {
            out.vertices.push_back({p.x, p.y, 0.0});
            gluTessVertex(tess, out.vertices.back().data(), out.vertices.back().data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);

    if (out.failed)
        return;
    out.triangles.resize(out.triangles.size() / 3 * 3);
    // Front faces counter-clockwise seen from +z, whatever order GLU chose.
    for (size_t i = 0; i < out.triangles.size(); i += 3) {
        const GlyphPoint &a = out.triangles[i], &b = out.triangles[i + 1], &c = out.triangles[i + 2];
        if ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) < 0.0)
            std::swap(out.triangles[i + 1], out.triangles[i + 2]);
    }
    shape.triangles = std::move(out.triangles);
}

bool readGlyph(FT_Face face, FT_UInt glyphIndex, GlyphShape& shape, GlyphMetrics& metrics)
{
    if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return false;
    const FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        return false;
    const double scale = 1.0 / face->units_per_EM;

    const FT_Glyph_Metrics& m = slot->metrics;
    metrics.blackBoxX = static_cast<float>(m.width * scale);
    metrics.blackBoxY = static_cast<float>(m.height * scale);
    metrics.originX = static_cast<float>(m.horiBearingX * scale);
    metrics.originY = static_cast<float>(m.horiBearingY * scale);
    metrics.cellIncX = static_cast<float>(m.horiAdvance * scale);
    metrics.cellIncY = 0.0f;

    Flattener flattener;
    flattener.scale = scale;
    flattener.contours = &shape.contours;
    FT_Outline_Funcs funcs = {};
    funcs.move_to = moveTo;
    funcs.line_to = lineTo;
    funcs.conic_to = conicTo;
    funcs.cubic_to = cubicTo;
    if (FT_Outline_Decompose(&slot->outline, &funcs, &flattener) != 0)
        return false;

    // Contours are closed implicitly; drop a repeated start point and slivers.
    for (auto& contour : shape.contours) {
        if (contour.size() > 1 && contour.front().x == contour.back().x && contour.front().y == contour.back().y)
            contour.pop_back();
    }
    std::erase_if(shape.contours, [](const std::vector<GlyphPoint>& c) { return c.size() < 3; });

    shape.filledRight = FT_Outline_Get_Orientation(&slot->outline) != FT_ORIENTATION_POSTSCRIPT;
    if (!shape.contours.empty())
        tessellate(shape, (slot->outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0);
    return true;
}

}  // namespace

std::string findFontFile(const char* family, bool bold)
{
    // A configuration of its own, so the lookup sees the fonts installed now.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config)
        return {};
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    std::string file;
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        FcChar8* path = nullptr;
        FcBool outline = FcTrue;
        FcPatternGetBool(match, FC_OUTLINE, 0, &outline);
        if (outline && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = reinterpret_cast<const char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return file;
}

bool loadGlyphShapes(const std::string& fontFile, std::vector<GlyphShape>& shapes, GlyphMetrics metrics[])
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face = nullptr;
    bool ok = FT_New_Face(library, fontFile.c_str(), 0, &face) == 0;
    ok = ok && FT_IS_SCALABLE(face) && face->units_per_EM > 0;
    if (ok) {
        shapes.assign(FONT_GLYPH_COUNT, GlyphShape{});
        for (int32_t code = 0; code < FONT_GLYPH_COUNT && ok; ++code) {
            metrics[code] = GlyphMetrics{};
            const FT_UInt glyphIndex = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
            if (glyphIndex != 0)
                ok = readGlyph(face, glyphIndex, shapes[code], metrics[code]);
        }
    }
    if (face)
        FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok;
}
