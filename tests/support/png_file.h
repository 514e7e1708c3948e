// png_file.h - writes an RGBA picture as a PNG (uncompressed deflate), so
// rendering tests can leave a picture to look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgba: width * height pixels, bottom row first (as glReadPixels gives them).
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);
