// textures.cpp - pictures into GL textures.
//
// Placeholder until the JPEG decoder lands: the file must exist, and the slot
// receives an empty texture name.
#include <cstdio>
#include <cstdlib>

#include "render/renderer.h"
#include "shell/platform.h"

void Renderer::loadTexture(const char* fileName, int32_t slot)
{
    FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        platform::messageBox(fileName, "Jpg", platform::MessageIcon::Information);
        std::exit(0);
    }
    std::fclose(file);
    GLuint& entry = textureEntry(slot);
    glGenTextures(1, &entry);
    glBindTexture(GL_TEXTURE_2D, entry);
    setLinearFiltering();
}
