// outline_font.cpp - builds the outline font's display lists once the GL
// context exists: one list per character code 0 ... 122, the rest of the 256
// reserved names left empty.
#include "render/outline_font.h"

#include <cmath>
#include <cstdlib>

#include "platform/fatal_exit.h"
#include "render/renderer.h"

namespace {

constexpr const char* kFontFamily = "Arial";  // fontconfig offers a metric-compatible face

}  // namespace

void emitExtrudedGlyph(const GlyphShape& shape, float advance)
{
    const double back = -GLYPH_DEPTH;
    const std::vector<GlyphPoint>& t = shape.triangles;
    if (!t.empty()) {
        glBegin(GL_TRIANGLES);
        glNormal3d(0.0, 0.0, 1.0);
        for (const GlyphPoint& p : t)
            glVertex3d(p.x, p.y, 0.0);
        glNormal3d(0.0, 0.0, -1.0);
        for (size_t i = 0; i + 2 < t.size(); i += 3) {  // reversed, to face -z
            glVertex3d(t[i].x, t[i].y, back);
            glVertex3d(t[i + 2].x, t[i + 2].y, back);
            glVertex3d(t[i + 1].x, t[i + 1].y, back);
        }
        glEnd();
    }
    if (!shape.contours.empty()) {
        glBegin(GL_QUADS);
        for (const auto& contour : shape.contours) {
            for (size_t i = 0; i < contour.size(); ++i) {
                const GlyphPoint& a = contour[i];
                const GlyphPoint& b = contour[(i + 1) % contour.size()];
                const double dx = b.x - a.x, dy = b.y - a.y;
                const double len = std::sqrt(dx * dx + dy * dy);
                if (len == 0.0)
                    continue;
                // Outward is left of the direction of travel when the fill lies right.
                const double side = shape.filledRight ? 1.0 : -1.0;
                glNormal3d(-dy / len * side, dx / len * side, 0.0);
                // Counter-clockwise seen from outside.
                if (shape.filledRight) {
                    glVertex3d(a.x, a.y, 0.0);
                    glVertex3d(b.x, b.y, 0.0);
                    glVertex3d(b.x, b.y, back);
                    glVertex3d(a.x, a.y, back);
                } else {
                    glVertex3d(a.x, a.y, 0.0);
                    glVertex3d(a.x, a.y, back);
                    glVertex3d(b.x, b.y, back);
                    glVertex3d(b.x, b.y, 0.0);
                }
            }
        }
        glEnd();
    }
    glTranslatef(advance, 0.0f, 0.0f);
}

void Renderer::createOutlineFont()
{
    // The font is looked for first, so that a missing one ends the program
    // before any GL object is made.
    std::vector<GlyphShape> shapes;
    const std::string file = findFontFile(kFontFamily, true);
    if (file.empty() || !loadGlyphShapes(file, shapes, glyphMetrics)) {
        fatalExit(std::string("Can't find the font \"") + kFontFamily + "\" (bold).", "ERROR",
                  platform::MessageIcon::Exclamation);
    }
    fontListBase = glGenLists(FONT_LIST_COUNT);
    for (int32_t code = FONT_GLYPH_COUNT; code < FONT_LIST_COUNT; ++code)
        glyphMetrics[code] = GlyphMetrics{};

    for (int32_t code = 0; code < FONT_GLYPH_COUNT; ++code) {
        glNewList(fontListBase + code, GL_COMPILE);
        emitExtrudedGlyph(shapes[code], glyphMetrics[code].cellIncX);
        glEndList();
    }
}
