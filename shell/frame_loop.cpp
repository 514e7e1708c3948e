#include "shell/frame_loop.h"

#include <algorithm>
#include <cstdlib>

#include "game/part_game.h"
#include "render/renderer.h"
#include "shell/dev_aids.h"
#include "shell/display_settings.h"
#include "shell/exit_report.h"
#include "shell/gamepad.h"
#include "shell/part_start.h"
#include "shell/platform.h"
#include "shell/replay_session.h"
#include "shell/window.h"

double demoTime = 0.0;
double frameDelta = 0.0;
double previousRead = 0.0;
bool ending = false;
double endStart = 0.0;
FrameTimer frameTimer;
FrameInputs frameInputs;

parts* loaderPart = nullptr;
parts* gamePart = nullptr;
FrameInputs* startupInputs = nullptr;

void FrameTimer::reset()
{
    elapsed = 0.0;
    lastCount = (counter ? counter : platform::performanceCounter)();
}

double FrameTimer::read()
{
    const int64_t now = (counter ? counter : platform::performanceCounter)();
    const int64_t hz = (frequency ? frequency : platform::performanceFrequency)();
    elapsed += static_cast<double>(now - lastCount) / static_cast<double>(hz);
    lastCount = now;
    return elapsed;
}

double measureFrameDelta()
{
    const double delta = frameTimer.read() - previousRead;
    previousRead = frameTimer.read();
    return delta < 0.0 ? 0.0 : delta;  // a counter going backwards never runs time back
}

double mouseXFromCursor(int cursorX) { return (cursorX - 400) * 7.0 / 400.0; }
double mouseYFromCursor(int cursorY) { return (cursorY - 300) * 7.0 / 300.0; }

double exitFadeLevel(double t) { return std::clamp(FADE_RATE * t, 0.0, 1.0); }
double exitFadeValue10(double t) { return 1.0 - std::clamp(5.0 * FADE_RATE * t, 0.0, 1.0); }

void createRenderTargets(int32_t width, int32_t height, bool multisampled)
{
    g_renderer.createRenderTarget(0, width, height, multisampled ? 4 : 0);  // the scene
    g_renderer.createRenderTarget(1, width / 4, height / 4, 0);              // quarter-size work buffer
    g_renderer.createRenderTarget(2, width / 2, height / 2, 0);              // half-size blur buffer
    // Back to the window: the loader part saves and restores the draw buffer,
    // which must be the window's, not an attachment of the last framebuffer.
    g_renderer.endRenderTarget();
}

void createParts()
{
    // Parts find the inputs through the Renderer while they load; this
    // start-up record serves until the game part points it at the shell's own.
    startupInputs = new FrameInputs();
    g_renderer.inputs = startupInputs;

    loaderPart = new part_start();
    loaderPart->init(&g_renderer);
    double noDelta = 0.0;
    loaderPart->draw(&noDelta, &g_renderer, startupInputs);
    platform::swapBuffers();

    gamePart = new part_game();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    platform::swapBuffers();
    gamePart->init(&g_renderer);
}

void initDemo()
{
    g_renderer.loadingProgress = nullptr;
    g_renderer.setDefaults();
    glewExperimental = GL_TRUE;
    glewInit();
    glGetError();  // GLEW's probing may leave an error behind

    createRenderTargets(renderWidth, renderHeight, antialiased);

    cameraLog.clear();
    g_renderer.setLinearFiltering();
    g_renderer.useAlternativeImageLoader = false;
    g_renderer.compressTextures = false;

    createParts();
    replayAfterParts();

    frameTimer.reset();
    previousRead = frameTimer.read();

    demoTime = 0.0;
    frameInputs.markerX = frameInputs.markerY = frameInputs.markerZ = 0.0;
    frameInputs.arrowX = frameInputs.arrowY = 0.0;
    std::fill(std::begin(frameInputs.flagsA), std::end(frameInputs.flagsA), false);
    std::fill(std::begin(frameInputs.flagsB), std::end(frameInputs.flagsB), false);
    frameInputs.flagsA[0] = true;
}

void drawExitFade()
{
    const double t = demoTime - endStart;
    const double v = exitFadeLevel(t);
    frameInputs.values[10] = exitFadeValue10(t);
    if (v > 0.999)
        noteLastFramePixels();  // the run's last picture, before it goes black

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(0.0, 3.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0);
    glScaled(1.0, 1.0, 0.7);

    // Multiplies the frame by (1 - v): black at v = 1.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    glDisable(GL_LIGHTING);
    glColor3d(v, v, v);
    glDisable(GL_TEXTURE_2D);
    const double half = 50.0;
    g_renderer.drawQuad(0.0, half, half, true);

    glPopMatrix();
    glPopAttrib();

    if (v > 0.999) {
        replayRunEnded(ReplayEnding::ExitFade);
        writeExitReport();
        if (!replayPlaybackActive())  // a replay has no markers of its own to hand over
            copyToClipboard(cameraLog);
        killGLWindow();
        // parts has no virtual destructor, so release the game part through its own type.
        delete static_cast<part_game*>(gamePart);
        gamePart = nullptr;
        std::exit(0);
    }
}

void drawFrame()
{
    if (!replayHasFrame()) {
        platform::postQuit(0);
        return;
    }
    int cursorX = 0;
    int cursorY = 0;
    platform::cursorPosition(cursorX, cursorY);
    steerWithGamepad(cursorX, cursorY);

    frameDelta = replayFrameDelta(measureFrameDelta());

    frameInputs.mouseX = mouseXFromCursor(cursorX);
    frameInputs.mouseY = mouseYFromCursor(cursorY);
    frameInputs.wheel = wheel;
    frameInputs.leftButton = leftButton || gamepad.fireHeld() ? 1 : 0;
    frameInputs.rightButton = rightButton || gamepad.rightHeld() ? 1 : 0;

    demoTime += frameDelta;
    frameInputs.time = demoTime;

    glBlendFunc(GL_ONE, GL_ONE);
    frameInputs.modeWord = 0;
    for (int i = 0; i < 256; ++i)
        frameInputs.keyStates[i] = keys[i] ? 1 : 0;

    replayAtDraw(frameDelta, frameInputs);
    gamePart->draw(&frameDelta, &g_renderer, &frameInputs);

    if (ending)
        drawExitFade();
}
