// hall_scene.h - "meshes/box.3ds": the hall the half-pipe runs through.
#pragma once

#include <string>

#include "scene_3ds.h"

// The hall: floor, side walls, pylons, cross beams, a glass roof and light
// rails, from z = -100 to 6500, one material per mesh.
Scene buildHallScene();

bool writeHallScene(const std::string& outputDir);
