// pictures.h - the game's JPEG pictures, drawn procedurally.
#pragma once

#include <string>

// Writes the pictures under OUTPUT_DIR/textures.
bool writePictures(const std::string& outputDir);
