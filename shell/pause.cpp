#include "shell/pause.h"

#include <unistd.h>

#include <algorithm>

#include "platform/platform.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/replay_session.h"
#include "sound/sound.h"

PauseState pauseState;

namespace {

GLuint g_heldTexture = 0;
int g_heldWidth = 0;
int g_heldHeight = 0;

// Text height as a fraction of the window height, and its outline's width in ems.
constexpr double PAUSED_TEXT_HEIGHT = 0.12;
constexpr double OUTLINE_EMS = 0.035;
// Rest between two passes while paused: a resume is seen within 10 ms.
constexpr useconds_t PAUSED_PASS_REST_US = 10000;

void windowSize(int& width, int& height)
{
    int x = 0;
    int y = 0;
    if (!platform::windowBounds(x, y, width, height)) {
        width = windowWidth;
        height = windowHeight;
    }
    width = std::max(width, 1);
    height = std::max(height, 1);
}

// Bindings that glPushAttrib does not keep.
struct Bindings {
    GLint drawFramebuffer = 0;
    GLint readFramebuffer = 0;
    GLint readBuffer = 0;
    GLint program = 0;
    GLint pipeline = 0;
    GLint activeTexture = 0;

    static Bindings save()
    {
        Bindings b;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &b.drawFramebuffer);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &b.readFramebuffer);
        glGetIntegerv(GL_READ_BUFFER, &b.readBuffer);
        glGetIntegerv(GL_CURRENT_PROGRAM, &b.program);
        if (GLEW_ARB_separate_shader_objects)
            glGetIntegerv(GL_PROGRAM_PIPELINE_BINDING, &b.pipeline);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &b.activeTexture);
        return b;
    }
    void restore() const
    {
        glActiveTexture(static_cast<GLenum>(activeTexture));
        if (GLEW_ARB_separate_shader_objects)
            glBindProgramPipeline(static_cast<GLuint>(pipeline));
        glUseProgram(static_cast<GLuint>(program));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
        glReadBuffer(static_cast<GLenum>(readBuffer));
    }
};

void drawPausedText(int width, int height)
{
    const double aspect = static_cast<double>(width) / height;
    const double size = 2.0 * PAUSED_TEXT_HEIGHT;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-aspect, aspect, -1.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0.0, -0.35 * size, 0.0);  // capitals centred on the middle
    glScaled(size, size, 0.01);

    // A dark outline first, so the word reads on any picture.
    glColor3f(0.0f, 0.0f, 0.0f);
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx == 0 && dy == 0)
                continue;
            glPushMatrix();
            glTranslated(dx * OUTLINE_EMS, dy * OUTLINE_EMS, 0.0);
            g_renderer.drawText("Paused");
            glPopMatrix();
        }
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    g_renderer.drawText("Paused");
}

}  // namespace

// Two presses before the next pass cancel out, as they would a pass apart.
void requestPauseToggle() { pauseState.toggleRequested = !pauseState.toggleRequested; }

void holdFrameClock()
{
    pauseState.paused = true;
    pauseSound(true);
}

double pausedClockPass()
{
    const double delta = measureFrameDelta();
    pauseState.seconds += delta;
    // The exit fade runs on the shell's clock; the game's stays where it is.
    if (ending)
        demoTime += delta;
    return delta;
}

void releaseFrameClock()
{
    pauseState.seconds += measureFrameDelta();
    pauseState.paused = false;
    pauseSound(false);
}

void captureHeldFrame()
{
    const Bindings saved = Bindings::save();
    glPushAttrib(GL_TEXTURE_BIT);
    windowSize(g_heldWidth, g_heldHeight);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glActiveTexture(GL_TEXTURE0);
    if (g_heldTexture == 0)
        glGenTextures(1, &g_heldTexture);
    glBindTexture(GL_TEXTURE_2D, g_heldTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 0, 0, g_heldWidth, g_heldHeight, 0);
    glPopAttrib();
    saved.restore();
}

void drawHeldFrame()
{
    if (g_heldTexture == 0)
        return;
    int width = 0;
    int height = 0;
    windowSize(width, height);

    const Bindings saved = Bindings::save();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (GLEW_ARB_separate_shader_objects)
        glBindProgramPipeline(0);
    glUseProgram(0);
    glActiveTexture(GL_TEXTURE0);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPushMatrix();
        glLoadIdentity();
    }
    glViewport(0, 0, width, height);
    for (GLenum capability : {GL_DEPTH_TEST, GL_LIGHTING, GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE, GL_FOG,
                              GL_SCISSOR_TEST, GL_STENCIL_TEST})
        glDisable(capability);

    // The frame as it was, pixel for pixel where the window has not changed size.
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, g_heldTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f); glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f); glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f); glVertex2f(-1.0f, 1.0f);
    glEnd();
    glDisable(GL_TEXTURE_2D);

    drawPausedText(width, height);

    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPopMatrix();
    }
    glPopAttrib();
    saved.restore();
}

void drawFrameOrPause()
{
    if (replayPlaybackActive()) {
        pauseState.toggleRequested = false;  // the records say where the pause was
        if (replayHasFrame())
            replayPlaybackPass();
        else
            platform::postQuit(0);
        return;
    }
    const bool toggle = pauseState.toggleRequested;
    pauseState.toggleRequested = false;
    if (pauseState.paused && toggle) {
        releaseFrameClock();
        drawFrame();
        return;
    }
    if (pauseState.paused) {
        const double delta = pausedClockPass();
        replayPausedPass(delta);  // before the fade can end the run
        if (!frameLoop.headless)
            drawHeldFrame();
        if (ending)
            drawExitFade();
        else if (!frameLoop.headless)
            usleep(PAUSED_PASS_REST_US);  // a still picture need not cost a whole core
        return;
    }
    // The fade ends the run within a frame or two; a pause then would only hold it up.
    pauseState.beginning = toggle && !ending;
    drawFrame();
    if (pauseState.beginning) {
        pauseState.beginning = false;
        holdFrameClock();
        if (!frameLoop.headless) {
            captureHeldFrame();
            drawHeldFrame();
        }
    }
}
