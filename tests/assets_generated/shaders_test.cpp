// The built shader programs: each compiles and links on Mesa with an empty
// log and draws: every screen program through runScreenPass, the pairs
// through the projected-light pass and the mesh drawing, into both outputs
// of a render target.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "assets/l3ds.h"
#include "assets/obj_mesh.h"
#include "assets/l3ds_writer.h"
#include "assets_generated/shader_support.h"
#include "support/gl_fixture.h"

namespace {

class BuiltShaderTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (IsSkipped())
            return;
        g_renderer.createCgContext();
        resetMatrices();
    }
    void TearDown() override
    {
        g_renderer.disableShaders();
        GLTest::TearDown();
    }

    static void expectCompiledCleanly(int32_t k, const std::string& file)
    {
        CGprogram program = g_renderer.programs[k];
        ASSERT_NE(program, nullptr) << file;
        EXPECT_TRUE(cgIsProgramCompiled(program)) << file << ": " << cgGetProgramListing(program);
        EXPECT_STREQ(cgGetProgramListing(program), "") << file;
    }

    // A render target of size x size with two outputs resolving into textures 
    // picture and glow.
    static void makeSceneTarget(int32_t slot, int size, int32_t picture, int32_t glow)
    {
        makeBlankTexture(g_renderer, picture, size, size);
        makeBlankTexture(g_renderer, glow, size, size);
        g_renderer.createRenderTarget(slot, size, size, 0);
        g_renderer.attachTexture(slot, 0, picture);
        g_renderer.attachTexture(slot, 1, glow);
        g_renderer.endRenderTarget();
    }

    static void beginScene(int32_t slot, int size)
    {
        glViewport(0, 0, size, size);
        g_renderer.beginRenderTarget(slot, 2);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    static void endScene(int32_t slot, int size)
    {
        g_renderer.resolveRenderTarget(slot, size, size, 2, false);
        g_renderer.endRenderTarget();
        glViewport(0, 0, kWidth, kHeight);
    }
};

}  // namespace

TEST_F(BuiltShaderTest, EveryShaderCompilesAndLinksWithAnEmptyLog)
{
    for (const auto& pair : builtPairs()) {
        g_renderer.loadShaderPair(builtShader(pair.vertex).c_str(), builtShader(pair.fragment).c_str(), pair.slot);
        expectCompiledCleanly(pair.slot, pair.vertex);
        expectCompiledCleanly(pair.slot + 1, pair.fragment);
        EXPECT_EQ(cgGetProgramProfile(g_renderer.programs[pair.slot]), g_renderer.vertexProfile);
        // The vertex stage takes all three matrices the engine binds.
        EXPECT_NE(g_renderer.parameters[pair.slot][5], nullptr) << pair.vertex << ": ModelViewProj";
        EXPECT_NE(g_renderer.parameters[pair.slot][6], nullptr) << pair.vertex << ": ModelViewLightProj";
        EXPECT_NE(g_renderer.parameters[pair.slot][14], nullptr) << pair.vertex << ": ModelViewObject";
    }
    for (const auto& [file, slot] : builtScreenPrograms()) {
        g_renderer.loadScreenShader(builtShader(file).c_str(), slot);
        expectCompiledCleanly(slot, file);
    }
}

namespace {

constexpr int kSize = 32;
constexpr int32_t kSource = 300;  // the picture a pass reads
constexpr int32_t kSecond = 301;
constexpr int32_t kThird = 302;
constexpr int32_t kOut = 303;    // the pass's own picture
constexpr int32_t kSlot = 4;

// Black with a white 4 x 4 block whose lower left corner is at (x, y).
std::array<uint8_t, 4> block(int px, int py, int x, int y)
{
    const bool in = px >= x && px < x + 4 && py >= y && py < y + 4;
    const uint8_t v = in ? 255 : 0;
    return {v, v, v, 255};
}

class ScreenPassTest : public BuiltShaderTest {
protected:
    void SetUp() override
    {
        BuiltShaderTest::SetUp();
        if (IsSkipped())
            return;
        makeBlankTexture(g_renderer, kOut, kSize, kSize);
        g_renderer.createRenderTarget(kSlot, kSize, kSize, 0);
        g_renderer.attachTexture(kSlot, 0, kOut);
        g_renderer.endRenderTarget();
    }

    std::vector<uint8_t> run(const char* file, int32_t k, int32_t second = -1, int32_t third = -1)
    {
        g_renderer.loadScreenShader(builtShader(file).c_str(), k);
        return runLoaded(k, second, third);
    }

    // The pass with program k as it is, parameters and all.
    std::vector<uint8_t> runLoaded(int32_t k, int32_t second = -1, int32_t third = -1)
    {
        g_renderer.runScreenPass(k, kSlot, 1, kSize, kSize, kSource, kOut, second, third);
        glViewport(0, 0, kWidth, kHeight);
        GLint framebuffer = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
        EXPECT_EQ(framebuffer, 0);
        return textureBytes(g_renderer, kOut, kSize, kSize);
    }

    static int red(const std::vector<uint8_t>& rgba, int x, int y) { return rgba[(y * kSize + x) * 4]; }

    static double redSum(const std::vector<uint8_t>& rgba)
    {
        double sum = 0;
        for (size_t i = 0; i < rgba.size(); i += 4)
            sum += rgba[i];
        return sum;
    }
};

}  // namespace

TEST_F(ScreenPassTest, RoundBlursSpreadABlockAndKeepItsLight)
{
    for (const auto& [file, k] : {std::pair{"fragment_blur256.cpp", 7023}, {"fragment_Blur_circular.cpp", 7021}}) {
        makeTexture(g_renderer, kSource, kSize, kSize, [](int x, int y) { return block(x, y, 14, 14); });
        const auto out = run(file, k);
        EXPECT_GT(red(out, 15, 15), 60) << file;   // the block is still there
        EXPECT_LT(red(out, 15, 15), 250) << file;  // but softened
        EXPECT_GT(red(out, 12, 15), 0) << file;    // light has spread out of it on every side
        EXPECT_GT(red(out, 19, 15), 0) << file;
        EXPECT_GT(red(out, 15, 12), 0) << file;
        EXPECT_GT(red(out, 15, 19), 0) << file;
        EXPECT_EQ(red(out, 2, 2), 0) << file;  // and not far
        EXPECT_NEAR(redSum(out) / (16 * 255.0), 1.0, 0.12) << file;
        EXPECT_EQ(out[3], 255) << file;
    }
}

TEST_F(ScreenPassTest, FieldOfViewBlurSmearsTowardTheCentreOnly)
{
    makeTexture(g_renderer, kSource, kSize, kSize, [](int x, int y) { return block(x, y, 22, 14); });
    const auto out = run("fragment_blur256FOV.cpp", 7029);
    EXPECT_GT(red(out, 23, 15), 60);
    EXPECT_GT(red(out, 26, 15), 0);  // streaks run outward from the block
    EXPECT_EQ(red(out, 20, 15), 0);  // and not toward the centre
    EXPECT_EQ(red(out, 24, 22), 0);  // nor sideways
    EXPECT_GT(redSum(out), 0.5 * 16 * 255);

    // The centre of the picture stays sharp.
    makeTexture(g_renderer, kSource, kSize, kSize, [](int x, int y) { return block(x, y, 14, 14); });
    const auto centre = run("fragment_blur256FOV.cpp", 7029);
    EXPECT_GT(red(centre, 15, 15), 230);
    EXPECT_EQ(red(centre, 12, 15), 0);
}

TEST_F(ScreenPassTest, CombineBloomsTheGlowOverThePicture)
{
    makeTexture(g_renderer, kSource, kSize, kSize, [](int x, int y) { return block(x, y, 4, 4); });
    makeTexture(g_renderer, kSecond, kSize, kSize, [](int, int) { return std::array<uint8_t, 4>{0, 0, 0, 255}; });
    makeTexture(g_renderer, kThird, kSize, kSize, [](int x, int y) { return block(x, y, 20, 20); });
    const auto out = run("fragment_wireframe.cpp", 7027, kSecond, kThird);
    EXPECT_GT(red(out, 5, 5), 240);    // the picture comes through
    EXPECT_GT(red(out, 21, 21), 150);  // the glow is added
    EXPECT_GT(red(out, 18, 21), 0);    // and blooms past its edge
    EXPECT_EQ(red(out, 12, 28), 0);    // black stays black
}

TEST_F(ScreenPassTest, BendWarpsInAndThenStaysNearlyStill)
{
    const auto stripes = [](int x, int) {
        const uint8_t v = (x / 4) % 2 ? 200 : 0;
        return std::array<uint8_t, 4>{v, v, v, 255};
    };
    makeTexture(g_renderer, kSource, kSize, kSize, stripes);
    makeTexture(g_renderer, kSecond, kSize, kSize, [](int, int) { return std::array<uint8_t, 4>{0, 0, 0, 255}; });
    const auto bendWith = [&](double alpha, double right, double up) {
        g_renderer.loadScreenShader(builtShader("fragment_bend3.cpp").c_str(), 7031);
        g_renderer.setFloatParameter(7031, "alpha", alpha);
        g_renderer.setFloatParameter(7031, "RightV", right);
        g_renderer.setFloatParameter(7031, "UpV", up);
        return runLoaded(7031, kSecond);
    };
    const auto settled = bendWith(0.2, 0, 0);
    // Settled, the middle of the picture is the picture.
    int same = 0;
    for (int x = 10; x < 22; ++x)
        same += std::abs(red(settled, x, 16) - stripes(x, 16)[0]) < 40;
    EXPECT_GE(same, 10);

    const auto warping = bendWith(1.4, 0, 0);
    int changed = 0;
    for (int x = 0; x < kSize; ++x)
        changed += std::abs(red(warping, x, 16) - red(settled, x, 16)) > 30;
    EXPECT_GT(changed, 4);

    // A shake far out of range moves the picture only a little.
    const auto shaken = bendWith(0.2, 1e6, -1e6);
    int moved = 0;
    for (int x = 10; x < 22; ++x)
        moved += std::abs(red(shaken, x, 16) - red(settled, x, 16)) > 40;
    EXPECT_LE(moved, 4);
}

namespace {

constexpr int kSceneSize = 64;
constexpr int32_t kPicture = 310;
constexpr int32_t kGlow = 311;
constexpr int32_t kThrown = 312;  // the projected picture
constexpr int32_t kSceneSlot = 5;
constexpr int32_t kQuadModel = 12;

class PairDrawTest : public BuiltShaderTest {
protected:
    void SetUp() override
    {
        BuiltShaderTest::SetUp();
        if (IsSkipped())
            return;
        makeSceneTarget(kSceneSlot, kSceneSize, kPicture, kGlow);
        for (const auto& pair : builtPairs())
            g_renderer.loadShaderPair(builtShader(pair.vertex).c_str(), builtShader(pair.fragment).c_str(),
                                      pair.slot);
        g_renderer.nearPlane = 1.0;
        g_renderer.farPlane = 100.0;
        g_renderer.modelAngle = 0.0;
        g_renderer.modelScale = makeVec3(1, 1, 1);
        g_renderer.drawnFraction = 1.0f;
    }

    // Perspective looking down -z at the origin from z = 14.
    static void lookAtOrigin()
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(55.0, 1.0, 1.0, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 0, 14, 0, 0, 0, 0, 1, 0);
    }

    // The OBJ mesh drawn as the game draws an entity: colour, placement in the
    // model-view matrix, the model-view-projection bound, then the mesh.
    std::pair<size_t, size_t> drawEntity(ObjMesh& mesh, int32_t k, const char* name, double value)
    {
        beginScene(kSceneSlot, kSceneSize);
        lookAtOrigin();
        glEnable(GL_DEPTH_TEST);
        g_renderer.enableShaders();
        g_renderer.bindProgram(k);
        g_renderer.bindProgram(k + 1);
        g_renderer.setFloatParameter(k + 1, "planecut", 0.0);
        g_renderer.setFloatParameter(k + 1, name, value);
        glColor3f(0.02f, 0.04f, 0.03f);
        glPushMatrix();
        glRotated(30.0, 1, 1, 0);
        g_renderer.bindModelViewProjection(k, 5);
        g_renderer.drawMesh(mesh);
        glPopMatrix();
        g_renderer.disableShaders();
        glDisable(GL_DEPTH_TEST);
        endScene(kSceneSlot, kSceneSize);
        return {litPixelCount(textureBytes(g_renderer, kPicture, kSceneSize, kSceneSize)),
                litPixelCount(textureBytes(g_renderer, kGlow, kSceneSize, kSceneSize))};
    }
};

// A cube of side 6 (an entity's size) around the origin, in the reader's OBJ subset.
const char* kCube =
    "o cube\n"
    "v -3 -3 -3\nv 3 -3 -3\nv 3 3 -3\nv -3 3 -3\nv -3 -3 3\nv 3 -3 3\nv 3 3 3\nv -3 3 3\n"
    "vt 0 0\n"
    "f 1/1 2/1 3/1 4/1\nf 5/1 8/1 7/1 6/1\nf 1/1 5/1 6/1 2/1\nf 4/1 3/1 7/1 8/1\nf 1/1 4/1 8/1 5/1\nf 2/1 6/1 7/1 3/1\n";

// A 3DS quad of 4 x 4 around the origin, and a bright picture to throw on it.
void loadQuadScenery()
{
    TestScene scene;
    TestMesh quad = quadMesh("quad", "");
    for (auto& v : quad.vertices)
        v = {v.x * 4 - 2, v.y * 4 - 2, 0};
    scene.meshes.push_back(quad);
    const auto bytes = write3ds(scene);
    ASSERT_TRUE(g_renderer.model(kQuadModel).loadFromMemory(bytes.data(), bytes.size()));
    makeTexture(g_renderer, kThrown, 8, 8, [](int, int) { return std::array<uint8_t, 4>{255, 240, 220, 255}; });
}

// The quad through the projected-light pass, seen from z = 4, lit from the left.
void drawQuadScenery(int32_t k)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(55.0, 1.0, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    g_renderer.camera = CameraRecord{makeVec3(0, 0, 4), makeVec3(0, 0, 0), makeVec3(0, 1, 0)};
    const CameraRecord light{makeVec3(-1, 0.5f, 5), makeVec3(0, 0, 0), makeVec3(0, 1, 0)};
    g_renderer.drawProjectedLight(kQuadModel, kThrown, kThrown, k, g_renderer.camera, light, 0.0);
    glDisable(GL_LIGHTING);
}

}  // namespace

TEST_F(PairDrawTest, ProjectedLightPassWritesPictureAndGlow)
{
    loadQuadScenery();
    for (int32_t k : {7046, 7002, 7034, 7042}) {
        beginScene(kSceneSlot, kSceneSize);
        drawQuadScenery(k);
        endScene(kSceneSlot, kSceneSize);

        const auto picture = textureBytes(g_renderer, kPicture, kSceneSize, kSceneSize);
        const auto glow = textureBytes(g_renderer, kGlow, kSceneSize, kSceneSize);
        EXPECT_GT(litPixelCount(picture), kSceneSize * kSceneSize / 2u) << "pair " << k;
        EXPECT_GT(litPixelCount(glow), 0u) << "pair " << k;
        const size_t centre = (kSceneSize / 2 * kSceneSize + kSceneSize / 2) * 4;
        EXPECT_GT(picture[centre] + picture[centre + 1] + picture[centre + 2], 150) << "pair " << k;
    }
}

TEST_F(PairDrawTest, PlanecutDissolvesAnEntityAndKeepsAHotEdge)
{
    ObjMesh cube;
    cube.loadObjText(kCube, -1);
    ASSERT_EQ(cube.objects.size(), 1u);

    const auto whole = drawEntity(cube, 7046, "planecut", 0.0);
    EXPECT_GT(whole.first, 300u);
    // The game's dim colour (0.02, 0.04, 0.03) is brought up to a visible level.
    const auto bytes = textureBytes(g_renderer, kPicture, kSceneSize, kSceneSize);
    EXPECT_GT(*std::max_element(bytes.begin(), bytes.end() - 1), 60);
    EXPECT_GT(whole.second, 100u);  // the edges glow
    const auto cut = drawEntity(cube, 7046, "planecut", 0.9);
    EXPECT_GT(cut.first, 0u);
    EXPECT_LT(cut.first, whole.first / 2);
    EXPECT_GT(cut.second, 0u);
    const auto gone = drawEntity(cube, 7046, "planecut", 1.0);
    EXPECT_EQ(gone.first, 0u);
    EXPECT_EQ(gone.second, 0u);
}

TEST_F(PairDrawTest, HolesPunchTheRingsMoreAsTheyRise)
{
    ObjMesh ring;
    ring.loadObjText(readText(builtAsset("meshes/gear.obj")), -1);
    ASSERT_FALSE(ring.objects.empty());
    // The ring seen from its axis, from far enough to hold it whole.
    const auto drawRing = [&](double holes) {
        beginScene(kSceneSlot, kSceneSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(55.0, 1.0, 1.0, 200.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(30, 10, 20, 0, 6, 0, 0, 1, 0);
        g_renderer.enableShaders();
        g_renderer.bindProgram(7002);
        g_renderer.bindProgram(7003);
        g_renderer.setFloatParameter(7003, "planecut", 0.0);
        g_renderer.setFloatParameter(7003, "holes", holes);
        glColor3f(0.02f, 0.02f, 0.02f);
        g_renderer.bindModelViewProjection(7002, 5);
        g_renderer.drawMesh(ring);
        g_renderer.disableShaders();
        endScene(kSceneSlot, kSceneSize);
        return litPixelCount(textureBytes(g_renderer, kPicture, kSceneSize, kSceneSize));
    };
    const size_t solid = drawRing(0.0);
    const size_t few = drawRing(1.0);
    const size_t many = drawRing(5.0);
    EXPECT_GT(solid, 200u);
    EXPECT_LE(few, solid);
    EXPECT_LT(many, few);
    EXPECT_GT(many, solid / 4);
}

// The scenery passes share the entity and ring programs, whose "planecut" and
// "holes" still hold the last entity's or ring's values: the scenery (which
// brings a texture-space vector) is never cut, while a mesh drawn after it is.
TEST_F(PairDrawTest, SceneryIsNeverCutByTheValuesLeftOnItsProgram)
{
    loadQuadScenery();
    ObjMesh cube;
    cube.loadObjText(kCube, -1);
    for (int32_t k : {7046, 7002}) {
        g_renderer.setFloatParameter(k + 1, "planecut", 0.0);
        g_renderer.setFloatParameter(k + 1, "holes", 0.0);
        beginScene(kSceneSlot, kSceneSize);
        drawQuadScenery(k);
        endScene(kSceneSlot, kSceneSize);
        const size_t uncut = litPixelCount(textureBytes(g_renderer, kPicture, kSceneSize, kSceneSize));

        g_renderer.setFloatParameter(k + 1, "planecut", 1.0);
        g_renderer.setFloatParameter(k + 1, "holes", 5.0);
        beginScene(kSceneSlot, kSceneSize);
        drawQuadScenery(k);
        endScene(kSceneSlot, kSceneSize);
        EXPECT_EQ(litPixelCount(textureBytes(g_renderer, kPicture, kSceneSize, kSceneSize)), uncut) << k;

        // The arrays of the scenery pass leave nothing behind that would make
        // the next mesh look like scenery.
        EXPECT_EQ(drawEntity(cube, k, "planecut", 1.0).first, 0u) << k;
    }
}
