// renderer.h - the one rendering-state object of the program.
//
// A single static Renderer exists before main() runs and is handed by pointer
// to every part. It owns every GL handle the parts create: textures (by slot
// in a fixed table), shader programs, render targets, the outline font, the
// 3DS scene importers, and the camera and light. Resources are addressed by
// small integers chosen by the caller; nothing is released before the process
// ends. Each group of operations lives in its own source file.
#pragma once

#include <cstdint>

#include "render/gl.h"
#include "render/vec3.h"

struct FrameInputs;
class L3DS;

// Texture indices below this are relative to textureBase; from it on they are
// absolute entries of the texture-name table.
constexpr int32_t ABSOLUTE_TEXTURE_INDEX = 85000;
constexpr int32_t TEXTURE_TABLE_SIZE = 400000;

class Renderer {
public:
    // --- defaults and shared state (renderer.cpp) ---
    double startLevel = 0.0;
    double fieldOfViewOffset = 0.0;
    void (*loadingProgress)(float) = nullptr;  // left empty: loading draws no progress
    bool useAlternativeImageLoader = false;
    bool compressTextures = false;
    FrameInputs* inputs = nullptr;  // where parts find the inputs while loading and drawing

    void setDefaults();

    // --- texture-name table (renderer.cpp) ---
    GLuint textureNames[TEXTURE_TABLE_SIZE] = {};
    int32_t textureBase = 0;

    // Table entry named by a texture index (relative below 85000, else absolute).
    GLuint& textureEntry(int32_t textureIndex);

    // --- primitives (primitives.cpp) ---
    void drawQuad(double angle, const double& scaleX, const double& scaleY, bool faceCamera);
    void bindTextureIndex(int32_t textureIndex);
    void setLinearFiltering();
    void resetDrawState();
    void loadBasis(const Vec3& axisX, const Vec3& axisY, const Vec3& axisZ);

    // --- textures (assets/textures.cpp) ---
    void loadTexture(const char* fileName, int32_t slot);
    void loadTextureWithAlpha(const char* colourFile, const char* alphaFile, int32_t slot);
    void loadNormalMap(const char* heightFile, int32_t slot);
    void createNoiseTexture(int32_t slot, int32_t width, int32_t height, int32_t ignored);

    // --- 3DS scenes (assets/scene_import.cpp) ---
    void importScene(int32_t sceneIndex, double scale, const char* fileName);

    // --- 3DS scene importers (assets/scene_import.cpp) ---
    static constexpr int32_t MAX_MODELS = 10000;
    L3DS* models[MAX_MODELS] = {};  // made on first use, never released
    // The importer of scene `index` (0 .. MAX_MODELS - 1), made empty on first use.
    L3DS& model(int32_t index);
};

// The program's one Renderer.
extern Renderer g_renderer;
