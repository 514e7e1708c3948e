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
    const int64_t entry = textureIndex >= ABSOLUTE_TEXTURE_INDEX ? int64_t{textureIndex}
                                                                 : int64_t{textureBase} + textureIndex;
    if (entry < 0 || entry >= TEXTURE_TABLE_SIZE) {
        outOfRangeTexture = 0;  // whatever was written here last time names nothing
        return outOfRangeTexture;
    }
    return textureNames[entry];
}
