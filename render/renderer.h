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
#include <memory>
#include <vector>

#include "base/vec3.h"
#include "render/camera.h"
#include "render/gl.h"
#include "render/outline_font.h"
#include "render/shader_runtime.h"

struct FrameInputs;
struct ObjFace;
class ObjMesh;
class L3DS;

// Texture indices below this are relative to textureBase; from it on they are
// absolute entries of the texture-name table.
constexpr int32_t ABSOLUTE_TEXTURE_INDEX = 85000;
// Scene s keeps its material textures from entry (s + 1000) * 100 on, so the
// table reaches past the last scene's 100 slots.
constexpr int32_t SCENE_COUNT = 10000;
constexpr int32_t TEXTURE_TABLE_SIZE = (SCENE_COUNT + 1000) * 100;
constexpr int32_t RENDER_TARGET_SLOTS = 16;
constexpr int32_t PROGRAM_TABLE_SIZE = 10000;
constexpr int32_t PARAMETER_SLOTS = 16;

class Renderer {
public:
    Renderer();
    ~Renderer();

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
    // An index outside the table names a scratch entry that holds no texture.
    GLuint& textureEntry(int32_t textureIndex);
    GLuint outOfRangeTexture = 0;

    // --- primitives (primitives.cpp) ---
    void drawQuad(double angle, const double& scaleX, const double& scaleY, bool faceCamera);
    void bindTextureIndex(int32_t textureIndex);
    void setLinearFiltering();
    void resetDrawState();
    void loadBasis(const Vec3& axisX, const Vec3& axisY, const Vec3& axisZ);

    // --- render targets (render_targets.cpp) ---
    // Each slot: a (multisampled) framebuffer with two RGBA8 colour buffers and
    // a 24-bit depth buffer, plus a resolve framebuffer whose colour
    // attachments are textures of the texture table.
    GLuint targetColour0[RENDER_TARGET_SLOTS] = {};
    GLuint targetColour1[RENDER_TARGET_SLOTS] = {};
    GLuint targetDepth[RENDER_TARGET_SLOTS] = {};
    GLuint targetDrawFramebuffer[RENDER_TARGET_SLOTS] = {};
    GLuint targetResolveFramebuffer[RENDER_TARGET_SLOTS] = {};

    void createRenderTarget(int32_t slot, int32_t width, int32_t height, int32_t samples);
    void attachTexture(int32_t slot, int32_t attachment, int32_t textureIndex);
    // Draws into the slot's first count (1 ... 3) colour attachments.
    void beginRenderTarget(int32_t slot, int32_t count);
    // Resolves (blits) the first count colour buffers, and depth if asked, into the resolve framebuffer.
    void resolveRenderTarget(int32_t slot, int32_t width, int32_t height, int32_t count, bool withDepth);
    void endRenderTarget();  // draw into the window again

    // --- meshes and models (model_draw.cpp) ---
    // Placement of the next model draws, composed in the texture matrix and
    // handed to the vertex program as "ModelViewObject".
    double modelAngle = 0.0;  // degrees
    Vec3 modelAxis{VEC_PLAIN, 0.0f, 0.0f, 1.0f};
    Vec3 modelScale{VEC_PLAIN, 1.0f, 1.0f, 1.0f};
    float drawnFraction = 1.0f;  // of each mesh's triangles
    double modelTime = 0.0;      // keyframe time of the models' animation

    // Stands in for texture name 0 in the model draw's samplers (see model_draw.cpp).
    GLuint blackTexture = 0;

    // Immediate-mode quads with one flat normal each.
    void drawFaceList(const std::vector<ObjFace>& faces);
    // Every object of the mesh, through its display list once recorded.
    void drawMesh(ObjMesh& mesh);
    // Every mesh of 3DS model modelIndex with ShaderPair k. mode bits:
    // 1 normals and lighting, 2 texture coordinates with "decal" and "light",
    // 4 the meshes' own material textures.
    void drawModel(int32_t modelIndex, int32_t mode, const double& time, GLuint textureA, GLuint textureB,
                   int32_t k);

    // --- screen passes (screen_passes.cpp) ---
    // Runs fragment program k over a full-viewport quad into `slot`, `passes`
    // times; pass 0 reads firstTexture, later passes read texture (the
    // slot's own resolve target). second and third feed "decal2" and "decal3".
    void runScreenPass(int32_t k, int32_t slot, int32_t passes, int32_t width, int32_t height, int32_t firstTexture,
                       int32_t texture, int32_t second, int32_t third);
    // Draws 3DS model `model` with ShaderPair k, its texture thrown from `light`.
    void drawProjectedLight(int32_t model, int32_t textureA, int32_t textureB, int32_t k, CameraRecord camera,
                            CameraRecord light, double time);

    // --- textures (textures.cpp) ---
    void loadTexture(const char* fileName, int32_t slot);
    void loadTextureWithAlpha(const char* colourFile, const char* alphaFile, int32_t slot);
    void loadNormalMap(const char* heightFile, int32_t slot);
    void createNoiseTexture(int32_t slot, int32_t width, int32_t height, int32_t ignored);

    // --- 3DS scenes (scene_import.cpp) ---
    void importScene(int32_t sceneIndex, double scale, const char* fileName);

    // --- shader programs (render/shader_programs.cpp) ---
    // A ShaderPair at slot k: vertex program in k, fragment program in k + 1.
    // Parameter slots: 1 CameraPos, 2 LightPos, 5 ModelViewProj,
    // 6 ModelViewLightProj, 7-9 samplers, 14 ModelViewObject / any float by name.
    CGcontext cgContext = nullptr;
    CGprogram programs[PROGRAM_TABLE_SIZE] = {};
    CGparameter parameters[PROGRAM_TABLE_SIZE][PARAMETER_SLOTS] = {};
    CGprofile vertexProfile = CG_PROFILE_UNKNOWN;
    CGprofile fragmentProfile = CG_PROFILE_UNKNOWN;
    const char* vendorOverride = nullptr;  // when set, read instead of the GL vendor string (tests)

    const char* glVendor() const;
    bool vendorIsAti() const;
    void createCgContext();
    // Both loaders end the program (exit code 0) after a message box when the file is missing.
    void loadVertexProgramFile(const char* path, int32_t k);
    void loadFragmentProgramFile(const char* path, int32_t k);
    void compileAndLoadVertex(int32_t k);
    void compileAndLoadFragment(int32_t k);
    void loadShaderPair(const char* vertexPath, const char* fragmentPath, int32_t k);
    void loadShaderPairWithModel(const char* vertexPath, const char* fragmentPath, const char* modelPath,
                                 int32_t modelIndex, int32_t textureIndex, int32_t ignored, int32_t k);
    void loadScreenShader(const char* path, int32_t k);
    CGparameter lookupParameter(int32_t k, int32_t slot, const char* name);
    void bindModelViewProjection(int32_t k, int32_t slot);
    void bindTextureMatrix(int32_t k, int32_t slot);
    void setParameter3(int32_t k, int32_t slot, float x, float y, float z);
    void setFloatParameter(int32_t k, const char* name, double value);
    void bindProgram(int32_t k);
    void enableVertexProfile();
    void enableFragmentProfile();
    void disableVertexProfile();
    void disableFragmentProfile();
    void enableShaders();
    void disableShaders();
    void bindDecal(int32_t k, int32_t t);
    void bindDecal2(int32_t k, int32_t t, int32_t t2);
    void bindDecal3(int32_t k, int32_t t, int32_t t2, int32_t t3);

    // --- camera and light (render/camera.cpp) ---
    CameraRecord camera;  // set by the game every frame
    CameraRecord light;   // eye = where the projected light comes from
    double nearPlane = 1.5;
    double farPlane = 100.0;
    double projectionAspect = 1.0;  // of the light projection

    // Nine doubles narrowed into camera; every vector gets kind 1.
    void setCamera(const double& eyeX, const double& eyeY, const double& eyeZ, const double& centreX,
                   const double& centreY, const double& centreZ, const double& upX, const double& upY,
                   const double& upZ);
    // Multiplies the current matrix by the look-at of camera.
    void applyCamera();

    // --- 3DS scene importers (scene_import.cpp) ---
    static constexpr int32_t MAX_MODELS = SCENE_COUNT;
    std::unique_ptr<L3DS> models[MAX_MODELS];  // made on first use
    // The importer of scene `index` (0 .. MAX_MODELS - 1), made empty on first use.
    L3DS& model(int32_t index);

    // --- outline font (render/outline_font.cpp, render/text_draw.cpp) ---
    // 256 display-list names from fontListBase; codes 0 ... 122 hold extruded
    // glyphs (em square 1.0, 0.1 deep), each ending with its cell advance.
    GLuint fontListBase = 0;
    GlyphMetrics glyphMetrics[FONT_LIST_COUNT] = {};  // filled for codes 0 ... 122

    // Ends the program (exit code 0) after a message box when no font is found.
    void createOutlineFont();
    // printf-style, at most 255 characters, centred on the current origin.
    void drawText(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The game's text at (x, y, z): the floor pass of part's model first, then
    // each letter placed and turned through the texture matrix of ShaderPair
    // part.program ("ModelViewObject"); the letters turn in a wave once time >= 0.1.
    void drawShadedText(const ShadedTextSource& part, double time, double x, double y, double z,
                        const char* format, ...) __attribute__((format(printf, 7, 8)));
};

// The program's one Renderer.
extern Renderer g_renderer;
