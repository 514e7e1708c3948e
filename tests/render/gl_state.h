// gl_state.h - small helpers shared by the render tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "render/gl.h"
#include "render/renderer.h"
#include "render/shader_runtime.h"

// Identity projection, texture and model-view matrices (model-view current),
// no depth test, blending, culling or texturing, white colour, a black clear.
inline void resetDrawingState()
{
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

inline std::array<float, 16> readMatrix(GLenum which)
{
    std::array<float, 16> m{};
    glGetFloatv(which, m.data());
    return m;
}

// Binds `name` on the active unit and fills it with tightly packed RGBA8
// texels, clamped at the edges.
inline void uploadRgba(GLuint name, GLint filter, int width, int height, const void* texels)
{
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
}

// A width x 1 RGBA texture with nearest filtering, bound on the active unit.
inline GLuint makeRowTexture(std::initializer_list<std::array<unsigned char, 4>> texels)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    std::vector<unsigned char> data;
    for (const auto& texel : texels)
        data.insert(data.end(), texel.begin(), texel.end());
    uploadRgba(name, GL_NEAREST, static_cast<int>(texels.size()), 1, data.data());
    return name;
}

// A test shader's source as a file in the test's temporary folder.
inline std::string writeShader(const std::string& name, const std::string& text)
{
    const auto folder =
        std::filesystem::path(::testing::TempDir()) / ("glasswake_shaders_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// The shader runtime's stages are process-wide: every test starts with both fixed function.
inline void releaseShaderStages()
{
    cgGLDisableProfile(CG_PROFILE_GLSLV);
    cgGLDisableProfile(CG_PROFILE_GLSLF);
    cgGLUnbindProgram(CG_PROFILE_GLSLV);
    cgGLUnbindProgram(CG_PROFILE_GLSLF);
}

// An RGBA8 texture in the renderer's table (linear filtering, clamped edges),
// filled by pixel(x, y) -> rgba.
inline void makeTexture(Renderer& r, int32_t index, int width, int height,
                        const std::function<std::array<uint8_t, 4>(int, int)>& pixel)
{
    std::vector<uint8_t> data;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto p = pixel(x, y);
            data.insert(data.end(), p.begin(), p.end());
        }
    GLuint& name = r.textureEntry(index);
    if (name == 0)
        glGenTextures(1, &name);
    uploadRgba(name, GL_LINEAR, width, height, data.data());
}

inline void makeSolidTexture(Renderer& r, int32_t index, int size, std::array<uint8_t, 4> rgba)
{
    makeTexture(r, index, size, size, [rgba](int, int) { return rgba; });
}

// A texture's pixels, RGBA, bottom row first.
inline std::vector<uint8_t> textureBytes(Renderer& r, int32_t index, int width, int height)
{
    std::vector<uint8_t> data(static_cast<size_t>(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, r.textureEntry(index));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    return data;
}

// Pixels whose colour is not black.
inline size_t litPixelCount(const std::vector<uint8_t>& rgba)
{
    size_t lit = 0;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
        lit += rgba[i] + rgba[i + 1] + rgba[i + 2] > 0;
    return lit;
}
