// textures.cpp - pictures into GL textures: JPEG files (plain, with an alpha
// picture, or as a height field for a normal map) and noise.
//
// A texture that cannot be loaded means a broken installation: a message box
// names the file and the program ends with exit code 0.
#include <memory>

#include "assets/jpeg/jpeg_decoder.h"
#include "assets/texture_pixels.h"
#include "platform/fatal_exit.h"
#include "render/renderer.h"

namespace {

[[noreturn]] void refuse(const char* fileName, const char* caption)
{
    fatalExit(fileName, caption, platform::MessageIcon::Information);
}

// Opens and decodes fileName on `stream`, or ends the program.
PixelBuffer decodeOrExit(jpeg_decoder_file_stream& stream, const char* fileName, const char* openCaption)
{
    if (stream.open(fileName) != 0)
        refuse(fileName, openCaption);
    auto decoder = std::make_unique<jpeg_decoder>(&stream, true);
    if (decoder->error_code() != 0)
        refuse(fileName, "Jpg !");
    return decodeToRgbBottomUp(*decoder);
}

void upload(Renderer& r, int32_t slot, const PixelBuffer& pixels, GLint internalFormat, GLenum format)
{
    GLuint& name = r.textureEntry(slot);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    r.setLinearFiltering();
    // Rows are tightly packed; the GL default of 4-byte rows would shear
    // RGB pictures whose width is not a multiple of 4.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, pixels.width, pixels.height, 0, format, GL_UNSIGNED_BYTE,
                 pixels.bytes.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

void Renderer::loadTexture(const char* fileName, int32_t slot)
{
    jpeg_decoder_file_stream stream;
    const PixelBuffer rgb = decodeOrExit(stream, fileName, "Jpg");
    upload(*this, slot, rgb, 3, GL_RGB);
}

void Renderer::loadTextureWithAlpha(const char* colourFile, const char* alphaFile, int32_t slot)
{
    jpeg_decoder_file_stream stream;
    const PixelBuffer colour = decodeOrExit(stream, colourFile, "Jpg !");
    stream.close();
    const PixelBuffer alpha = decodeOrExit(stream, alphaFile, "Jpg !");
    // The colour picture is read at the alpha picture's positions: they must agree.
    if (alpha.width != colour.width || alpha.height != colour.height)
        refuse(alphaFile, "Jpg !");
    upload(*this, slot, mergeAlphaFromGreen(colour, alpha), 4, GL_RGBA);
}

void Renderer::loadNormalMap(const char* heightFile, int32_t slot)
{
    jpeg_decoder_file_stream stream;
    const PixelBuffer heights = decodeOrExit(stream, heightFile, "Jpg !");
    upload(*this, slot, makeNormalMap(heights), 3, GL_RGB);
}

void Renderer::createNoiseTexture(int32_t slot, int32_t width, int32_t height, int32_t ignored)
{
    PixelBuffer noise;
    noise.width = width;
    noise.height = height;
    noise.channels = 4;
    noise.bytes = makeNoiseBytes(width, height);
    upload(*this, slot, noise, GL_RGBA, GL_RGBA);
}
