// models.h - the OBJ models of the game, written under OUTPUT_DIR/meshes.
#pragma once

#include <string>

// "helicopter.obj": tail rotor, main rotor, body, in that order.
bool writeCraftModel(const std::string& outputDir);
// "gear.obj" and "gears2.obj": the pieces the half-pipe and its arches are built from.
bool writeRingModels(const std::string& outputDir);
// "sprite1.obj" ... "sprite11.obj" (no sprite4): one model per entity kind.
bool writeEntityModels(const std::string& outputDir);
