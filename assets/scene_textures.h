// scene_textures.h - which textures a 3DS scene needs and in which slots.
//
// Every (mesh, material) pair whose material names a texture-1 file gets an
// entry; pairs naming the same file share the texture of the earliest one.
// The scene's slot base is (scene + 1000) * 100: colour textures take the
// first 50 slots, their normal maps the 50 after. The plan is kept apart from
// the GL work so that tools and tests can see what importScene will do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class L3DS;

constexpr int32_t SCENE_TEXTURE_SLOTS = 50;

// CRC-32 of the name (polynomial 0x04C11DB7, most significant bit first,
// starting from 0) XOR its length; the empty name hashes to 0.
uint32_t sceneNameHash(const std::string& name);

int32_t sceneTextureBase(int32_t sceneIndex);

struct SceneTextureLoad {
    enum Kind { Colour, ColourWithAlpha, NormalMap };
    Kind kind = Colour;
    std::string path;
    std::string alphaPath;  // ColourWithAlpha only
    int32_t slot = 0;
};

struct SceneTexturePlan {
    std::vector<int32_t> textureIndex;      // per textured pair: slot offset, or -1
    std::vector<int32_t> meshTextureIndex;  // per mesh: offset of its first textured pair, or -1
    std::vector<SceneTextureLoad> loads;    // in the order they are to be made
    int32_t distinctNames = 0;
    int32_t droppedNames = 0;  // distinct names past the 50 slots, left untextured
};

SceneTexturePlan planSceneTextures(const L3DS& scene, int32_t sceneIndex);
