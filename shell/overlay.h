// overlay.h - drawing over the finished picture in the window: the pause's
// held frame and "Paused", the frame-rate counter. An OverlayScope draws in
// the window's own pixels (no render target, no program, default state) and
// leaves every binding and state as it found them.
#pragma once

#include "render/gl.h"

// The window's size in pixels (the display sizes while it has none).
void windowSize(int& width, int& height);

// Bindings that glPushAttrib does not keep.
struct OverlayBindings {
    GLint drawFramebuffer = 0;
    GLint readFramebuffer = 0;
    GLint readBuffer = 0;
    GLint program = 0;
    GLint pipeline = 0;
    GLint activeTexture = 0;

    static OverlayBindings save();
    void restore() const;
};

// From construction to destruction: the window's back buffer at its size,
// identity matrices, texture unit 0, no program, and depth test, lighting,
// blending, alpha test, culling, fog, scissor and stencil off.
class OverlayScope {
public:
    explicit OverlayScope(int width, int height);
    ~OverlayScope();
    OverlayScope(const OverlayScope&) = delete;
    OverlayScope& operator=(const OverlayScope&) = delete;

private:
    OverlayBindings saved_;
};

// The text in the outline font, white over a dark outline so that it reads
// on any picture, in the current modelview space (one em high).
void drawOutlinedText(const char* text);
