// textures.cpp - pictures into GL textures.
//
// Placeholder until the JPEG decoder lands: the files must exist, and each
// slot receives an empty texture name.
#include <cstdio>
#include <cstdlib>

#include "render/renderer.h"
#include "shell/platform.h"

namespace {

void requireFile(const char* fileName, const char* caption)
{
    FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        platform::messageBox(fileName, caption, platform::MessageIcon::Information);
        std::exit(0);
    }
    std::fclose(file);
}

void makeEmptyTexture(Renderer& r, int32_t slot)
{
    GLuint& entry = r.textureEntry(slot);
    glGenTextures(1, &entry);
    glBindTexture(GL_TEXTURE_2D, entry);
    r.setLinearFiltering();
}

}  // namespace

void Renderer::loadTexture(const char* fileName, int32_t slot)
{
    requireFile(fileName, "Jpg");
    makeEmptyTexture(*this, slot);
}

void Renderer::loadTextureWithAlpha(const char* colourFile, const char* alphaFile, int32_t slot)
{
    requireFile(colourFile, "Jpg !");
    requireFile(alphaFile, "Jpg !");
    makeEmptyTexture(*this, slot);
}

void Renderer::loadNormalMap(const char* heightFile, int32_t slot)
{
    requireFile(heightFile, "Jpg !");
    makeEmptyTexture(*this, slot);
}

void Renderer::createNoiseTexture(int32_t slot, int32_t width, int32_t height, int32_t ignored)
{
    makeEmptyTexture(*this, slot);
}
