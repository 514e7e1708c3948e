#include "shell/pause.h"

#include <unistd.h>

#include <algorithm>

#include "platform/platform.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/overlay.h"
#include "shell/replay_session.h"
#include "sound/sound.h"

PauseState pauseState;

namespace {

GLuint g_heldTexture = 0;
int g_heldWidth = 0;
int g_heldHeight = 0;

// Text height as a fraction of the window height.
constexpr double PAUSED_TEXT_HEIGHT = 0.12;
// Rest between two passes while paused: a resume is seen within 10 ms.
constexpr useconds_t PAUSED_PASS_REST_US = 10000;

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

    drawOutlinedText("Paused");
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
    const OverlayBindings saved = OverlayBindings::save();
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

    const OverlayScope overlay(width, height);

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
