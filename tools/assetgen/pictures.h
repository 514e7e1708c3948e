// pictures.h - the game's JPEG pictures, drawn procedurally.
#pragma once

#include <string>

// Writes every picture under OUTPUT_DIR/textures (and the scene's under meshes/).
bool writePictures(const std::string& outputDir);
