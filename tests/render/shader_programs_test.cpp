// Shader programs on the GLSL layer: pairs bound in either order, failing
// programs, bad parameters, profiles and the missing-file exit, drawn on Mesa
// and read back. The game's own programs and passes are covered by the
// reference frames.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "render/gl_state.h"
#include "render/renderer.h"
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

    // The pair bound vertex stage first, before the profiles are enabled, drawn
    // over the viewport and read at its middle.
    void drawPairAndExpect(int red, int green, int blue)
    {
        r->bindModelViewProjection(kPair, 5);
        r->bindProgram(kPair);
        r->bindProgram(kPair + 1);
        r->enableShaders();
        drawFullQuad();
        r->disableShaders();
        expectPixel(128, 128, red, green, blue);
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
    drawPairAndExpect(51, 102, 153);

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

TEST_F(ShaderProgramsTest, ProgramThatFailsToCompileDrawsNothingAndKeepsItsLog)
{
    r->loadShaderPair(writeShader("vertex_mvp.cpp", kVertexMvp).c_str(),
                      writeShader("fragment_broken.cpp", kFragmentBroken).c_str(), kPair);
    EXPECT_TRUE(cgIsProgramCompiled(r->programs[kPair]));
    EXPECT_FALSE(cgIsProgramCompiled(r->programs[kPair + 1]));
    EXPECT_STRNE(cgGetProgramListing(r->programs[kPair + 1]), "");
    EXPECT_STREQ(cgGetLastListing(r->cgContext), cgGetProgramListing(r->programs[kPair + 1]));
    ASSERT_NE(r->programs[kPair + 1], nullptr) << "a failed program still fills its slot";
    drawPairAndExpect(0, 0, 0);

    // A broken vertex program with a working fragment program draws nothing either.
    r->loadShaderPair(writeShader("vertex_broken.cpp", kFragmentBroken).c_str(),
                      writeShader("fragment_tint.cpp", kFragmentTint).c_str(), kPair);
    r->lookupParameter(kPair + 1, 1, "Tint");
    r->setParameter3(kPair + 1, 1, 1.0f, 1.0f, 1.0f);
    drawPairAndExpect(0, 0, 0);
    EXPECT_EQ(errorCount(), 0);
}

TEST_F(ShaderProgramsTest, ModelSamplerNamesAndByteOrderMarkCompile)
{
    const std::string withMark = std::string("\xEF\xBB\xBF") + kFragmentModelSamplers;
    r->loadScreenShader(writeShader("fragment_model.cpp", withMark.c_str()).c_str(), kScreen);
    ASSERT_TRUE(cgIsProgramCompiled(r->programs[kScreen])) << cgGetProgramListing(r->programs[kScreen]);
    EXPECT_EQ(r->lookupParameter(kScreen, 6, "decal"), nullptr);
    EXPECT_NE(r->lookupParameter(kScreen, 7, "texture"), nullptr);
    EXPECT_NE(r->lookupParameter(kScreen, 8, "texture2"), nullptr);
    EXPECT_NE(r->lookupParameter(kScreen, 9, "light"), nullptr);
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
    drawPairAndExpect(0, 255, 0);
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
