// game_capture.cpp - fixed-step play of the game part for captures.
#include "shell/game_capture.h"

#include <cmath>

#include "base/crt_random.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/window.h"

void prepareCaptureRenderer(int32_t renderW, int32_t renderH)
{
    renderWidth = renderW;
    renderHeight = renderH;
    windowWidth = 1280;
    windowHeight = 720;
    antialiased = true;
    // The generator as a fresh process has it: the layout depends on it.
    crtSeed(1);
    setUpRenderer(renderW, renderH);
}

void GameCapture::runFrame(bool drawIt)
{
    const CaptureInput in = script.at(clock);
    inputs.mouseX = mouseXFromCursor(in.x);
    inputs.mouseY = mouseYFromCursor(in.y);
    inputs.leftButton = in.left ? 1 : 0;
    inputs.rightButton = in.right ? 1 : 0;
    inputs.time += frameStep;
    if (drawIt) {
        double delta = frameStep;
        game->draw(&delta, &g_renderer, &inputs);
        clock += delta;
        ++framesDrawn;
    } else {
        clock += game->rules.step(frameStep, controlsFromFrameInputs(inputs, windowWidth, windowHeight));
    }
    ++framesRun;
}

void GameCapture::runUntil(double t)
{
    const double gameStep = GAME_SPEED * frameStep;
    bool first = true;
    while (first || clock < t) {
        first = false;
        // Frames still to run, this one included.
        const double left = std::ceil((t - clock) / gameStep - 1e-9);
        runFrame(left <= drawnFrames);
    }
}

std::vector<uint8_t> readWindowPixels(int32_t w, int32_t h)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
