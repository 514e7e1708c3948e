// l3ds_importer.cpp - the scene lists and their look-ups.
#include "assets/l3ds/l3ds_importer.h"

#include <cmath>

LVector3 normalizedOr(LVector3 v, LVector3 fallback)
{
    float length = std::sqrt(dot(v, v));
    if (!(length > 1e-20f) || !std::isfinite(length))
        return fallback;
    return v * (1.0f / length);
}

void LImporter::clear()
{
    meshes.clear();
    lights.clear();
    cameras.clear();
    materials.clear();
    nodes.clear();
    optimizationLevel = 2;
    frameCount = 1;
}

const LMaterial* LImporter::getMaterial(int32_t id) const
{
    if (id < 0 || id >= getMaterialCount())
        return nullptr;
    return &materials[id];
}

int32_t LImporter::findMesh(const std::string& name) const
{
    for (int32_t i = 0; i < getMeshCount(); ++i)
        if (meshes[i].name == name)
            return i;
    return -1;
}

int32_t LImporter::findMaterial(const std::string& name) const
{
    for (int32_t i = 0; i < getMaterialCount(); ++i)
        if (materials[i].name == name)
            return i;
    return -1;
}

const LAnimationNode* LImporter::getMeshNode(int32_t meshIndex) const
{
    if (meshIndex < 0 || meshIndex >= getMeshCount())
        return nullptr;
    const int32_t node = meshes[meshIndex].node;
    return node >= 0 && node < getNodeCount() ? &nodes[node] : nullptr;
}

LNodeTransform LImporter::getMeshTransform(int32_t meshIndex, float t) const
{
    const LAnimationNode* node = getMeshNode(meshIndex);
    return node ? node->transformAt(t) : LNodeTransform{};
}
