#include "support/gl_fixture.h"

#include <string>

#include "assets/l3ds/l3ds.h"
#include "assets/l3ds/l3ds_writer.h"
#include "assets/obj_mesh.h"
#include "render/gl_state.h"
#include "render/renderer.h"

namespace {

// Places a vertex the way the game's programs do: camera, then the placement.
const char* kVertexPlaced = R"(#version 120
uniform mat4 ModelViewProj;
uniform mat4 ModelViewObject;
void main() {
    gl_Position = ModelViewProj * (ModelViewObject * gl_Vertex);
    gl_TexCoord[0] = gl_MultiTexCoord0;
}
)";

// Shows the mesh's own colour texture.
const char* kFragmentMaterial = R"(#version 120
uniform sampler2D texture2;
void main() {
    gl_FragData[0] = texture2D(texture2, gl_TexCoord[0].xy);
    gl_FragData[1] = vec4(0.0);
}
)";

// Shows the mesh's normal map, lifted so that black shows as green.
const char* kFragmentNormalMap = R"(#version 120
uniform sampler2D texture;
void main() {
    gl_FragData[0] = texture2D(texture, gl_TexCoord[0].xy) + vec4(0.0, 0.5, 0.0, 0.0);
    gl_FragData[1] = vec4(0.0);
}
)";

class DrawTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (!g_renderer.cgContext)
            g_renderer.createCgContext();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2, 2, -2, 2, -10, 10);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        g_renderer.modelAngle = 0.0;
        g_renderer.modelScale = makeVec3(1, 1, 1);
        g_renderer.drawnFraction = 1.0f;
    }
    void TearDown() override
    {
        g_renderer.disableShaders();
        g_renderer.drawnFraction = 1.0f;
        GLTest::TearDown();
    }
    static size_t litPixels() { return litPixelCount(readPixels(0, 0, kWidth, kHeight)); }
};

const char* kTwoQuads =
    "o first\nv -1 -1 0\nv 0 -1 0\nv 0 0 0\nv -1 0 0\nvt 0 0\nf 1/1 2/1 3/1 4/1\n"
    "o second\nv 0.5 0.5 0\nv 1.5 0.5 0\nv 1.5 1.5 0\nvt 0 0\nf 5/1 6/1 7/1\n";

}  // namespace

TEST_F(DrawTest, DisplayListedMeshDrawsLikeImmediateModeThenOnlyCallsItsList)
{
    ObjMesh immediate;
    immediate.loadObjText(kTwoQuads, -1);
    g_renderer.drawMesh(immediate);
    EXPECT_TRUE(immediate.needsCompile);  // no list: nothing to record
    const auto expected = readPixels(0, 0, kWidth, kHeight);
    ASSERT_GT(litPixels(), 1000u);

    glClear(GL_COLOR_BUFFER_BIT);
    ObjMesh listed;
    listed.loadObjText(kTwoQuads, 4242);
    g_renderer.drawMesh(listed);
    EXPECT_FALSE(listed.needsCompile);
    EXPECT_TRUE(glIsList(4242));
    EXPECT_EQ(readPixels(0, 0, kWidth, kHeight), expected);

    // The second draw replays the list: what the mesh holds now does not matter.
    glClear(GL_COLOR_BUFFER_BIT);
    listed.objects.clear();
    g_renderer.drawMesh(listed);
    EXPECT_EQ(readPixels(0, 0, kWidth, kHeight), expected);
}

namespace {

class ModelDrawTest : public DrawTest {
protected:
    static constexpr int32_t kModel = 11;
    static constexpr int32_t kPair = 900;

    void SetUp() override
    {
        DrawTest::SetUp();
        // One textured quad covering x, y in 0 ... 1.
        TestScene scene;
        scene.materials.push_back({"mat", "QUAD.JPG", ""});
        scene.meshes.push_back(quadMesh("quad", "mat"));
        const auto bytes = write3ds(scene);
        L3DS& model = g_renderer.model(kModel);
        ASSERT_TRUE(model.loadFromMemory(bytes.data(), bytes.size()));
        model.meshTextureIndex = {0};
        const int32_t base = (kModel + 1000) * 100;
        makeSolidTexture(g_renderer, base, 4, {0, 200, 0, 255});        // colour texture of the mesh
        makeSolidTexture(g_renderer, base + 50, 4, {0, 0, 0, 255});     // its normal map
        g_renderer.loadShaderPair(writeShader("vertex_placed.cpp", kVertexPlaced).c_str(),
                                  writeShader("fragment_material.cpp", kFragmentMaterial).c_str(), kPair);
    }

    void drawWithPair(double time, int32_t pair = kPair)
    {
        g_renderer.enableShaders();
        g_renderer.bindProgram(pair);
        g_renderer.bindProgram(pair + 1);
        g_renderer.bindModelViewProjection(pair, 5);
        g_renderer.drawModel(kModel, 7, time, 0, 0, pair);
        g_renderer.disableShaders();
    }
};

}  // namespace

TEST_F(ModelDrawTest, PlacementGoesThroughTheTextureMatrix)
{
    g_renderer.modelAngle = 180.0;
    g_renderer.modelAxis = makeVec3(0, 0, 1);
    drawWithPair(0.0);
    g_renderer.modelAngle = 0.0;
    uint8_t p[4];
    pixelAt(kWidth * 3 / 8, kHeight * 3 / 8, p);  // turned half around the origin
    EXPECT_NEAR(p[1], 200, 2);
    pixelAt(kWidth * 5 / 8, kHeight * 5 / 8, p);
    EXPECT_EQ(p[1], 0);

    // Afterwards the texture matrix is the identity again and the arrays are off.
    GLfloat m[16];
    glMatrixMode(GL_TEXTURE);
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    glMatrixMode(GL_MODELVIEW);
    EXPECT_FLOAT_EQ(m[0], 1.0f);
    EXPECT_FLOAT_EQ(m[5], 1.0f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

TEST_F(ModelDrawTest, DrawnFractionZeroOrModelZeroDrawsNothing)
{
    g_renderer.drawnFraction = 0.0f;
    drawWithPair(0.0);
    EXPECT_EQ(litPixels(), 0u);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));  // mode 1 switched lighting on
    EXPECT_NE(g_renderer.parameters[kPair + 1][9], nullptr);  // the material sampler was set

    g_renderer.drawnFraction = 0.5f;  // the first of the two triangles
    drawWithPair(0.0);
    uint8_t p[4];
    pixelAt(kWidth * 5 / 8 + 20, kHeight * 5 / 8 - 10, p);  // below the diagonal: triangle 0
    EXPECT_NEAR(p[1], 200, 2);
    pixelAt(kWidth * 5 / 8 - 10, kHeight * 5 / 8 + 20, p);  // above it: triangle 1
    EXPECT_EQ(p[1], 0);

    glClear(GL_COLOR_BUFFER_BIT);  // above 1: the whole quad, and no read past its triangles
    g_renderer.drawnFraction = 3.0f;
    drawWithPair(0.0);
    pixelAt(kWidth * 5 / 8 - 10, kHeight * 5 / 8 + 20, p);
    EXPECT_NEAR(p[1], 200, 2);

    glClear(GL_COLOR_BUFFER_BIT);  // model 0 is no model
    g_renderer.drawnFraction = 1.0f;
    g_renderer.enableShaders();
    g_renderer.bindProgram(kPair);
    g_renderer.bindProgram(kPair + 1);
    g_renderer.drawModel(0, 7, 0.0, 0, 0, kPair);
    g_renderer.disableShaders();
    EXPECT_EQ(litPixels(), 0u);
    glDisable(GL_LIGHTING);
}

TEST_F(ModelDrawTest, ProjectedLightPassDrawsTheModelAndBalancesTheMatrices)
{
    makeSolidTexture(g_renderer, 700, 4, {90, 90, 90, 255});
    g_renderer.camera = CameraRecord{makeVec3(0.5f, 0.5f, 3), makeVec3(0.5f, 0.5f, 0), makeVec3(0, 1, 0)};
    g_renderer.nearPlane = 1.0;
    g_renderer.farPlane = 10.0;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 1.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    GLint depthBefore = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);

    g_renderer.drawProjectedLight(kModel, 700, 700, kPair, g_renderer.camera, g_renderer.camera, 0.0);

    GLint depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    uint8_t p[4];
    pixelAt(kWidth / 2, kHeight / 2, p);  // the quad fills the middle of the view
    EXPECT_NEAR(p[1], 200, 2);
    glDisable(GL_LIGHTING);
}

TEST_F(ModelDrawTest, AMeshWithoutANormalMapReadsBlackThereAsFromNoTexture)
{
    const int32_t mapIndex = (kModel + 1000) * 100 + 50;
    const GLuint map = g_renderer.textureEntry(mapIndex);
    g_renderer.textureEntry(mapIndex) = 0;  // the mesh has no normal map
    constexpr int32_t kMapPair = kPair + 2;
    g_renderer.loadShaderPair(writeShader("vertex_placed.cpp", kVertexPlaced).c_str(),
                              writeShader("fragment_normal_map.cpp", kFragmentNormalMap).c_str(), kMapPair);
    drawWithPair(0.0, kMapPair);
    uint8_t p[4];
    pixelAt(kWidth * 5 / 8, kHeight * 5 / 8, p);
    EXPECT_EQ(p[0], 0);
    EXPECT_NEAR(p[1], 128, 1);
    EXPECT_EQ(p[2], 0);

    // What it reads is a 1x1 RGB picture with the game's filtering, so the
    // draw's state is that of a mesh with an RGB normal map.
    const int unit = cgGetParameterTextureUnit(g_renderer.parameters[kMapPair + 1][8]);
    ASSERT_GE(unit, 0);
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    GLint bound = 0, width = 0, format = 0, minFilter = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(static_cast<GLuint>(bound), g_renderer.blackTexture);
    EXPECT_EQ(width, 1);
    EXPECT_TRUE(format == 3 || format == GL_RGB || format == GL_RGB8) << format;  // as the game uploads RGB
    EXPECT_EQ(minFilter, GL_LINEAR);
    g_renderer.textureEntry(mapIndex) = map;
    glDisable(GL_LIGHTING);
}
