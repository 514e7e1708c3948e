// The unit quad and texture binding by index.
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

}  // namespace
