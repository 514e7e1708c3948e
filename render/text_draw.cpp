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

void Renderer::drawShadedText(const ShadedTextSource& part, double time, double x, double y, double z,
                              const char* format, ...)
{
    const int32_t k = part.program;
    // The floor pass draws no triangles (drawn fraction 0) but leaves the
    // camera's matrices and the pair's parameters set for the letters.
    modelAngle = 0.0;
    modelAxis = makeVec3(0.2f, -0.3f, 1.0f);
    modelScale = makeVec3(1.0f, 1.0f, 1.0f);
    drawnFraction = 0.0f;
    const CameraRecord cameraCopy = camera;
    drawProjectedLight(part.floorModel, part.floorTexture + 90, part.floorTexture + 90, k, cameraCopy, light,
                       modelTime);
    modelScale = makeVec3(1.0f, 1.0f, 1.0f);
    drawnFraction = 1.0f;

    bindProgram(k);
    bindProgram(k + 1);
    enableShaders();
    glPushMatrix();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    bindTextureMatrix(k, 14);  // ModelViewObject
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (!format) {
        glPopMatrix();
        glPopMatrix();
        return;
    }
    char text[TEXT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    formatText(text, format, args);
    va_end(args);

    double offsets[TEXT_BUFFER_SIZE];
    const int32_t count = shadedLetterOffsets(glyphMetrics, text, offsets);
    glPushAttrib(GL_LIST_BIT);
    glListBase(fontListBase);
    for (int32_t i = 0; i < count; ++i) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        // Each letter's placement and turn go to the vertex program through the texture matrix.
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glTranslated(x, y, z);
        glScaled(-SHADED_TEXT_SCALE, SHADED_TEXT_SCALE, SHADED_TEXT_SCALE);
        glTranslated(offsets[i], 0.0, 0.0);
        glTranslated(0.3, 0.3, 0.0);
        glRotated(shadedLetterAngle(time, i), 0.0, 1.0, 0.3);
        glTranslated(-0.3, -0.3, 0.0);
        bindTextureMatrix(k, 14);
        glMatrixMode(GL_MODELVIEW);
        if (hasGlyph(text[i]))
            glCallList(fontListBase + static_cast<unsigned char>(text[i]));
        glPopAttrib();
        glTranslated(LETTER_PULL, 0.0, 0.0);
    }
    glPopAttrib();
    glPopMatrix();
    glPopMatrix();
}
