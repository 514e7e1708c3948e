// screen_passes.cpp - full-screen fragment-program passes between render
// targets, and the projected-light pass that shades a model with a picture
// thrown from the light's point of view.
#include "render/renderer.h"

void Renderer::runScreenPass(int32_t k, int32_t slot, int32_t passes, int32_t width, int32_t height,
                             int32_t firstTexture, int32_t texture, int32_t second, int32_t third)
{
    const double one = 1.0;
    for (int32_t pass = 0; pass < passes; ++pass) {
        enableShaders();
        glPushMatrix();
        glViewport(0, 0, width, height);
        beginRenderTarget(slot, 1);

        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3f(1.0f, 1.0f, 1.0f);
        glEnable(GL_TEXTURE_2D);

        // Later passes read the previous pass's result.
        const int32_t source = pass == 0 ? firstTexture : texture;
        if (second < 0 && third < 0)
            bindDecal(k, source);
        else if (second >= 0 && third < 0)
            bindDecal2(k, source, second);
        else if (second >= 0 && third >= 0)
            bindDecal3(k, source, second, third);

        drawQuad(0.0, one, one, true);

        glPopMatrix();
        resolveRenderTarget(slot, width, height, 1, false);
        endRenderTarget();
    }
    disableShaders();
}

void Renderer::drawProjectedLight(int32_t model, int32_t textureA, int32_t textureB, int32_t k, CameraRecord camera,
                                  CameraRecord light, double time)
{
    // The model-view matrix holds the camera's look-at alone.
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.centre.x, camera.centre.y, camera.centre.z,
              camera.up.x, camera.up.y, camera.up.z);
    glDisable(GL_TEXTURE_2D);
    glPushMatrix();
    disableFragmentProfile();
    disableVertexProfile();
    glEnable(GL_TEXTURE_2D);
    glPopMatrix();

    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    bindProgram(k);
    bindProgram(k + 1);
    enableFragmentProfile();
    enableVertexProfile();

    lookupParameter(k, 1, "CameraPos");
    setParameter3(k, 1, this->camera.eye.x, this->camera.eye.y, this->camera.eye.z);
    lookupParameter(k, 2, "LightPos");
    setParameter3(k, 2, light.eye.x, light.eye.y, light.eye.z);

    // The light's projection, mapped from clip space into texture space.
    glPushMatrix();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslated(0.5, 0.5, 0.5);
    glScaled(0.5, 0.5, 0.5);
    gluPerspective(75.0 + fieldOfViewOffset, projectionAspect, nearPlane, farPlane);
    gluLookAt(light.eye.x, light.eye.y, light.eye.z, light.centre.x, light.centre.y, light.centre.z, light.up.x,
              light.up.y, light.up.z);
    bindTextureMatrix(k, 6);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPushMatrix();
    bindModelViewProjection(k, 5);

    drawModel(model, 7, time, textureEntry(textureA), textureEntry(textureB), k);

    glPopMatrix();
    disableFragmentProfile();
    disableVertexProfile();
    glPopMatrix();
    glPushMatrix();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
