#include "support/gl_fixture.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/common/hidden_gl_window.h"

namespace {

SDL_GLContext g_context = nullptr;
bool g_tried = false;
int g_errors = 0;
bool g_expectErrors = false;

void GLAPIENTRY onDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                               const GLchar* message, const void* user)
{
    if (type != GL_DEBUG_TYPE_ERROR)
        return;
    ++g_errors;
    if (!g_expectErrors)
        ADD_FAILURE() << "GL error: " << message;
}

bool ensureContext()
{
    if (g_tried)
        return g_context != nullptr;
    g_tried = true;
    // The tools' hidden window, with a debug context so the callback below hears every error.
    static HiddenGLWindow window;
    if (!window.open("glasswake tests", GLTest::kWidth, GLTest::kHeight, true))
        return false;
    g_context = window.context;
    if (GLEW_KHR_debug) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(onDebugMessage, nullptr);
    }
    return true;
}

// Every test shares the one context: what a test (or the code it drives)
// leaves enabled or bound must not change what the next one sees.
void resetState()
{
    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, GLTest::kWidth, GLTest::kHeight);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    for (GLint unit = units - 1; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
    }
    for (GLenum capability : {GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE, GL_DEPTH_TEST, GL_LIGHTING, GL_FOG,
                              GL_SCISSOR_TEST, GL_STENCIL_TEST})
        glDisable(capability);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (GLenum matrix : {GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(matrix);
        glLoadIdentity();
    }
}

}  // namespace

bool glContextAvailable() { return ensureContext(); }

bool glRequired()
{
    const char* value = std::getenv("GLASSWAKE_REQUIRE_GL");
    return value && std::strcmp(value, "0") != 0 && *value;
}

void GLTest::SetUp()
{
    if (!ensureContext())
        GW_SKIP_WITHOUT_GL("no GL context (is DISPLAY set?)");
    resetState();
    g_errors = 0;
    g_expectErrors = false;
}

void GLTest::TearDown()
{
    if (!g_context)
        return;
    GLenum err = glGetError();
    EXPECT_EQ(err, static_cast<GLenum>(GL_NO_ERROR)) << "glGetError at end of test: 0x" << std::hex << err;
    while (glGetError() != GL_NO_ERROR) {
    }
}

std::vector<uint8_t> GLTest::readPixels(int x, int y, int w, int h)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void GLTest::pixelAt(int x, int y, uint8_t rgba[4])
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

int GLTest::errorCount() { return g_errors; }
void GLTest::resetErrors() { g_errors = 0; }
void GLTest::expectErrors(bool expect) { g_expectErrors = expect; }
