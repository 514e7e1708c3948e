// The unit quad, texture binding by index and the small state helpers.
#include <gtest/gtest.h>

#include <memory>

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

    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace
