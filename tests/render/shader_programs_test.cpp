// Shader programs on the GLSL layer: pairs, screen programs, parameters,
// profiles and the missing-file exit, drawn on Mesa and read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "render/gl_state.h"
#include "render/renderer.h"
#include "shell/platform.h"
#include "support/gl_fixture.h"

namespace {

// --- test shaders ---

const char* kVertexMvp = R"(#version 120
uniform mat4 ModelViewProj;
void main()
{
    gl_Position = ModelViewProj * gl_Vertex;
    gl_FrontColor = gl_Color;
    gl_TexCoord[0] = gl_MultiTexCoord0;
}
)";

// Uses all three matrices the engine feeds a pair.
const char* kVertexPlaced = R"(#version 120
uniform mat4 ModelViewProj;
uniform mat4 ModelViewLightProj;
uniform mat4 ModelViewObject;
void main()
{
    gl_Position = ModelViewProj * ModelViewObject * ModelViewLightProj * gl_Vertex;
    gl_FrontColor = gl_Color;
}
)";

const char* kVertexMagenta = R"(#version 120
uniform mat4 ModelViewProj;
void main()
{
    gl_Position = ModelViewProj * gl_Vertex;
    gl_FrontColor = vec4(1.0, 0.0, 1.0, 1.0);
}
)";

const char* kFragmentTint = R"(#version 120
uniform vec3 Tint;
void main()
{
    gl_FragData[0] = vec4(Tint, 1.0);
    gl_FragData[1] = vec4(Tint, 1.0);
}
)";

const char* kFragmentRedGreen = R"(#version 120
uniform float Red;
uniform float Green;
void main()
{
    gl_FragData[0] = vec4(Red, Green, 0.0, 1.0);
    gl_FragData[1] = vec4(0.0);
}
)";

// One channel from each sampler; "texture" must be usable as a sampler name.
const char* kFragmentThreeSamplers = R"(#version 120
uniform sampler2D decal;
uniform sampler2D decal2;
uniform sampler2D decal3;
void main()
{
    vec2 uv = gl_TexCoord[0].xy;
    gl_FragData[0] = vec4(texture2D(decal, uv).r, texture2D(decal2, uv).g, texture2D(decal3, uv).b, 1.0);
    gl_FragData[1] = vec4(0.0);
}
)";

const char* kFragmentModelSamplers = R"(#version 120
uniform sampler2D texture;
uniform sampler2D texture2;
uniform sampler2D light;
void main()
{
    vec2 uv = gl_TexCoord[0].xy;
    gl_FragData[0] = texture2D(texture, uv) + texture2D(texture2, uv) + texture2D(light, uv);
    gl_FragData[1] = vec4(0.0);
}
)";

// Screen program: the decal with red and blue swapped, times the vertex colour.
const char* kFragmentSwap = R"(#version 120
uniform sampler2D decal;
void main()
{
    gl_FragData[0] = texture2D(decal, gl_TexCoord[0].xy).bgra * gl_Color;
    gl_FragData[1] = vec4(0.0);
}
)";

const char* kFragmentBroken = R"(#version 120
void main()
{
    gl_FragData[0] = vec4(1.0, 0.0, 0.0  // unfinished
}
)";

constexpr int32_t kPair = 7046;
constexpr int32_t kScreen = 7023;

class ShaderProgramsTest : public GLTest {
protected:
    std::unique_ptr<Renderer> r;

    void SetUp() override
    {
        GLTest::SetUp();
        if (IsSkipped())
            return;
        r = std::make_unique<Renderer>();
        r->createCgContext();
        releaseShaderStages();
        resetDrawingState();
    }

    void TearDown() override
    {
        if (r)
            releaseShaderStages();
        GLTest::TearDown();
    }

    // Full-viewport quad through the fixed-function path or the bound vertex program.
    static void drawFullQuad()
    {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0); glVertex2f(-1, -1);
        glTexCoord2f(1, 0); glVertex2f(1, -1);
        glTexCoord2f(1, 1); glVertex2f(1, 1);
        glTexCoord2f(0, 1); glVertex2f(-1, 1);
        glEnd();
    }

    static void expectPixel(int x, int y, int red, int green, int blue)
    {
        uint8_t p[4];
        pixelAt(x, y, p);
        EXPECT_NEAR(p[0], red, 1) << "at " << x << "," << y;
        EXPECT_NEAR(p[1], green, 1) << "at " << x << "," << y;
        EXPECT_NEAR(p[2], blue, 1) << "at " << x << "," << y;
    }

    void loadTintPair(int32_t k)
    {
        r->loadShaderPair(writeShader("vertex_mvp.cpp", kVertexMvp).c_str(),
                          writeShader("fragment_tint.cpp", kFragmentTint).c_str(), k);
    }
};

TEST_F(ShaderProgramsTest, PairDrawsItsFloat3ParameterInEitherBindOrder)
{
    loadTintPair(kPair);
    ASSERT_TRUE(cgIsProgramCompiled(r->programs[kPair])) << cgGetProgramListing(r->programs[kPair]);
    ASSERT_TRUE(cgIsProgramCompiled(r->programs[kPair + 1])) << cgGetProgramListing(r->programs[kPair + 1]);
    ASSERT_NE(r->lookupParameter(kPair + 1, 1, "Tint"), nullptr);

    r->setParameter3(kPair + 1, 1, 0.2f, 0.4f, 0.6f);
    r->enableShaders();
    r->bindProgram(kPair + 1);
    r->bindProgram(kPair);
    r->bindModelViewProjection(kPair, 5);
    drawFullQuad();
    r->disableShaders();
    expectPixel(128, 128, 51, 102, 153);
    expectPixel(2, 253, 51, 102, 153);

    // The value stays with the program; binding vertex first works as well.
    glClear(GL_COLOR_BUFFER_BIT);
    r->bindProgram(kPair);
    r->bindProgram(kPair + 1);
    r->enableShaders();
    drawFullQuad();
    r->disableShaders();
    expectPixel(128, 128, 51, 102, 153);

    // With the profiles disabled the fixed-function path draws again.
    glColor3f(0.0f, 1.0f, 0.0f);
    drawFullQuad();
    expectPixel(128, 128, 0, 255, 0);

    // A vertex program alone runs with the fixed-function fragment stage.
    r->loadShaderPair(writeShader("vertex_magenta.cpp", kVertexMagenta).c_str(),
                      writeShader("fragment_tint.cpp", kFragmentTint).c_str(), kPair);
    r->bindModelViewProjection(kPair, 5);
    r->bindProgram(kPair);
    r->enableVertexProfile();
    drawFullQuad();
    r->disableShaders();
    expectPixel(128, 128, 255, 0, 255);
}

TEST_F(ShaderProgramsTest, StateMatrixAndFloatParametersPlaceAndColourTheQuad)
{
    r->loadShaderPair(writeShader("vertex_placed.cpp", kVertexPlaced).c_str(),
                      writeShader("fragment_red_green.cpp", kFragmentRedGreen).c_str(), kPair);
    r->setFloatParameter(kPair + 1, "Red", 1.0);
    r->setFloatParameter(kPair + 1, "Green", 0.5);  // slot 14 again: Red keeps its value

    // Camera: centre at (0.5, 0.5), a quarter size. Placement: 2 units left.
    glTranslatef(0.5f, 0.5f, 0.0f);
    glScalef(0.25f, 0.25f, 1.0f);
    r->bindModelViewProjection(kPair, 5);
    glMatrixMode(GL_TEXTURE);
    r->bindTextureMatrix(kPair, 6);  // identity
    glTranslatef(-2.0f, 0.0f, 0.0f);
    r->bindTextureMatrix(kPair, 14);
    // The parameters hold the matrices of the moment they were set.
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    r->bindProgram(kPair);
    r->bindProgram(kPair + 1);
    r->enableShaders();
    drawFullQuad();
    r->disableShaders();
    // x in [-0.25, 0.25], y in [0.25, 0.75]: pixels 96..160 and 160..224.
    expectPixel(100, 164, 255, 128, 0);
    expectPixel(156, 220, 255, 128, 0);
    expectPixel(128, 128, 0, 0, 0);
    expectPixel(166, 192, 0, 0, 0);
}

TEST_F(ShaderProgramsTest, ProgramWithSeveralSamplersReadsEachTexture)
{
    r->loadScreenShader(writeShader("fragment_samplers.cpp", kFragmentThreeSamplers).c_str(), kScreen);
    r->textureNames[1] = makeRowTexture({{255, 0, 0, 255}});
    r->textureNames[2] = makeRowTexture({{0, 255, 0, 255}});
    r->textureNames[3] = makeRowTexture({{0, 0, 255, 255}});
    glBindTexture(GL_TEXTURE_2D, 0);

    r->bindDecal2(kScreen, 1, 2);
    r->drawQuad(0.0, 1.0, 1.0, true);
    r->disableShaders();
    uint8_t p[4];
    pixelAt(128, 128, p);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 255);

    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    r->bindDecal3(kScreen, 1, 2, 3);
    r->drawQuad(0.0, 1.0, 1.0, true);
    r->disableShaders();
    expectPixel(128, 128, 255, 255, 255);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0) << "binding samplers must not move the active unit";

    // The model's sampler names, in a file that starts with a byte-order mark.
    const std::string withMark = std::string("\xEF\xBB\xBF") + kFragmentModelSamplers;
    r->loadScreenShader(writeShader("fragment_model.cpp", withMark.c_str()).c_str(), kScreen);
    ASSERT_TRUE(cgIsProgramCompiled(r->programs[kScreen])) << cgGetProgramListing(r->programs[kScreen]);
    EXPECT_EQ(r->lookupParameter(kScreen, 6, "decal"), nullptr);
    EXPECT_NE(r->lookupParameter(kScreen, 7, "texture"), nullptr);
    EXPECT_NE(r->lookupParameter(kScreen, 8, "texture2"), nullptr);
    EXPECT_NE(r->lookupParameter(kScreen, 9, "light"), nullptr);
}

TEST_F(ShaderProgramsTest, ScreenProgramRunsWithFixedFunctionVertexStage)
{
    // A vertex program left bound (with no matrix set, it would draw nothing).
    loadTintPair(kPair);
    r->bindProgram(kPair);
    r->loadScreenShader(writeShader("fragment_swap.cpp", kFragmentSwap).c_str(), kScreen);
    r->textureNames[5] = makeRowTexture({{255, 0, 0, 255}, {0, 0, 255, 255}});

    // As a screen pass drives it.
    r->enableShaders();
    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    r->bindDecal(kScreen, 5);
    r->drawQuad(0.0, 1.0, 1.0, true);
    r->disableShaders();
    glDisable(GL_TEXTURE_2D);
    expectPixel(64, 128, 0, 0, 255);   // red texel, swapped
    expectPixel(192, 128, 255, 0, 0);  // blue texel, swapped
}

TEST_F(ShaderProgramsTest, ProgramThatFailsToCompileDrawsNothingAndKeepsItsLog)
{
    r->loadShaderPair(writeShader("vertex_mvp.cpp", kVertexMvp).c_str(),
                      writeShader("fragment_broken.cpp", kFragmentBroken).c_str(), kPair);
    EXPECT_TRUE(cgIsProgramCompiled(r->programs[kPair]));
    EXPECT_FALSE(cgIsProgramCompiled(r->programs[kPair + 1]));
    EXPECT_STRNE(cgGetProgramListing(r->programs[kPair + 1]), "");
    EXPECT_STREQ(cgGetLastListing(r->cgContext), cgGetProgramListing(r->programs[kPair + 1]));
    ASSERT_NE(r->programs[kPair + 1], nullptr) << "a failed program still fills its slot";

    r->bindModelViewProjection(kPair, 5);
    r->enableShaders();
    r->bindProgram(kPair);
    r->bindProgram(kPair + 1);
    drawFullQuad();
    r->disableShaders();
    expectPixel(128, 128, 0, 0, 0);

    // A broken vertex program with a working fragment program draws nothing either.
    r->loadShaderPair(writeShader("vertex_broken.cpp", kFragmentBroken).c_str(),
                      writeShader("fragment_tint.cpp", kFragmentTint).c_str(), kPair);
    r->lookupParameter(kPair + 1, 1, "Tint");
    r->setParameter3(kPair + 1, 1, 1.0f, 1.0f, 1.0f);
    r->enableShaders();
    r->bindProgram(kPair);
    r->bindProgram(kPair + 1);
    drawFullQuad();
    r->disableShaders();
    expectPixel(128, 128, 0, 0, 0);
    EXPECT_EQ(errorCount(), 0);
}

TEST_F(ShaderProgramsTest, MisspeltOrMistypedParametersAreHarmless)
{
    loadTintPair(kPair);
    r->lookupParameter(kPair + 1, 1, "Tint");
    r->setParameter3(kPair + 1, 1, 0.0f, 1.0f, 0.0f);

    EXPECT_EQ(r->lookupParameter(kPair + 1, 2, "Tnit"), nullptr);
    r->setParameter3(kPair + 1, 2, 1.0f, 0.0f, 0.0f);
    r->bindModelViewProjection(kPair + 1, 2);
    r->bindTextureMatrix(kPair + 1, 2);
    r->setFloatParameter(kPair, "nosuch", 3.0);
    EXPECT_EQ(r->parameters[kPair][14], nullptr);
    cgGLSetTextureParameter(nullptr, 1);
    cgGLEnableTextureParameter(nullptr);
    r->bindDecal(kPair + 1, 0);  // the program has no "decal"
    r->disableShaders();

    // The wrong kind of value for a parameter is dropped.
    r->lookupParameter(kPair, 3, "ModelViewProj");
    r->setParameter3(kPair, 3, 1.0f, 2.0f, 3.0f);
    r->setFloatParameter(kPair, "ModelViewProj", 2.0);
    cgGLSetStateMatrixParameter(r->parameters[kPair + 1][1], CG_GL_MODELVIEW_PROJECTION_MATRIX,
                                CG_GL_MATRIX_IDENTITY);

    // Empty slots are harmless too.
    r->bindProgram(9000);
    EXPECT_EQ(r->lookupParameter(9001, 0, "anything"), nullptr);
    r->compileAndLoadFragment(9002);
    r->disableShaders();

    r->bindModelViewProjection(kPair, 5);
    r->enableShaders();
    r->bindProgram(kPair);
    r->bindProgram(kPair + 1);
    drawFullQuad();
    r->disableShaders();
    expectPixel(128, 128, 0, 255, 0);
}

TEST_F(ShaderProgramsTest, VendorStringChoosesProfilesAndFragmentArguments)
{
    // This GL (Mesa) is not ATI.
    ASSERT_EQ(std::string(r->glVendor()).find("ATI"), std::string::npos);
    EXPECT_EQ(r->vertexProfile, CG_PROFILE_VP30);
    EXPECT_EQ(r->fragmentProfile, cgGLGetLatestProfile(CG_GL_FRAGMENT));
    loadTintPair(kPair);
    EXPECT_EQ(cgGetProgramOptions(r->programs[kPair + 1])[0], nullptr);

    r->vendorOverride = "ATI Technologies Inc.";
    r->createCgContext();
    EXPECT_EQ(r->vertexProfile, 6150);
    EXPECT_EQ(r->fragmentProfile, 7000);
    loadTintPair(kPair);
    EXPECT_EQ(cgGetProgramProfile(r->programs[kPair]), CG_PROFILE_ARBVP1);
    EXPECT_EQ(cgGetProgramProfile(r->programs[kPair + 1]), CG_PROFILE_ARBFP1);
    EXPECT_EQ(cgGetProgramOptions(r->programs[kPair])[0], nullptr);
    const char* const* options = cgGetProgramOptions(r->programs[kPair + 1]);
    ASSERT_NE(options[0], nullptr);
    EXPECT_STREQ(options[0], "-po");
    ASSERT_NE(options[1], nullptr);
    EXPECT_STREQ(options[1], "ATI_draw_buffers");
    EXPECT_EQ(options[2], nullptr);
}

TEST_F(ShaderProgramsTest, ScreenShaderAndModelPairMakeNewContexts)
{
    const CGcontext first = r->cgContext;
    r->loadScreenShader(writeShader("fragment_swap.cpp", kFragmentSwap).c_str(), kScreen);
    EXPECT_NE(r->cgContext, first);
    EXPECT_NE(r->programs[kScreen], nullptr);

    const CGcontext second = r->cgContext;
    glActiveTexture(GL_TEXTURE2);
    r->loadShaderPairWithModel(writeShader("vertex_mvp.cpp", kVertexMvp).c_str(),
                               writeShader("fragment_tint.cpp", kFragmentTint).c_str(), "meshes/none.3ds", 7000,
                               7090, 0, kPair);
    EXPECT_NE(r->cgContext, second);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    const GLuint name = r->textureNames[7090];
    EXPECT_NE(name, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), name);
    EXPECT_NE(r->parameters[kPair][5], nullptr);

    // A program of an older context still draws.
    r->textureNames[5] = makeRowTexture({{0, 255, 0, 255}});
    r->bindDecal(kScreen, 5);
    r->drawQuad(0.0, 1.0, 1.0, true);
    r->disableShaders();
    expectPixel(128, 128, 0, 255, 0);
}

// --- a missing source file ---

platform::MessageResult printMessageBox(const platform::MessageBoxRequest& request)
{
    std::fprintf(stderr, "box[%s][%s][%s]\n", request.text.c_str(), request.caption.c_str(),
                 request.icon == platform::MessageIcon::Information ? "information" : "other");
    return platform::MessageResult::Ok;
}

const char* kMissingFileBox = "box\\[/no/such/folder/shader\\.cpp\\]"
                              "\\[  = Orvalis\\. Vexa 2007 = - File is missing !\\]\\[information\\]";

TEST_F(ShaderProgramsTest, MissingShaderFileShowsMessageAndExitsWithZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (bool vertex : {true, false}) {
        EXPECT_EXIT(
            {
                platform::setMessageBoxHandler(printMessageBox);
                if (vertex)
                    r->loadVertexProgramFile("/no/such/folder/shader.cpp", kPair);
                else
                    r->loadScreenShader("/no/such/folder/shader.cpp", kScreen);
                std::_Exit(3);
            },
            ::testing::ExitedWithCode(0), kMissingFileBox);
    }
}

}  // namespace
