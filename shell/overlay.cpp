// overlay.cpp - drawing over the finished picture (see overlay.h).
#include "shell/overlay.h"

#include <algorithm>

#include "platform/platform.h"
#include "render/renderer.h"
#include "settings/display_settings.h"

namespace {

// The outline's width in ems.
constexpr double OUTLINE_EMS = 0.035;

}  // namespace

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

OverlayBindings OverlayBindings::save()
{
    OverlayBindings b;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &b.drawFramebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &b.readFramebuffer);
    glGetIntegerv(GL_READ_BUFFER, &b.readBuffer);
    glGetIntegerv(GL_CURRENT_PROGRAM, &b.program);
    if (GLEW_ARB_separate_shader_objects)
        glGetIntegerv(GL_PROGRAM_PIPELINE_BINDING, &b.pipeline);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &b.activeTexture);
    return b;
}

void OverlayBindings::restore() const
{
    glActiveTexture(static_cast<GLenum>(activeTexture));
    if (GLEW_ARB_separate_shader_objects)
        glBindProgramPipeline(static_cast<GLuint>(pipeline));
    glUseProgram(static_cast<GLuint>(program));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    glReadBuffer(static_cast<GLenum>(readBuffer));
}

OverlayScope::OverlayScope(int width, int height) : saved_(OverlayBindings::save())
{
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
}

OverlayScope::~OverlayScope()
{
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glPopMatrix();
    }
    glPopAttrib();
    saved_.restore();
}

void drawOutlinedText(const char* text)
{
    glColor3f(0.0f, 0.0f, 0.0f);
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx == 0 && dy == 0)
                continue;
            glPushMatrix();
            glTranslated(dx * OUTLINE_EMS, dy * OUTLINE_EMS, 0.0);
            g_renderer.drawText("%s", text);
            glPopMatrix();
        }
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    g_renderer.drawText("%s", text);
}
