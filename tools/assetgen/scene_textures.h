// scene_textures.h - the material pictures of the 3DS scene, written under meshes/.
// Names are upper case and contain "JPG" so the scene loader picks them up;
// the one with "BLEND" in its name has an "alpha" companion carrying coverage in green.
#pragma once

#include <string>

namespace scene_textures {
inline const char* const kFloor = "FLOORGRID.JPG";
inline const char* const kFloorBump = "FLOORBUMP.JPG";
inline const char* const kWall = "WALLPANEL.JPG";
inline const char* const kWallBump = "WALLBUMP.JPG";
inline const char* const kPylon = "PYLON.JPG";
inline const char* const kGlass = "PANELBLEND.JPG";  // with meshes/alphaPANELBLEND.JPG
inline const char* const kRail = "RAILLIGHT.JPG";
}  // namespace scene_textures

bool writeSceneTextures(const std::string& outputDir);
