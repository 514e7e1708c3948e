#include "render/renderer.h"

Renderer g_renderer;

void Renderer::setDefaults()
{
    // The vendor string is queried here once; nothing keeps it.
    (void)glGetString(GL_VENDOR);
    startLevel = 1.0;
}

GLuint& Renderer::textureEntry(int32_t textureIndex)
{
    if (textureIndex >= ABSOLUTE_TEXTURE_INDEX)
        return textureNames[textureIndex];
    return textureNames[textureBase + textureIndex];
}
