// camera.h - the placement record of the viewer and of the projected light.
#pragma once

#include "base/vec3.h"

// Eye point, point looked at, and up direction (neither unit length nor
// orthogonal to the view direction need it be).
struct CameraRecord {
    Vec3 eye;
    Vec3 centre;
    Vec3 up;
};
