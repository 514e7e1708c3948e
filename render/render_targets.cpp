// render_targets.cpp - off-screen framebuffers the scene renders into, and
// their resolve into ordinary textures.
#include <algorithm>

#include "render/renderer.h"

namespace {

int32_t clampSlot(int32_t slot) { return std::clamp(slot, 0, RENDER_TARGET_SLOTS - 1); }

void makeRenderbuffer(GLuint& name, int32_t samples, GLenum format, int32_t width, int32_t height)
{
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
}

}  // namespace

void Renderer::createRenderTarget(int32_t slot, int32_t width, int32_t height, int32_t samples)
{
    slot = clampSlot(slot);
    makeRenderbuffer(targetColour0[slot], samples, GL_RGBA8, width, height);
    makeRenderbuffer(targetColour1[slot], samples, GL_RGBA8, width, height);
    makeRenderbuffer(targetDepth[slot], samples, GL_DEPTH_COMPONENT24, width, height);

    glGenFramebuffers(1, &targetDrawFramebuffer[slot]);
    glBindFramebuffer(GL_FRAMEBUFFER, targetDrawFramebuffer[slot]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, targetColour0[slot]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_RENDERBUFFER, targetColour1[slot]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, targetDepth[slot]);

    glGenFramebuffers(1, &targetResolveFramebuffer[slot]);
    glBindFramebuffer(GL_FRAMEBUFFER, targetResolveFramebuffer[slot]);
}

void Renderer::attachTexture(int32_t slot, int32_t attachment, int32_t textureIndex)
{
    slot = clampSlot(slot);  // an unchecked slot would index past the tables
    attachment = std::clamp(attachment, 0, 2);
    glBindFramebuffer(GL_FRAMEBUFFER, targetResolveFramebuffer[slot]);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(attachment), GL_TEXTURE_2D,
                           textureEntry(textureIndex), 0);
    (void)glCheckFramebufferStatus(GL_FRAMEBUFFER);
}

void Renderer::beginRenderTarget(int32_t slot, int32_t count)
{
    static const GLenum buffers[3] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2};
    slot = clampSlot(slot);
    count = std::clamp(count, 1, 3);
    glBindFramebuffer(GL_FRAMEBUFFER, targetDrawFramebuffer[slot]);
    glDrawBuffers(count, buffers);
}

void Renderer::resolveRenderTarget(int32_t slot, int32_t width, int32_t height, int32_t count, bool withDepth)
{
    slot = clampSlot(slot);
    count = std::clamp(count, 1, 3);
    for (int32_t i = 0; i < count; ++i) {
        const GLenum attachment = GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(i);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, targetDrawFramebuffer[slot]);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, targetResolveFramebuffer[slot]);
        glDrawBuffer(attachment);
        glReadBuffer(attachment);
        (void)glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        (void)glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    }
    if (withDepth)
        glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
}

void Renderer::endRenderTarget() { glBindFramebuffer(GL_FRAMEBUFFER, 0); }
