// The texture loaders on a real GL context: uploads read back, and the
// failure paths (message box, exit code 0) as death tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "assets/jpeg/jpeg_decoder.h"
#include "assets/jpeg/jpeg_oracle.h"
#include "assets/texture_pixels.h"
#include "base/crt_random.h"
#include "platform/platform.h"
#include "render/renderer.h"
#include "support/gl_fixture.h"

namespace {

std::string writeTempFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = testing::TempDir() + name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    EXPECT_NE(out, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    return path;
}

std::string writeTestJpeg(const std::string& name, int w, int h, int components = 3, uint32_t seed = 3)
{
    return writeTempFile(name, encodeWithLibjpeg(makeTestPicture(w, h, components, seed)));
}

PixelBuffer decodeFile(const std::string& path)
{
    jpeg_decoder_file_stream stream;
    EXPECT_EQ(stream.open(path.c_str()), 0);
    jpeg_decoder decoder(&stream, true);
    return decodeToRgbBottomUp(decoder);
}

struct TextureInfo {
    int width = 0, height = 0;
    GLint internalFormat = 0, minFilter = 0, magFilter = 0;
    std::vector<uint8_t> pixels;  // bottom-up, tightly packed
};

TextureInfo readTexture(GLuint name, GLenum format, int channels)
{
    TextureInfo t;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &t.internalFormat);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &t.minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &t.magFilter);
    t.pixels.resize(size_t(t.width) * t.height * channels);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, t.pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return t;
}

class Textures : public GLTest {};

}  // namespace

TEST_F(Textures, LoadTextureUploadsTheFlippedPictureAtItsOwnSize)
{
    for (auto [w, h] : {std::pair{300, 171}, {1, 1}, {5, 3}}) {
        const std::string path = writeTestJpeg("tex.jpg", w, h);
        g_renderer.loadTexture(path.c_str(), 12);
        const TextureInfo t = readTexture(g_renderer.textureEntry(12), GL_RGB, 3);
        EXPECT_EQ(t.width, w);
        EXPECT_EQ(t.height, h);
        EXPECT_TRUE(t.internalFormat == 3 || t.internalFormat == GL_RGB || t.internalFormat == GL_RGB8) << t.internalFormat;
        EXPECT_EQ(t.minFilter, GL_LINEAR);
        EXPECT_EQ(t.magFilter, GL_LINEAR);
        EXPECT_EQ(t.pixels, decodeFile(path).bytes) << w << "x" << h;
    }
}

TEST_F(Textures, AlphaComesFromTheGreenOfTheAlphaPicture)
{
    for (auto [w, h] : {std::pair{33, 20}, {1, 1}}) {
        const std::string colour = writeTestJpeg("colour.jpg", w, h, 3, 5);
        const std::string alpha = writeTestJpeg("alpha.jpg", w, h, 3, 9);
        g_renderer.loadTextureWithAlpha(colour.c_str(), alpha.c_str(), 14);
        const TextureInfo t = readTexture(g_renderer.textureEntry(14), GL_RGBA, 4);
        EXPECT_EQ(t.width, w);
        EXPECT_EQ(t.height, h);
        EXPECT_TRUE(t.internalFormat == 4 || t.internalFormat == GL_RGBA || t.internalFormat == GL_RGBA8) << t.internalFormat;
        EXPECT_EQ(t.pixels, mergeAlphaFromGreen(decodeFile(colour), decodeFile(alpha)).bytes);
    }
}

TEST_F(Textures, NormalMapAndNoiseUploadAtOddWidths)
{
    const std::string path = writeTestJpeg("height.jpg", 19, 11);
    g_renderer.loadNormalMap(path.c_str(), 15);
    const TextureInfo normals = readTexture(g_renderer.textureEntry(15), GL_RGB, 3);
    EXPECT_EQ(normals.width, 19);
    EXPECT_EQ(normals.pixels, makeNormalMap(decodeFile(path)).bytes);

    crtSeed(5);
    g_renderer.createNoiseTexture(16, 31, 9, 0);
    const TextureInfo noise = readTexture(g_renderer.textureEntry(16), GL_RGBA, 4);
    EXPECT_EQ(noise.height, 9);
    crtSeed(5);
    EXPECT_EQ(noise.pixels, makeNoiseBytes(31, 9));
}

// --- failures --------------------------------------------------------------

namespace {

platform::MessageResult printMessage(const platform::MessageBoxRequest& request)
{
    std::fprintf(stderr, "box caption=[%s] text=[%s] info=%d\n", request.caption.c_str(), request.text.c_str(),
                 request.icon == platform::MessageIcon::Information ? 1 : 0);
    return platform::MessageResult::Ok;
}

class TextureFailureDeathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        platform::setMessageBoxHandler(printMessage);
    }
    void TearDown() override { platform::setMessageBoxHandler(nullptr); }
};

}  // namespace

TEST_F(TextureFailureDeathTest, MissingFileShowsJpg)
{
    EXPECT_EXIT(g_renderer.loadTexture("textures/missing.jpg", 1), ::testing::ExitedWithCode(0),
                "box caption=\\[Jpg\\] text=\\[textures/missing.jpg\\] info=1");
}

TEST_F(TextureFailureDeathTest, UndecodableFileShowsJpgBang)
{
    const std::string notJpeg = writeTempFile("not.jpg", std::vector<uint8_t>(600, 'x'));
    EXPECT_EXIT(g_renderer.loadTexture(notJpeg.c_str(), 1), ::testing::ExitedWithCode(0),
                "box caption=\\[Jpg !\\] text=\\[" + notJpeg + "\\] info=1");
    EXPECT_EXIT(g_renderer.loadNormalMap("gone.jpg", 1), ::testing::ExitedWithCode(0),
                "box caption=\\[Jpg !\\] text=\\[gone.jpg\\]");
    EXPECT_EXIT(g_renderer.loadNormalMap(notJpeg.c_str(), 1), ::testing::ExitedWithCode(0),
                "box caption=\\[Jpg !\\] text=\\[" + notJpeg + "\\]");
}

TEST_F(TextureFailureDeathTest, AlphaFailuresNameTheFileConcerned)
{
    const std::string good = writeTestJpeg("good.jpg", 8, 8);
    const std::string other = writeTestJpeg("other.jpg", 9, 8);
    EXPECT_EXIT(g_renderer.loadTextureWithAlpha("nocolour.jpg", good.c_str(), 1), ::testing::ExitedWithCode(0),
                "box caption=\\[Jpg !\\] text=\\[nocolour.jpg\\]");
    EXPECT_EXIT(g_renderer.loadTextureWithAlpha(good.c_str(), "noalpha.jpg", 1), ::testing::ExitedWithCode(0),
                "box caption=\\[Jpg !\\] text=\\[noalpha.jpg\\]");
    // Pictures of different sizes are refused, naming the alpha picture.
    EXPECT_EXIT(g_renderer.loadTextureWithAlpha(good.c_str(), other.c_str(), 1), ::testing::ExitedWithCode(0),
                "box caption=\\[Jpg !\\] text=\\[" + other + "\\]");
}
