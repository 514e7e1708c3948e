// l3ds.h - the 3D Studio (.3ds) scene reader.
//
// The file is read whole and parsed from memory; every chunk length, count and
// index is checked against the bytes that remain, so a damaged file stops the
// parse (keeping what was complete) instead of reading past the buffer. After
// the parse each mesh is moved into its local space, its keyframer tracks are
// expanded per frame and its normals and texture-space vectors are built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/l3ds_importer.h"

class L3DS : public LImporter {
public:
    // False when the file cannot be opened or read (the scene is then left as
    // it was), otherwise whether it parsed completely.
    bool loadFile(const char* fileName) override;
    // The same from bytes already in memory.
    bool loadFromMemory(const uint8_t* data, size_t size);
    void clear() override;

    // Filled by Renderer::importScene. For the n-th (mesh, material) pair whose
    // material has a texture-1 file name: the offset of its colour texture from
    // the scene's slot base (its normal map is 50 further), or -1 when the pair
    // stays untextured.
    std::vector<int32_t> textureIndex;
    int32_t textureCount = 0;
    // Per mesh: the offset of its first textured pair, or -1 when it has none.
    // Drawing reads this rather than textureIndex[mesh], which only lines up
    // with the meshes when every mesh has exactly one textured material.
    std::vector<int32_t> meshTextureIndex;
    int32_t getMeshTextureIndex(int32_t meshIndex) const;

private:
    void finishLoading();
};
