#include "game/part_game.h"

#include <cmath>

#include "base/step_marks.h"
#include "base/vector_math.h"
#include "game/game_math.h"
#include "render/renderer.h"
#include "settings/display_settings.h"

namespace {

// Entity kinds that have a mesh, with their file and display list.
struct EntityMeshFile {
    int kind;
    const char* file;
    int32_t listId;
};

constexpr EntityMeshFile ENTITY_MESH_FILES[] = {
    {0, "meshes/sprite1.obj", 1900},  {1, "meshes/sprite2.obj", 1901},  {2, "meshes/sprite3.obj", 1902},
    {3, "meshes/sprite5.obj", 1903},  {8, "meshes/sprite6.obj", 1904},  {9, "meshes/sprite7.obj", 1905},
    {10, "meshes/sprite8.obj", 1906}, {13, "meshes/sprite9.obj", 1907}, {14, "meshes/sprite10.obj", 1908},
    {15, "meshes/sprite11.obj", 1909},
};

}  // namespace

void part_game::init(Renderer* r)
{
    // In stages, so start-up can be timed piece by piece.
    loadTextures(r);
    markStep("textures");
    loadMeshes();
    markStep("meshes");
    loadScene(r);
    markStep("scene");
    loadShaders(r);
    markStep("shaders");
    loadSound();
    markStep("sound");
}

void part_game::loadTextures(Renderer* r)
{
    const int32_t w = renderWidth;
    const int32_t h = renderHeight;

    // The render textures start as noise; the first frame overwrites them.
    r->createNoiseTexture(TEX_QUARTER, w / 4, h / 4, 0);
    r->createNoiseTexture(TEX_HALF, w / 2, h / 2, 0);
    r->createNoiseTexture(TEX_PICTURE, w, h, 0);
    r->createNoiseTexture(TEX_GLOW, w, h, 0);
    r->attachTexture(0, 0, TEX_PICTURE);
    r->attachTexture(0, 1, TEX_GLOW);
    r->attachTexture(1, 0, TEX_QUARTER);
    r->attachTexture(2, 0, TEX_HALF);
    r->endRenderTarget();

    r->loadTexture("textures/bg08.jpg", TEX_PROJECTED);
    r->loadTextureWithAlpha("textures/blob41b.jpg", "textures/blob41b.jpg", TEX_GLOW_SPRITE);
    r->loadTexture("textures/cloudt2.jpg", TEX_CLOUDS);
}

void part_game::loadMeshes()
{
    craft.loadObj("meshes/helicopter.obj", 1);
    gear.loadObj("meshes/gear.obj", 919);
    gears2.loadObj("meshes/gears2.obj", 929);
    for (const EntityMeshFile& m : ENTITY_MESH_FILES)
        entityMeshes[m.kind].loadObj(m.file, m.listId);
}

void part_game::loadScene(Renderer* r)
{
    // The box scene comes with its own program pair.
    r->loadShaderPairWithModel("cgeffects/vertex_boatg.cpp", "cgeffects/fragment_projection_anisotropic2hg.cpp",
                               "meshes/box.3ds", MODEL_BOX, 1, 16, PAIR_BOX_MODEL);
}

void part_game::loadShaders(Renderer* r)
{
    r->loadShaderPair("cgeffects/vertex_boat.cpp", "cgeffects/fragment_projection_anisotropic2box.cpp", PAIR_BOX);
    r->loadShaderPair("cgeffects/vertex_boatg.cpp", "cgeffects/fragment_projection_anisotropic2hg2.cpp",
                      PAIR_SCENERY);
    r->loadShaderPair("cgeffects/vertex_boatg.cpp", "cgeffects/fragment_projection_anisotropic2hg2sprite.cpp",
                      PAIR_ENTITY);
    r->loadScreenShader("cgeffects/fragment_blur256.cpp", PROGRAM_BLUR);
    r->loadScreenShader("cgeffects/fragment_blur256FOV.cpp", PROGRAM_BLUR_FOV);
    r->loadScreenShader("cgeffects/fragment_Blur_circular.cpp", PROGRAM_BLUR_CIRCULAR);
    r->loadScreenShader("cgeffects/fragment_bend3.cpp", PROGRAM_BEND);
    r->loadScreenShader("cgeffects/fragment_wireframe.cpp", PROGRAM_COMBINE);
}

void part_game::loadSound()
{
    motion.loadMotion("meshes/try1.sav");

    rules.sound.load();
    rules.buildLevel();
}

void part_game::draw(double* frameDelta, Renderer* r, FrameInputs* inputs)
{
    const int32_t w = renderWidth;
    const int32_t h = renderHeight;

    // The wheel is cleared before anything reads it: it has no effect on the game.
    inputs->wheel = 0.0;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    r->inputs = inputs;
    frameInputs = *inputs;
    const GameControls controls = controlsFromFrameInputs(frameInputs, windowWidth, windowHeight);
    *frameDelta = rules.beginFrame(*frameDelta, controls);

    r->nearPlane = 1.0;
    r->farPlane = 1050.0;

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // One pass writes the picture and the glow picture together.
    r->beginRenderTarget(0, 2);

    placeCamera(r);
    drawScene(r);

    r->resolveRenderTarget(0, w, h, 2, false);
    r->endRenderTarget();
    markStep("resolve");
    glDisable(GL_DEPTH_TEST);
    runPostChain(r);

    composite(r);
    markStep("composite");

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    inputs->values[0] = rules.time;
    glDisable(GL_BLEND);
    glFlush();
}

void part_game::composite(Renderer* r)
{
    // The finished picture is added onto the window.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glViewport(0, 0, renderWidth, renderHeight);
    for (GLenum mode : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glLoadIdentity();
    }
    glEnable(GL_TEXTURE_2D);
    r->bindTextureIndex(TEX_PICTURE);
    glColor3f(1.0f, 1.0f, 1.0f);
    const double one = 1.0;
    r->drawQuad(0.0, one, one, true);
}

void part_game::placeCamera(Renderer* r)
{
    // Chase camera behind and above the course; it swings back near the end.
    const double eyeX = 0.0;
    const double eyeY = 15.0;
    const double eyeZ = rules.cameraZ - 50.0 - 30.0 * rules.swing;
    const double centreX = 0.0;
    const double centreY = 0.0;
    const double centreZ = rules.cameraZ;
    const double upX = -0.01 * rules.playerMarker.x;
    const double upY = 1.0;
    const double upZ = 0.0;
    r->setCamera(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);

    // The view tilts and slides with the bank.
    r->camera.centre.y += static_cast<float>(2.0 * rules.bank);
    r->camera.eye.x -= static_cast<float>(12.0 * rules.bank);

    // Hand-held shake from the recorded motion while banking and during rapid fire.
    const long index = jitterSampleIndex(rules.time, static_cast<long>(motion.samples.size()));
    if (index >= 0) {
        const double j = 2.0 * 0.7 * 0.022 * rules.bank;
        const Vec3& sample = motion.samples[static_cast<size_t>(index)];
        Vec3 view = sub(r->camera.centre, r->camera.eye);
        normalize(view);
        Vec3 right = cross(view, r->camera.up);
        normalize(right);
        Vec3 up = r->camera.up;
        normalize(up);
        const float s = static_cast<float>(0.1 * j * 0.05 * 3.0);
        const Vec3 offset = add(scale(right, sample.x * s), scale(up, sample.y * s));
        r->camera.eye = add(r->camera.eye, offset);
        r->camera.centre = add(r->camera.centre, offset);

        const double jPrime = j + 0.1 * std::pow(rules.powerTimer / 6.0, 3.0);
        const double angle = index < static_cast<long>(motion.trackA.size()) ? motion.trackA[static_cast<size_t>(index)] : 0.0;
        r->camera.up.x += static_cast<float>(0.1 * std::sin(angle * 1.7188733853924696 * jPrime));
        shakeScale = jPrime;
    } else {
        shakeScale = 0.0;
    }
    shakeUp = r->camera.up.x;

    // The light looks at the camera's centre from 420 units along -x of the eye.
    r->light = r->camera;
    r->light.eye = add(r->light.eye, scale(makeVec3(30.0f, 0.0f, 0.0f), -14.0f));
}

void part_game::runPostChain(Renderer* r)
{
    const int32_t w = renderWidth;
    const int32_t h = renderHeight;
    r->runScreenPass(PROGRAM_BLUR, 2, 1, w / 2, h / 2, TEX_PICTURE, TEX_HALF, -1, -1);
    markStep("blur");
    r->runScreenPass(PROGRAM_COMBINE, 0, 1, w, h, TEX_PICTURE, TEX_PICTURE, TEX_HALF, TEX_GLOW);
    markStep("combine");
    r->runScreenPass(PROGRAM_BLUR, 2, 6, w / 2, h / 2, TEX_PICTURE, TEX_HALF, -1, -1);
    markStep("blur x6");

    // The bend warps the picture in at each level's start: alpha 1.4 down to 0.2.
    const double e = ease(clampd(1.2 * rules.time, 0.0, 1.0), 1.0);
    r->setFloatParameter(PROGRAM_BEND, "alpha", 1.2 * (1.0 - e) + 0.2);
    r->setFloatParameter(PROGRAM_BEND, "RightV", shakeScale);
    r->setFloatParameter(PROGRAM_BEND, "UpV", shakeUp);
    r->runScreenPass(PROGRAM_BEND, 0, 1, w, h, TEX_PICTURE, TEX_PICTURE, TEX_HALF, -1);
    markStep("bend");
}
