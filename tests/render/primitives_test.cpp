// The unit quad, texture binding by index and the small state helpers.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "render/gl_state.h"
#include "render/renderer.h"
#include "support/gl_fixture.h"

namespace {

class PrimitivesTest : public GLTest {
protected:
    std::unique_ptr<Renderer> r;

    void SetUp() override
    {
        GLTest::SetUp();
        if (IsSkipped())
            return;
        r = std::make_unique<Renderer>();
        resetDrawingState();
    }

    static void expectMatrixNear(const std::array<float, 16>& actual, const std::array<float, 16>& expected)
    {
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "element " << i;
    }

    // Colour of one pixel as 0xRRGGBB.
    static unsigned colourAt(int x, int y)
    {
        uint8_t p[4];
        pixelAt(x, y, p);
        return (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2];
    }
};

TEST_F(PrimitivesTest, DrawQuadMirrorsTheTextureUnlessScaleXIsPositive)
{
    const GLuint texture = makeRowTexture({{255, 0, 0, 255}, {0, 0, 255, 255}});
    glEnable(GL_TEXTURE_2D);

    glPushMatrix();
    r->drawQuad(0.0, 1.0, 1.0, true);
    glPopMatrix();
    EXPECT_EQ(colourAt(10, 128), 0xFF0000u);
    EXPECT_EQ(colourAt(245, 128), 0x0000FFu);

    glClear(GL_COLOR_BUFFER_BIT);
    glPushMatrix();
    r->drawQuad(0.0, -1.0, 1.0, true);
    glPopMatrix();
    EXPECT_EQ(colourAt(10, 128), 0x0000FFu) << "negative scale mirrors the texture";
    EXPECT_EQ(colourAt(245, 128), 0xFF0000u) << "... and still covers the viewport";

    // Zero width: nothing to see.
    glClear(GL_COLOR_BUFFER_BIT);
    glPushMatrix();
    r->drawQuad(0.0, 0.0, 1.0, true);
    glPopMatrix();
    for (int x = 0; x < kWidth; x += 5)
        ASSERT_EQ(colourAt(x, 128), 0u) << "x " << x;

    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);
}

struct FeedbackVertex {
    float windowX;
    float s;
};

// The vertices drawQuad sends, caught in feedback mode (the GL may split the quad).
std::vector<FeedbackVertex> quadVertices(double scaleX)
{
    GLfloat buffer[512];
    glFeedbackBuffer(512, GL_3D_COLOR_TEXTURE, buffer);
    glRenderMode(GL_FEEDBACK);
    glPushMatrix();
    auto r = std::make_unique<Renderer>();
    r->drawQuad(0.0, scaleX, 1.0, true);
    glPopMatrix();
    const GLint count = glRenderMode(GL_RENDER);
    // Each polygon: GL_POLYGON_TOKEN, n, then n vertices of x, y, z, colour (4), texture (4).
    std::vector<FeedbackVertex> vertices;
    for (GLint i = 0; i + 1 < count && buffer[i] == GL_POLYGON_TOKEN;) {
        const int n = static_cast<int>(buffer[i + 1]);
        i += 2;
        for (int v = 0; v < n && i + 11 <= count; ++v, i += 11)
            vertices.push_back({buffer[i], buffer[i + 7]});
    }
    return vertices;
}

TEST_F(PrimitivesTest, DrawQuadTextureCoordinatesFollowTheSignOfScaleX)
{
    const auto plain = quadVertices(0.5);
    const auto mirrored = quadVertices(-0.5);
    ASSERT_GE(plain.size(), 4u);
    ASSERT_EQ(mirrored.size(), plain.size());
    for (const auto& v : plain)
        EXPECT_EQ(v.s, v.windowX > kWidth / 2 ? 1.0f : 0.0f) << "x " << v.windowX;
    for (const auto& v : mirrored)
        EXPECT_EQ(v.s, v.windowX > kWidth / 2 ? 0.0f : 1.0f) << "x " << v.windowX;

    // Zero width takes the mirrored coordinates, corner for corner.
    const auto flat = quadVertices(0.0);
    ASSERT_EQ(flat.size(), mirrored.size());
    for (size_t i = 0; i < flat.size(); ++i)
        EXPECT_EQ(flat[i].s, mirrored[i].s) << "vertex " << i;
}

TEST_F(PrimitivesTest, DrawQuadLeavesRotationAndScaleInTheMatrix)
{
    // Elements 3, 7, 11 and 15 are not part of the rotation and must survive.
    const std::array<float, 16> start = {0.0f, 2.0f, 0.0f, 0.1f,  -2.0f, 0.0f, 0.0f, 0.2f,
                                         0.0f, 0.0f, 2.0f, 0.3f, 1.0f,  2.0f, 3.0f, 1.5f};
    std::array<float, 16> faced = start;
    faced[0] = faced[5] = faced[10] = 1.0f;
    faced[1] = faced[2] = faced[4] = faced[6] = faced[8] = faced[9] = 0.0f;

    for (bool faceCamera : {true, false}) {
        glLoadMatrixf(faceCamera ? faced.data() : start.data());
        glRotated(30.0, 0.0, 0.0, 1.0);
        glScaled(2.0, 3.0, 0.0);
        const auto expected = readMatrix(GL_MODELVIEW_MATRIX);

        glLoadMatrixf(start.data());
        r->drawQuad(30.0, -2.0, 3.0, faceCamera);
        expectMatrixNear(readMatrix(GL_MODELVIEW_MATRIX), expected);
    }
    glLoadIdentity();
}

TEST_F(PrimitivesTest, CameraFacingQuadDropsTheModelViewRotation)
{
    // Turned 90 degrees, a wide quad would stand upright.
    glRotated(90.0, 0.0, 0.0, 1.0);
    glPushMatrix();
    r->drawQuad(0.0, 0.5, 0.25, true);
    glPopMatrix();
    EXPECT_EQ(colourAt(128 + 50, 128), 0xFFFFFFu);
    EXPECT_EQ(colourAt(128, 128 + 50), 0u);

    glClear(GL_COLOR_BUFFER_BIT);
    glPushMatrix();
    r->drawQuad(0.0, 0.5, 0.25, false);
    glPopMatrix();
    EXPECT_EQ(colourAt(128 + 50, 128), 0u);
    EXPECT_EQ(colourAt(128, 128 + 50), 0xFFFFFFu);
}

TEST_F(PrimitivesTest, BindTextureIndexIsRelativeBelow85000)
{
    GLuint names[4];
    glGenTextures(4, names);
    r->textureBase = 10;
    r->textureNames[15] = names[0];
    r->textureNames[85001] = names[1];
    r->textureNames[85011] = names[2];
    r->textureNames[85009] = names[3];

    GLint bound = 0;
    r->bindTextureIndex(5);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), names[0]);
    r->bindTextureIndex(85001);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), names[1]);
    r->bindTextureIndex(84999);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), names[3]);

    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(4, names);
}

TEST_F(PrimitivesTest, SetLinearFilteringSetsBothFilters)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    r->setLinearFiltering();
    GLint mag = 0;
    GLint min = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    EXPECT_EQ(mag, GL_LINEAR);
    EXPECT_EQ(min, GL_LINEAR);
    glDeleteTextures(1, &texture);
}

TEST_F(PrimitivesTest, ResetDrawStateReturnsToPlainDrawing)
{
    const GLenum caps[] = {GL_BLEND, GL_LIGHTING, GL_COLOR_MATERIAL, GL_LIGHT0, GL_TEXTURE_2D, GL_FOG};
    for (GLenum cap : caps)
        glEnable(cap);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    r->resetDrawState();
    for (GLenum cap : caps)
        EXPECT_FALSE(glIsEnabled(cap)) << "cap 0x" << std::hex << cap;
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (float c : colour)
        EXPECT_FLOAT_EQ(c, 1.0f);
}

TEST_F(PrimitivesTest, LoadBasisReplacesTheRotationOfTheTextureMatrix)
{
    const std::array<float, 16> texture = {0.0f, 1.0f, 0.0f, 0.5f,  -1.0f, 0.0f, 0.0f, 0.25f,
                                           0.0f, 0.0f, 3.0f, 0.125f, 7.0f, 8.0f, 9.0f, 2.0f};
    glMatrixMode(GL_TEXTURE);
    glLoadMatrixf(texture.data());
    glMatrixMode(GL_MODELVIEW);

    r->loadBasis(makeVec3(1, 0, 0), makeVec3(0, 1, 0), makeVec3(0, 0, 1));
    std::array<float, 16> expected = texture;
    expected[0] = expected[5] = expected[10] = 1.0f;
    expected[1] = expected[2] = expected[4] = expected[6] = expected[8] = expected[9] = 0.0f;
    expectMatrixNear(readMatrix(GL_MODELVIEW_MATRIX), expected);
    expectMatrixNear(readMatrix(GL_TEXTURE_MATRIX), texture);

    // Each axis fills one column.
    r->loadBasis(makeVec3(1, 2, 3), makeVec3(4, 5, 6), makeVec3(7, 8, 9));
    const auto m = readMatrix(GL_MODELVIEW_MATRIX);
    const float columns[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const int elements[9] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    for (int i = 0; i < 9; ++i)
        EXPECT_FLOAT_EQ(m[elements[i]], columns[i]);
    EXPECT_FLOAT_EQ(m[12], 7.0f);

    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace
