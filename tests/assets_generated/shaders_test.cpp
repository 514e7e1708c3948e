// The built shader programs: each compiles and links on Mesa with an empty
// log; the bend's shake is bounded; the pairs write both outputs of a render
// target, and only entities (never the scenery) are cut. How the passes look
// in the game is checked by the reference frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "assets/l3ds/l3ds.h"
#include "assets/l3ds/l3ds_writer.h"
#include "assets/obj_mesh.h"
#include "assets_generated/built_assets.h"
#include "render/gl_state.h"
#include "support/gl_fixture.h"

namespace {

struct BuiltPair {
    const char* vertex;
    const char* fragment;
    int32_t slot;  // the game's program slot for it
};

// The game's pairs and screen programs, by the names it loads them with.
const BuiltPair kPairs[] = {
    {"vertex_boatg.cpp", "fragment_projection_anisotropic2hg.cpp", 7002},
    {"vertex_boat.cpp", "fragment_projection_anisotropic2box.cpp", 7042},
    {"vertex_boatg.cpp", "fragment_projection_anisotropic2hg2.cpp", 7034},
    {"vertex_boatg.cpp", "fragment_projection_anisotropic2hg2sprite.cpp", 7046},
};
const std::pair<const char*, int32_t> kScreenPrograms[] = {
    {"fragment_blur256.cpp", 7023}, {"fragment_blur256FOV.cpp", 7029}, {"fragment_Blur_circular.cpp", 7021},
    {"fragment_bend3.cpp", 7031},   {"fragment_wireframe.cpp", 7027},
};

std::string builtShader(const std::string& name) { return builtAsset("cgeffects/" + name); }

class BuiltShaderTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (IsSkipped())
            return;
        g_renderer.createCgContext();
        resetDrawingState();
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
};

}  // namespace

TEST_F(BuiltShaderTest, EveryShaderCompilesAndLinksWithAnEmptyLog)
{
    for (const auto& pair : kPairs) {
        g_renderer.loadShaderPair(builtShader(pair.vertex).c_str(), builtShader(pair.fragment).c_str(), pair.slot);
        expectCompiledCleanly(pair.slot, pair.vertex);
        expectCompiledCleanly(pair.slot + 1, pair.fragment);
        EXPECT_EQ(cgGetProgramProfile(g_renderer.programs[pair.slot]), g_renderer.vertexProfile);
        // The vertex stage takes all three matrices the engine binds.
        EXPECT_NE(g_renderer.parameters[pair.slot][5], nullptr) << pair.vertex << ": ModelViewProj";
        EXPECT_NE(g_renderer.parameters[pair.slot][6], nullptr) << pair.vertex << ": ModelViewLightProj";
        EXPECT_NE(g_renderer.parameters[pair.slot][14], nullptr) << pair.vertex << ": ModelViewObject";
    }
    for (const auto& [file, slot] : kScreenPrograms) {
        g_renderer.loadScreenShader(builtShader(file).c_str(), slot);
        expectCompiledCleanly(slot, file);
    }
}

TEST_F(BuiltShaderTest, BendStaysNearlyStillWhateverTheShake)
{
    constexpr int kSize = 32;
    constexpr int32_t kSource = 300, kSecond = 301, kOut = 303, kSlot = 4;
    makeSolidTexture(g_renderer, kOut, kSize, {0, 0, 0, 0});
    g_renderer.createRenderTarget(kSlot, kSize, kSize, 0);
    g_renderer.attachTexture(kSlot, 0, kOut);
    g_renderer.endRenderTarget();
    makeTexture(g_renderer, kSource, kSize, kSize, [](int x, int) {
        const uint8_t v = (x / 4) % 2 ? 200 : 0;
        return std::array<uint8_t, 4>{v, v, v, 255};
    });
    makeSolidTexture(g_renderer, kSecond, kSize, {0, 0, 0, 255});
    g_renderer.loadScreenShader(builtShader("fragment_bend3.cpp").c_str(), 7031);
    // The middle row of the settled pass, with the camera's shake as given.
    const auto middleRow = [&](double right, double up) {
        g_renderer.setFloatParameter(7031, "alpha", 0.2);
        g_renderer.setFloatParameter(7031, "RightV", right);
        g_renderer.setFloatParameter(7031, "UpV", up);
        g_renderer.runScreenPass(7031, kSlot, 1, kSize, kSize, kSource, kOut, kSecond, -1);
        glViewport(0, 0, kWidth, kHeight);
        const auto rgba = textureBytes(g_renderer, kOut, kSize, kSize);
        std::vector<int> row;
        for (int x = 10; x < 22; ++x)
            row.push_back(rgba[(16 * kSize + x) * 4]);
        return row;
    };
    const auto settled = middleRow(0, 0);
    const auto shaken = middleRow(1e6, -1e6);  // far out of range: moves the picture only a little
    int same = 0, moved = 0;
    for (int i = 0; i < 12; ++i) {
        same += std::abs(settled[i] - ((10 + i) / 4 % 2 ? 200 : 0)) < 40;
        moved += std::abs(shaken[i] - settled[i]) > 40;
    }
    EXPECT_GE(same, 10);  // settled, the middle of the picture is the picture
    EXPECT_LE(moved, 4);
}

namespace {

constexpr int kSceneSize = 64;
constexpr int32_t kPicture = 310;
constexpr int32_t kGlow = 311;
constexpr int32_t kThrown = 312;  // the projected picture
constexpr int32_t kSceneSlot = 5;
constexpr int32_t kQuadModel = 12;

// A cube of side 6 (an entity's size) around the origin, in the reader's OBJ subset.
const char* kCube =
    "o cube\n"
    "v -3 -3 -3\nv 3 -3 -3\nv 3 3 -3\nv -3 3 -3\nv -3 -3 3\nv 3 -3 3\nv 3 3 3\nv -3 3 3\n"
    "vt 0 0\n"
    "f 1/1 2/1 3/1 4/1\nf 5/1 8/1 7/1 6/1\nf 1/1 5/1 6/1 2/1\nf 4/1 3/1 7/1 8/1\nf 1/1 4/1 8/1 5/1\nf 2/1 6/1 7/1 3/1\n";

// Draws into a scene target with two outputs; returns the lit pixels of each.
class PairDrawTest : public BuiltShaderTest {
protected:
    void SetUp() override
    {
        BuiltShaderTest::SetUp();
        if (IsSkipped())
            return;
        makeSolidTexture(g_renderer, kPicture, kSceneSize, {0, 0, 0, 0});
        makeSolidTexture(g_renderer, kGlow, kSceneSize, {0, 0, 0, 0});
        g_renderer.createRenderTarget(kSceneSlot, kSceneSize, kSceneSize, 0);
        g_renderer.attachTexture(kSceneSlot, 0, kPicture);
        g_renderer.attachTexture(kSceneSlot, 1, kGlow);
        g_renderer.endRenderTarget();
        for (const auto& pair : kPairs)
            g_renderer.loadShaderPair(builtShader(pair.vertex).c_str(), builtShader(pair.fragment).c_str(),
                                      pair.slot);
        g_renderer.nearPlane = 1.0;
        g_renderer.farPlane = 100.0;
        g_renderer.modelAngle = 0.0;
        g_renderer.modelScale = makeVec3(1, 1, 1);
        g_renderer.drawnFraction = 1.0f;
        cube.loadObjText(kCube, -1);
    }

    template <typename Draw>
    std::pair<size_t, size_t> drawScene(Draw draw)
    {
        glViewport(0, 0, kSceneSize, kSceneSize);
        g_renderer.beginRenderTarget(kSceneSlot, 2);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(55.0, 1.0, 1.0, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        draw();
        g_renderer.resolveRenderTarget(kSceneSlot, kSceneSize, kSceneSize, 2, false);
        g_renderer.endRenderTarget();
        glViewport(0, 0, kWidth, kHeight);
        return {litPixelCount(textureBytes(g_renderer, kPicture, kSceneSize, kSceneSize)),
                litPixelCount(textureBytes(g_renderer, kGlow, kSceneSize, kSceneSize))};
    }

    // The cube drawn as the game draws an entity: colour, placement in the
    // model-view matrix, the model-view-projection bound, then the mesh.
    std::pair<size_t, size_t> drawEntity(int32_t k, double planecut)
    {
        return drawScene([&] {
            gluLookAt(0, 0, 14, 0, 0, 0, 0, 1, 0);
            glEnable(GL_DEPTH_TEST);
            g_renderer.enableShaders();
            g_renderer.bindProgram(k);
            g_renderer.bindProgram(k + 1);
            g_renderer.setFloatParameter(k + 1, "planecut", planecut);
            glColor3f(0.02f, 0.04f, 0.03f);
            glRotated(30.0, 1, 1, 0);
            g_renderer.bindModelViewProjection(k, 5);
            g_renderer.drawMesh(cube);
            g_renderer.disableShaders();
            glDisable(GL_DEPTH_TEST);
        });
    }

    // A 3DS quad of 4 x 4 around the origin through the projected-light pass,
    // seen from z = 4, lit from the left by a bright picture.
    std::pair<size_t, size_t> drawScenery(int32_t k)
    {
        return drawScene([&] {
            g_renderer.camera = CameraRecord{makeVec3(0, 0, 4), makeVec3(0, 0, 0), makeVec3(0, 1, 0)};
            const CameraRecord light{makeVec3(-1, 0.5f, 5), makeVec3(0, 0, 0), makeVec3(0, 1, 0)};
            g_renderer.drawProjectedLight(kQuadModel, kThrown, kThrown, k, g_renderer.camera, light, 0.0);
            glDisable(GL_LIGHTING);
        });
    }

    ObjMesh cube;
};

}  // namespace

TEST_F(PairDrawTest, PlanecutDissolvesAnEntityAndKeepsAHotEdge)
{
    ASSERT_EQ(cube.objects.size(), 1u);
    const auto whole = drawEntity(7046, 0.0);
    EXPECT_GT(whole.first, 300u);
    // The game's dim colour (0.02, 0.04, 0.03) is brought up to a visible level.
    const auto bytes = textureBytes(g_renderer, kPicture, kSceneSize, kSceneSize);
    EXPECT_GT(*std::max_element(bytes.begin(), bytes.end() - 1), 60);
    EXPECT_GT(whole.second, 100u);  // the edges glow
    const auto cut = drawEntity(7046, 0.9);
    EXPECT_GT(cut.first, 0u);
    EXPECT_LT(cut.first, whole.first / 2);
    EXPECT_GT(cut.second, 0u);
    const auto gone = drawEntity(7046, 1.0);
    EXPECT_EQ(gone.first, 0u);
    EXPECT_EQ(gone.second, 0u);
}

// Every pair draws the scenery into both outputs. The scenery passes share the
// entity and ring programs, whose "planecut" and "holes" still hold the last
// entity's or ring's values: the scenery (which brings a texture-space vector)
// is never cut, while a mesh drawn after it is.
TEST_F(PairDrawTest, SceneryLightsBothOutputsAndIsNeverCut)
{
    TestScene scene;
    TestMesh quad = quadMesh("quad", "");
    for (auto& v : quad.vertices)
        v = {v.x * 4 - 2, v.y * 4 - 2, 0};
    scene.meshes.push_back(quad);
    const auto bytes = write3ds(scene);
    ASSERT_TRUE(g_renderer.model(kQuadModel).loadFromMemory(bytes.data(), bytes.size()));
    makeSolidTexture(g_renderer, kThrown, 8, {255, 240, 220, 255});

    for (const auto& pair : kPairs) {
        const int32_t k = pair.slot;
        g_renderer.setFloatParameter(k + 1, "planecut", 0.0);
        g_renderer.setFloatParameter(k + 1, "holes", 0.0);
        const auto uncut = drawScenery(k);
        EXPECT_GT(uncut.first, kSceneSize * kSceneSize / 2u) << k;
        EXPECT_GT(uncut.second, 0u) << k;
        const auto picture = textureBytes(g_renderer, kPicture, kSceneSize, kSceneSize);
        const size_t centre = (kSceneSize / 2 * kSceneSize + kSceneSize / 2) * 4;
        EXPECT_GT(picture[centre] + picture[centre + 1] + picture[centre + 2], 150) << k;

        g_renderer.setFloatParameter(k + 1, "planecut", 1.0);
        g_renderer.setFloatParameter(k + 1, "holes", 5.0);
        EXPECT_EQ(drawScenery(k).first, uncut.first) << k;
        // The arrays of the scenery pass leave nothing behind that would make
        // the next mesh look like scenery.
        if (k == 7046 || k == 7002) {
            EXPECT_EQ(drawEntity(k, 1.0).first, 0u) << k;
        }
    }
}
