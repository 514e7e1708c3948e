// render_targets.cpp - off-screen framebuffers the scene renders into.
#include "render/renderer.h"

void Renderer::endRenderTarget() { glBindFramebuffer(GL_FRAMEBUFFER, 0); }
