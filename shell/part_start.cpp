#include "shell/part_start.h"

#include "render/renderer.h"
#include "settings/display_settings.h"

void part_start::init(Renderer* renderer)
{
    startTime = 0.0;
    lastTime = 0.0;
    loaderFrame = 0;
    frameCount = 0;
    renderer->loadTexture("textures/theloader.jpg", 10);
}

void part_start::draw(double* frameDelta, Renderer* renderer, FrameInputs* inputs)
{
    // Everything is saved and restored: the loader leaves no GL state behind.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    renderer->endRenderTarget();

    glViewport(0, 0, renderWidth, renderHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(65.0 + renderer->fieldOfViewOffset, static_cast<double>(renderWidth) / renderHeight, 1.0,
                   100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 5.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    renderer->bindTextureIndex(10 + loaderFrame);
    glDisable(GL_BLEND);
    glColor3f(1.0f, 1.0f, 1.0f);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    glFlush();
}
