// drawShadedText on the GLSL shader layer: the floor pass, the balanced
// stacks, and the letters drawn through the pair.
#include "support/gl_fixture.h"

#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "render/gl_state.h"
#include "render/renderer.h"

namespace {

// Letters placed by ModelViewObject; CameraPos and LightPos are kept alive so
// the floor pass can look them up.
const char* kVertexLetters = R"(#version 120
uniform mat4 ModelViewProj;
uniform mat4 ModelViewObject;
uniform vec3 CameraPos;
uniform vec3 LightPos;
void main()
{
    gl_Position = ModelViewProj * (ModelViewObject * gl_Vertex);
    gl_TexCoord[1] = vec4(CameraPos + LightPos, 1.0);
    gl_FrontColor = vec4(1.0);
}
)";

const char* kFragmentWhite = R"(#version 120
void main()
{
    gl_FragData[0] = vec4(1.0);
    gl_FragData[1] = vec4(0.0);
}
)";

constexpr int32_t kPair = 7046;

using Matrix = std::array<double, 16>;

Matrix currentMatrix(GLenum which)
{
    Matrix m{};
    glGetDoublev(which, m.data());
    return m;
}

GLint currentInteger(GLenum which)
{
    GLint value = 0;
    glGetIntegerv(which, &value);
    return value;
}

class ShadedTextTest : public GLTest {
protected:
    std::unique_ptr<Renderer> r;
    ShadedTextSource source;

    void SetUp() override
    {
        GLTest::SetUp();
        if (IsSkipped())
            return;
        if (g_renderer.fontListBase == 0)
            g_renderer.createOutlineFont();
        r = std::make_unique<Renderer>();
        r->createCgContext();
        r->fontListBase = g_renderer.fontListBase;
        std::copy(std::begin(g_renderer.glyphMetrics), std::end(g_renderer.glyphMetrics), r->glyphMetrics);
        releaseShaderStages();
        r->loadShaderPair(writeShader("vertex_letters.cpp", kVertexLetters).c_str(),
                          writeShader("fragment_white.cpp", kFragmentWhite).c_str(), kPair);
        source.floorModel = 0;  // no model: the pass draws nothing
        source.floorTexture = 7000;
        source.program = kPair;
        // Looking down -z at the origin; the view spans -40 ... 40 both ways.
        r->camera = {makeVec3(0, 0, 50), makeVec3(0, 0, 0), makeVec3(0, 1, 0)};
        r->light = {makeVec3(10, 20, 30), makeVec3(0, 0, 0), makeVec3(0, 1, 0)};
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-40, 40, -40, 40, 1, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
    }

    void TearDown() override
    {
        if (r)
            releaseShaderStages();
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        GLTest::TearDown();
    }

    // Ink per quarter of the view: {left bottom, right bottom, left top, right top}.
    static std::array<int, 4> inkByQuarter()
    {
        const std::vector<uint8_t> pixels = readPixels(0, 0, kWidth, kHeight);
        std::array<int, 4> ink{};
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (pixels[(static_cast<size_t>(y) * kWidth + x) * 4] > 0)
                    ++ink[(y >= kHeight / 2 ? 2 : 0) + (x >= kWidth / 2 ? 1 : 0)];
        return ink;
    }
};

}  // namespace

TEST_F(ShadedTextTest, NullFormatRunsTheFloorPassAndLeavesTheStacksBalanced)
{
    glTranslated(1.0, 2.0, 3.0);
    const Matrix modelView = currentMatrix(GL_MODELVIEW_MATRIX);
    const GLint modelViewDepth = currentInteger(GL_MODELVIEW_STACK_DEPTH);
    const GLint textureDepth = currentInteger(GL_TEXTURE_STACK_DEPTH);
    ASSERT_EQ(r->parameters[kPair][1], nullptr);
    ASSERT_EQ(r->parameters[kPair][2], nullptr);
    r->drawnFraction = 0.5f;
    r->modelScale = makeVec3(2, 2, 2);

    r->drawShadedText(source, 5.0, 0.0, 0.0, 0.0, nullptr);

    // The floor pass looked up and set the camera and light positions.
    EXPECT_NE(r->parameters[kPair][1], nullptr);
    EXPECT_NE(r->parameters[kPair][2], nullptr);
    EXPECT_EQ(currentInteger(GL_MODELVIEW_STACK_DEPTH), modelViewDepth);
    EXPECT_EQ(currentInteger(GL_TEXTURE_STACK_DEPTH), textureDepth);
    EXPECT_EQ(currentInteger(GL_ATTRIB_STACK_DEPTH), 0);
    EXPECT_EQ(currentInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(currentMatrix(GL_MODELVIEW_MATRIX), modelView);
    Matrix identity{};
    identity[0] = identity[5] = identity[10] = identity[15] = 1.0;
    EXPECT_EQ(currentMatrix(GL_TEXTURE_MATRIX), identity);
    // Placement left for the letters: whole and unscaled.
    EXPECT_EQ(r->drawnFraction, 1.0f);
    EXPECT_EQ(r->modelScale.x, 1.0f);
    EXPECT_EQ(r->modelAngle, 0.0);
    const std::array<int, 4> ink = inkByQuarter();
    EXPECT_EQ(ink[0] + ink[1] + ink[2] + ink[3], 0);
}

TEST_F(ShadedTextTest, DrawsTheLettersThroughThePairAndNothingForHighCodes)
{
    // x = -150 puts the first letter just left of the centre, running leftwards.
    r->drawShadedText(source, 0.0, -150.0, 0.0, 0.0, "%s", "\xc8\xff{~");
    std::array<int, 4> ink = inkByQuarter();
    EXPECT_EQ(ink[0] + ink[1] + ink[2] + ink[3], 0);

    r->drawShadedText(source, 0.0, -150.0, 0.0, 0.0, "%s", "HI");
    ink = inkByQuarter();
    EXPECT_GT(ink[2], 400);  // top left: above the baseline, left of x = 0
    EXPECT_EQ(ink[0], 0);
    EXPECT_EQ(ink[1] + ink[3], 0);
}
