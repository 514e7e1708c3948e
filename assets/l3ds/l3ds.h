// l3ds.h - the 3D Studio (.3ds) scene reader.
//
// The file is read whole and parsed from memory; every chunk length, count and
// index is checked against the bytes that remain, so a damaged file stops the
// parse (keeping what was complete) instead of reading past the buffer. After
// the parse each mesh is moved into its local space, its keyframer tracks are
// expanded per frame and its normals and texture-space vectors are built.
//
// Budget: for a file of N bytes, reading it (loadFile, the N bytes of the file
// included) and planning its textures allocate at most 96 N bytes plus 8 MiB
// in all, and take time about linear in N. Every list entry is backed by the
// bytes of its chunk (the largest cost per byte: a 6-byte mesh chunk in an
// object of the longest name, about 68 bytes allocated per byte); the one
// thing not backed by its own bytes, the keyframer's per-frame expansion (the
// nodes times the scene's frames), may reach N / 2 + 2^18 frames, and a file
// that asks for more stops there as a damaged one does. Only the first node of
// a mesh is kept. Names, keys and smoothing words are found by hashing,
// sorting or walking forward, never by searching from the start each time.
// Memory that runs out anyway ends the read with an empty scene, never with
// an exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "assets/l3ds/l3ds_importer.h"

// The budget: bytes allocated per input byte, and the fixed allowance.
constexpr size_t L3DS_BUDGET_PER_BYTE = 96;
constexpr size_t L3DS_BUDGET_FIXED = size_t(8) << 20;

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
