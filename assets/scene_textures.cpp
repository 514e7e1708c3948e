// scene_textures.cpp - which textures a 3DS scene needs and in which slots.
#include "assets/scene_textures.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "assets/l3ds/l3ds.h"
#include "base/work_meter.h"

namespace {

std::array<uint32_t, 256> makeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
        table[i] = c;
    }
    return table;
}

struct TexturedPair {
    std::string texture;
    std::string bump;
    int32_t first = 0;  // earliest pair with the same texture
};

}  // namespace

uint32_t sceneNameHash(const std::string& name)
{
    static const std::array<uint32_t, 256> table = makeCrcTable();
    uint32_t c = 0;
    for (unsigned char byte : name)
        c = (c << 8) ^ table[(c >> 24) ^ byte];
    return c ^ static_cast<uint32_t>(name.size());
}

int32_t sceneTextureBase(int32_t sceneIndex)
{
    return (sceneIndex + 1000) * 100;
}

SceneTexturePlan planSceneTextures(const L3DS& scene, int32_t sceneIndex)
{
    SceneTexturePlan plan;
    std::vector<TexturedPair> pairs;
    plan.meshTextureIndex.assign(scene.getMeshCount(), -1);
    std::vector<int32_t> firstPairOfMesh(scene.getMeshCount(), -1);
    // Pairs naming the same file share the earliest one's texture. Names are
    // compared, not their hashes, which could pair different files.
    std::unordered_map<std::string, int32_t> firstPairOfName;
    for (int32_t m = 0; m < scene.getMeshCount(); ++m) {
        for (int32_t id : scene.getMesh(m).materials) {
            const LMaterial* material = scene.getMaterial(id);
            if (!material || material->texture1.fileName.empty())
                continue;  // nothing to texture, whatever else the material names
            if (firstPairOfMesh[m] < 0)
                firstPairOfMesh[m] = static_cast<int32_t>(pairs.size());
            TexturedPair pair;
            pair.texture = material->texture1.fileName;
            pair.bump = material->bump.fileName;
            pair.first = firstPairOfName.try_emplace(pair.texture, static_cast<int32_t>(pairs.size())).first->second;
            ++readerWork;
            pairs.push_back(std::move(pair));
        }
    }

    // A texture's slot offset is its earliest pair's number. Once that would
    // reach the normal-map half (more than 50 pairs), names are numbered in
    // order of appearance instead and those past 50 stay untextured.
    const int32_t n = static_cast<int32_t>(pairs.size());
    std::vector<int32_t> offsetOfFirst(n, -1);
    bool pairNumbersFit = true;
    for (int32_t k = 0; k < n; ++k) {
        if (pairs[k].first == k) {
            offsetOfFirst[k] = plan.distinctNames++;
            pairNumbersFit = pairNumbersFit && k < SCENE_TEXTURE_SLOTS;
        }
    }
    for (int32_t k = 0; k < n; ++k) {
        if (pairs[k].first != k)
            continue;
        if (pairNumbersFit)
            offsetOfFirst[k] = k;
        else if (offsetOfFirst[k] >= SCENE_TEXTURE_SLOTS)
            offsetOfFirst[k] = -1;
    }
    plan.droppedNames = pairNumbersFit ? 0 : std::max(0, plan.distinctNames - SCENE_TEXTURE_SLOTS);

    plan.textureIndex.resize(n);
    for (int32_t k = 0; k < n; ++k)
        plan.textureIndex[k] = offsetOfFirst[pairs[k].first];
    for (int32_t m = 0; m < scene.getMeshCount(); ++m)
        if (firstPairOfMesh[m] >= 0)
            plan.meshTextureIndex[m] = plan.textureIndex[firstPairOfMesh[m]];

    const int32_t base = sceneTextureBase(sceneIndex);
    for (int32_t k = 0; k < n; ++k) {
        const TexturedPair& pair = pairs[k];
        int32_t offset = plan.textureIndex[k];
        if (pair.first != k || offset < 0)
            continue;  // loaded with its earliest pair, or left untextured
        // Only upper-case "JPG" names are pictures the game can load.
        if (pair.texture.find("JPG") == std::string::npos)
            continue;
        SceneTextureLoad colour;
        colour.path = "meshes/" + pair.texture;
        colour.slot = base + offset;
        if (pair.texture.find("BLEND") != std::string::npos) {
            colour.kind = SceneTextureLoad::ColourWithAlpha;
            colour.alphaPath = "meshes/alpha" + pair.texture;
        }
        plan.loads.push_back(colour);
        if (!pair.bump.empty()) {
            SceneTextureLoad normalMap;
            normalMap.kind = SceneTextureLoad::NormalMap;
            normalMap.path = "meshes/" + pair.bump;
            normalMap.slot = base + offset + SCENE_TEXTURE_SLOTS;
            plan.loads.push_back(normalMap);
        }
    }
    return plan;
}
