// shader_support.h - the built shader files and small GL helpers for the
// tests that compile and draw them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "assets_generated/built_assets.h"
#include "render/renderer.h"

struct BuiltPair {
    const char* vertex;
    const char* fragment;
    int32_t slot;  // the game's program slot for it
};

// The game's pairs and screen programs, by the names it loads them with.
inline const std::vector<BuiltPair>& builtPairs()
{
    static const std::vector<BuiltPair> pairs = {
        {"vertex_boatg.cpp", "fragment_projection_anisotropic2hg.cpp", 7002},
        {"vertex_boat.cpp", "fragment_projection_anisotropic2box.cpp", 7042},
        {"vertex_boatg.cpp", "fragment_projection_anisotropic2hg2.cpp", 7034},
        {"vertex_boatg.cpp", "fragment_projection_anisotropic2hg2sprite.cpp", 7046},
    };
    return pairs;
}

inline const std::vector<std::pair<const char*, int32_t>>& builtScreenPrograms()
{
    static const std::vector<std::pair<const char*, int32_t>> screens = {
        {"fragment_blur256.cpp", 7023},  {"fragment_blur256FOV.cpp", 7029}, {"fragment_Blur_circular.cpp", 7021},
        {"fragment_bend3.cpp", 7031},    {"fragment_wireframe.cpp", 7027},
    };
    return screens;
}

inline std::string builtShader(const std::string& name) { return builtAsset("cgeffects/" + name); }

// An RGBA8 texture in the renderer's table, linear filtering, clamped edges,
// filled by pixel(x, y) -> rgba.
inline void makeTexture(Renderer& r, int32_t index, int width, int height,
                        const std::function<std::array<uint8_t, 4>(int, int)>& pixel)
{
    std::vector<uint8_t> data(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto p = pixel(x, y);
            for (int c = 0; c < 4; ++c)
                data[(static_cast<size_t>(y) * width + x) * 4 + c] = p[c];
        }
    }
    GLuint& name = r.textureEntry(index);
    if (name == 0)
        glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
}

// An empty render texture of the given size.
inline void makeBlankTexture(Renderer& r, int32_t index, int width, int height)
{
    makeTexture(r, index, width, height, [](int, int) { return std::array<uint8_t, 4>{0, 0, 0, 0}; });
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

// Identity matrices everywhere, model-view current; no depth test, blending or culling.
inline void resetMatrices()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glActiveTexture(GL_TEXTURE0);
}
