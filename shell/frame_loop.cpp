#include "shell/frame_loop.h"

#include <algorithm>
#include <cstdlib>

#include "base/step_marks.h"
#include "game/part_game.h"
#include "platform/platform.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/dev_aids.h"
#include "shell/exit_report.h"
#include "shell/gamepad.h"
#include "shell/part_start.h"
#include "shell/pause.h"
#include "shell/replay_session.h"
#include "shell/window.h"

double demoTime = 0.0;
double frameDelta = 0.0;
bool ending = false;
double endStart = 0.0;
FrameLoop frameLoop;

part_game* runningGame() { return static_cast<part_game*>(frameLoop.gamePart); }

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
    const double delta = frameLoop.timer.read() - frameLoop.previousRead;
    frameLoop.previousRead = frameLoop.timer.read();
    // A counter going backwards never runs time back; a frame longer than a
    // replay can hold is no frame any clock measures.
    return std::clamp(delta, 0.0, REPLAY_MAX_DELTA);
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
    frameLoop.startupInputs = new FrameInputs();
    g_renderer.inputs = frameLoop.startupInputs;

    frameLoop.loaderPart = new part_start();
    frameLoop.loaderPart->init(&g_renderer);
    double noDelta = 0.0;
    frameLoop.loaderPart->draw(&noDelta, &g_renderer, frameLoop.startupInputs);
    platform::swapBuffers();
    markStep("loader frame");

    frameLoop.gamePart = new part_game();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    platform::swapBuffers();
    frameLoop.gamePart->init(&g_renderer);
}

void destroyParts()
{
    // parts has no virtual destructor: each goes through its own type.
    delete static_cast<part_start*>(frameLoop.loaderPart);
    delete runningGame();
    delete frameLoop.startupInputs;
    frameLoop.loaderPart = frameLoop.gamePart = nullptr;
    frameLoop.startupInputs = nullptr;
    g_renderer.inputs = &frameLoop.inputs;
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

    frameLoop.timer.reset();
    frameLoop.previousRead = frameLoop.timer.read();

    demoTime = 0.0;
    ending = frameLoop.exitFadeDone = false;
    endStart = 0.0;
    pauseState.paused = pauseState.toggleRequested = pauseState.beginning = false;
    pauseState.seconds = 0.0;
    frameLoop.inputs.markerX = frameLoop.inputs.markerY = frameLoop.inputs.markerZ = 0.0;
    frameLoop.inputs.arrowX = frameLoop.inputs.arrowY = 0.0;
    std::fill(std::begin(frameLoop.inputs.flagsA), std::end(frameLoop.inputs.flagsA), false);
    std::fill(std::begin(frameLoop.inputs.flagsB), std::end(frameLoop.inputs.flagsB), false);
    frameLoop.inputs.flagsA[0] = true;
}

void drawExitFade(bool draw)
{
    const double t = demoTime - endStart;
    const double v = exitFadeLevel(t);
    frameLoop.inputs.values[10] = exitFadeValue10(t);
    if (v > 0.999)
        frameLoop.exitFadeDone = true;
    if (!draw || frameLoop.headless)
        return;
    if (frameLoop.exitFadeDone)
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
}

std::vector<uint8_t> readWindowPicture(int32_t width, int32_t height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    GLint readFramebuffer = 0;
    GLint readBuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    glReadBuffer(static_cast<GLenum>(readBuffer));
    return pixels;
}

void drawFrame(bool draw)
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

    frameLoop.inputs.mouseX = mouseXFromCursor(cursorX);
    frameLoop.inputs.mouseY = mouseYFromCursor(cursorY);
    frameLoop.inputs.wheel = wheel;
    frameLoop.inputs.leftButton = leftButton || gamepad.fireHeld() ? 1 : 0;
    frameLoop.inputs.rightButton = rightButton || gamepad.rightHeld() ? 1 : 0;

    demoTime += frameDelta;
    frameLoop.inputs.time = demoTime;

    if (!frameLoop.headless)
        glBlendFunc(GL_ONE, GL_ONE);
    frameLoop.inputs.modeWord = 0;
    for (int i = 0; i < 256; ++i)
        frameLoop.inputs.keyStates[i] = keys[i] ? 1 : 0;

    replayAtDraw(frameDelta, frameLoop.inputs);
    if (draw && !frameLoop.headless) {
        frameLoop.gamePart->draw(&frameDelta, &g_renderer, &frameLoop.inputs);
    } else {
        // What draw does to the game, without GL: the wheel is cleared, the rules step.
        part_game* game = runningGame();
        frameLoop.inputs.wheel = 0.0;
        g_renderer.inputs = &frameLoop.inputs;
        game->frameInputs = frameLoop.inputs;
        frameDelta = game->rules.step(frameDelta, controlsFromFrameInputs(frameLoop.inputs, windowWidth, windowHeight));
        frameLoop.inputs.values[0] = game->rules.time;
    }

    if (ending)
        drawExitFade(draw);
}
