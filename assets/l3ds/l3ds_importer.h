// l3ds_importer.h - a loaded 3D scene, independent of the file format.
//
// LImporter holds the lists a scene file fills; L3DS (l3ds.h) is the 3DS
// reader built on it.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/l3ds/l3ds_objects.h"

class LImporter {
public:
    LImporter() = default;
    virtual ~LImporter() = default;
    virtual bool loadFile(const char* fileName) = 0;
    // Empties every list and sets the optimisation level back to 2.
    virtual void clear();

    std::vector<LMesh> meshes;
    std::vector<LLight> lights;
    std::vector<LCamera> cameras;
    std::vector<LMaterial> materials;
    std::vector<LAnimationNode> nodes;
    int32_t optimizationLevel = 2;
    int32_t frameCount = 1;  // frames of the expanded animation, at least 1

    int32_t getMeshCount() const { return static_cast<int32_t>(meshes.size()); }
    int32_t getMaterialCount() const { return static_cast<int32_t>(materials.size()); }
    int32_t getLightCount() const { return static_cast<int32_t>(lights.size()); }
    int32_t getCameraCount() const { return static_cast<int32_t>(cameras.size()); }
    int32_t getNodeCount() const { return static_cast<int32_t>(nodes.size()); }
    LMesh& getMesh(int32_t index) { return meshes[index]; }
    const LMesh& getMesh(int32_t index) const { return meshes[index]; }
    // The material with this id, or nullptr when there is none.
    const LMaterial* getMaterial(int32_t id) const;
    // Index of the first mesh called `name`, or -1.
    int32_t findMesh(const std::string& name) const;
    // Index of the first material called `name`, or -1.
    int32_t findMaterial(const std::string& name) const;
    // The animation node of a mesh, or nullptr when it has none.
    const LAnimationNode* getMeshNode(int32_t meshIndex) const;
    // Where mesh `meshIndex` is at time t (see LAnimationNode::transformAt);
    // a mesh without a node stays where the file put it.
    LNodeTransform getMeshTransform(int32_t meshIndex, float t) const;
};
