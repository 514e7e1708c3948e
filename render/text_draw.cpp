// text_draw.cpp - drawing text with the outline font's display lists:
// centred plain text, and the game's shaded text whose letters turn one
// after another.
#include <cstdarg>

#include "render/renderer.h"
#include "render/text_layout.h"

void Renderer::drawText(const char* format, ...)
{
    if (!format)
        return;
    char text[TEXT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    formatText(text, format, args);
    va_end(args);

    glPushMatrix();
    glTranslated(centringShift(glyphMetrics, text), 0.0, 0.0);
    glPushAttrib(GL_LIST_BIT);
    glListBase(fontListBase);
    for (const char* p = text; *p != '\0'; ++p) {
        if (hasGlyph(*p)) {
            glPushAttrib(GL_ALL_ATTRIB_BITS);
            glCallList(fontListBase + static_cast<unsigned char>(*p));
            glPopAttrib();
        }
        glTranslated(LETTER_PULL, 0.0, 0.0);
    }
    glPopAttrib();
    glPopMatrix();
}
