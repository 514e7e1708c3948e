// camera.cpp - storing the viewer's placement and handing it to the GL.
#include "render/renderer.h"

void Renderer::setCamera(const double& eyeX, const double& eyeY, const double& eyeZ, const double& centreX,
                         const double& centreY, const double& centreZ, const double& upX, const double& upY,
                         const double& upZ)
{
    camera.eye = makeVec3(static_cast<float>(eyeX), static_cast<float>(eyeY), static_cast<float>(eyeZ));
    camera.centre =
        makeVec3(static_cast<float>(centreX), static_cast<float>(centreY), static_cast<float>(centreZ));
    camera.up = makeVec3(static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ));
}

void Renderer::applyCamera()
{
    gluLookAt(camera.eye.x, camera.eye.y, camera.eye.z, camera.centre.x, camera.centre.y, camera.centre.z,
              camera.up.x, camera.up.y, camera.up.z);
}
