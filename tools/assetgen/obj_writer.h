// obj_writer.h - writes shapes as OBJ text in the subset the game's reader takes:
// each object starts with an "o" line and its own "v" lines, then a "vt" and an
// "s" line, then faces "f a/1 b/1 c/1" (or four corners), indices counting
// every vertex of the file from 1.
#pragma once

#include <string>
#include <vector>

#include "shape.h"

bool writeObj(const std::string& path, const std::vector<Shape>& objects);
