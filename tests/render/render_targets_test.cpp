#include "support/gl_fixture.h"

#include <string>

#include "render/gl_state.h"
#include "render/renderer.h"
#include "shell/frame_loop.h"

namespace {

// A fragment program writing a different colour to each of the two outputs.
GLuint twoOutputProgram()
{
    const char* source =
        "#version 130\n"
        "void main() { gl_FragData[0] = vec4(1.0, 0.0, 0.0, 1.0); gl_FragData[1] = vec4(0.0, 1.0, 0.0, 1.0); }\n";
    const GLuint shader = glCreateShader(GL_FRAGMENT_SHADER);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    const GLuint program = glCreateProgram();
    glAttachShader(program, shader);
    glLinkProgram(program);
    glDeleteShader(shader);
    return program;
}

GLint renderbufferParameter(GLuint name, GLenum parameter)
{
    GLint value = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, parameter, &value);
    return value;
}

}  // namespace

TEST_F(GLTest, TwoOutputSceneResolvesIntoTwoTextures)
{
    const int size = 32;
    makeSolidTexture(g_renderer, 500, size, {0, 0, 0, 0});
    makeSolidTexture(g_renderer, 501, size, {0, 0, 0, 0});
    g_renderer.createRenderTarget(5, size, size, 4);
    g_renderer.attachTexture(5, 0, 500);
    g_renderer.attachTexture(5, 1, 501);

    g_renderer.beginRenderTarget(5, 2);
    glViewport(0, 0, size, size);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const GLuint program = twoOutputProgram();
    glUseProgram(program);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const double one = 1.0;
    g_renderer.drawQuad(0.0, one, one, true);
    glUseProgram(0);
    glDeleteProgram(program);
    g_renderer.resolveRenderTarget(5, size, size, 2, false);
    g_renderer.endRenderTarget();

    const auto picture = textureBytes(g_renderer, 500, size, size);
    const auto glow = textureBytes(g_renderer, 501, size, size);
    for (size_t i : {size_t{0}, picture.size() / 2, picture.size() - 4}) {
        EXPECT_EQ(picture[i], 255);
        EXPECT_EQ(picture[i + 1], 0);
        EXPECT_EQ(glow[i], 0);
        EXPECT_EQ(glow[i + 1], 255);
    }
    glViewport(0, 0, kWidth, kHeight);
}

TEST_F(GLTest, SlotsAndCountsAreClamped)
{
    g_renderer.createRenderTarget(20, 8, 8, 0);
    EXPECT_NE(g_renderer.targetDrawFramebuffer[15], 0u);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), g_renderer.targetResolveFramebuffer[15]);  // left bound
    g_renderer.createRenderTarget(-1, 8, 8, 0);
    EXPECT_NE(g_renderer.targetDrawFramebuffer[0], 0u);

    g_renderer.beginRenderTarget(99, 0);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), g_renderer.targetDrawFramebuffer[15]);
    GLint buffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER1, &buffer);
    EXPECT_EQ(buffer, GL_NONE);

    g_renderer.beginRenderTarget(15, 5);
    glGetIntegerv(GL_DRAW_BUFFER2, &buffer);
    EXPECT_EQ(buffer, GL_COLOR_ATTACHMENT2);
    g_renderer.endRenderTarget();
}

TEST_F(GLTest, StartupTargetsFollowTheRenderSize)
{
    createRenderTargets(1366, 768, true);
    EXPECT_EQ(renderbufferParameter(g_renderer.targetColour0[0], GL_RENDERBUFFER_WIDTH), 1366);
    EXPECT_EQ(renderbufferParameter(g_renderer.targetColour0[0], GL_RENDERBUFFER_SAMPLES), 4);
    EXPECT_EQ(renderbufferParameter(g_renderer.targetColour1[1], GL_RENDERBUFFER_WIDTH), 341);
    EXPECT_EQ(renderbufferParameter(g_renderer.targetDepth[1], GL_RENDERBUFFER_HEIGHT), 192);
    EXPECT_EQ(renderbufferParameter(g_renderer.targetColour0[2], GL_RENDERBUFFER_WIDTH), 683);
    EXPECT_EQ(renderbufferParameter(g_renderer.targetColour0[2], GL_RENDERBUFFER_HEIGHT), 384);
    EXPECT_EQ(renderbufferParameter(g_renderer.targetColour0[2], GL_RENDERBUFFER_SAMPLES), 0);

    createRenderTargets(64, 36, false);  // not antialiased: no multisampling
    EXPECT_EQ(renderbufferParameter(g_renderer.targetColour0[0], GL_RENDERBUFFER_SAMPLES), 0);
    g_renderer.endRenderTarget();
}
