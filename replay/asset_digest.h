// asset_digest.h - which files a run read, and whether a replay was made
// with the files and the version at hand.
//
// A replay plays back exactly only with the assets it was recorded with: the
// level is the same whatever the files, but the pictures and sounds are not.
// The list is the game's load list (the loader's picture, the game part's
// textures, meshes, box scene with the textures it names, shaders, motion
// file and music) in load order; each file is hashed whole.
#pragma once

#include <string>
#include <vector>

#include "replay/replay_file.h"

// The files, relative to the game's folder `base` (which ends in '/' or is empty).
std::vector<std::string> gameAssetFiles(const std::string& base);
// Each file with its content hash (0 for a file that cannot be read).
std::vector<ReplayAsset> digestGameAssets(const std::string& base);

// A header this build plays: its version and rules, the given settings and
// level, and the assets in `base` as they are.
ReplayHeader headerOfThisBuild(const ReplaySettings& settings, uint32_t levelSeed, const std::string& base);

// Why this build cannot play the replay back exactly ("" when it can): a
// game version or rules other than this one's, or assets other than those in
// `base` (each file of the game's list named once, with the same content).
std::string replayMismatch(const ReplayHeader& header, const std::string& base);
