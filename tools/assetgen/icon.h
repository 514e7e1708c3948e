// icon.h - the desktop icon: a craft gliding down a glowing half-pipe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The icon's edge lengths in pixels, one PNG each.
inline constexpr int kIconSizes[] = {48, 128, 256};

// Straight (not premultiplied) RGBA, top row first.
std::vector<uint8_t> drawIcon(int size);

// Writes OUTPUT_DIR/icons/hicolor/<N>x<N>/apps/glasswake.png for every size,
// the layout of the freedesktop icon theme they are installed into.
bool writeIcons(const std::string& outputDir);
