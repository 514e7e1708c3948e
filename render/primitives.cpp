// primitives.cpp - the unit quad and a few small GL state helpers shared by
// the shell, the screen passes and the game.
#include <cmath>

#include "render/renderer.h"

void Renderer::drawQuad(double angle, const double& scaleX, const double& scaleY, bool faceCamera)
{
    if (faceCamera) {
        // Keep the translation of the model-view matrix, drop its rotation and
        // scale, so the quad faces the viewer where it stands.
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        m[0] = m[5] = m[10] = 1.0f;
        m[1] = m[2] = m[4] = m[6] = m[8] = m[9] = 0.0f;
        glLoadMatrixf(m);
    }
    glRotated(angle, 0.0, 0.0, 1.0);
    glScaled(std::fabs(scaleX), scaleY, 0.0);

    // A negative (or zero) x scale mirrors the texture instead of turning the quad over.
    const bool mirrored = !(scaleX > 0.0);
    const float s0 = mirrored ? 1.0f : 0.0f;
    const float s1 = mirrored ? 0.0f : 1.0f;
    glBegin(GL_QUADS);
    glTexCoord2f(s0, 0.0f); glVertex3f(-1.0f, -1.0f, 0.0f);
    glTexCoord2f(s1, 0.0f); glVertex3f(1.0f, -1.0f, 0.0f);
    glTexCoord2f(s1, 1.0f); glVertex3f(1.0f, 1.0f, 0.0f);
    glTexCoord2f(s0, 1.0f); glVertex3f(-1.0f, 1.0f, 0.0f);
    glEnd();
}

void Renderer::bindTextureIndex(int32_t textureIndex)
{
    glBindTexture(GL_TEXTURE_2D, textureEntry(textureIndex));
}

void Renderer::setLinearFiltering()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

void Renderer::resetDrawState()
{
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHT0);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_FOG);
}

void Renderer::loadBasis(const Vec3& axisX, const Vec3& axisY, const Vec3& axisZ)
{
    GLfloat m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    m[0] = axisX.x; m[1] = axisX.y; m[2] = axisX.z;
    m[4] = axisY.x; m[5] = axisY.y; m[6] = axisY.z;
    m[8] = axisZ.x; m[9] = axisZ.y; m[10] = axisZ.z;
    glLoadMatrixf(m);
}
