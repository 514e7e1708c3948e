// The camera record of the Renderer and its look-at.
#include <gtest/gtest.h>

#include <memory>

#include "render/gl_state.h"
#include "render/renderer.h"
#include "support/gl_fixture.h"

namespace {

void expectKindOne(const CameraRecord& record)
{
    EXPECT_EQ(record.eye.kind, VEC_PLAIN);
    EXPECT_EQ(record.centre.kind, VEC_PLAIN);
    EXPECT_EQ(record.up.kind, VEC_PLAIN);
}

TEST(Camera, SetCameraNarrowsAndLeavesKindOne)
{
    auto r = std::make_unique<Renderer>();
    r->camera.eye.kind = VEC_UNDEFINED;
    r->camera.centre.kind = VEC_UNIT;
    r->camera.up.kind = 7;
    r->setCamera(0.1, 15.0, -50.0, 0.0, 2.0, 300.0, -0.01, 1.0, 0.0);
    expectKindOne(r->camera);
    EXPECT_EQ(r->camera.eye.x, 0.1f);
    EXPECT_EQ(r->camera.eye.z, -50.0f);
    EXPECT_EQ(r->camera.centre.z, 300.0f);
    EXPECT_EQ(r->camera.up.x, -0.01f);
    EXPECT_EQ(r->camera.up.y, 1.0f);
}

class CameraGLTest : public GLTest {};

TEST_F(CameraGLTest, ApplyCameraMultipliesTheCurrentMatrixByTheLookAt)
{
    auto r = std::make_unique<Renderer>();
    r->setCamera(1.0, 15.0, -50.0, 0.0, 0.0, 0.0, -0.2, 1.0, 0.0);
    resetDrawingState();
    glTranslatef(1.0f, 2.0f, 3.0f);
    gluLookAt(1.0, 15.0, -50.0, 0.0, 0.0, 0.0, -0.2f, 1.0, 0.0);
    const auto expected = readMatrix(GL_MODELVIEW_MATRIX);

    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, 3.0f);
    r->applyCamera();
    const auto actual = readMatrix(GL_MODELVIEW_MATRIX);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "element " << i;
    glLoadIdentity();
}

}  // namespace
