// l3ds_writer.h - a small 3DS writer for building test scenes in memory
// (on the asset generator's chunk writer).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "assets/l3ds/l3ds_types.h"
#include "tools/assetgen/chunk_writer.h"

struct TestMaterial {
    std::string name;
    std::string texture1;  // empty: no map chunk
    std::string bump;
};

struct TestMesh {
    std::string name;
    std::vector<LVector3> vertices;
    std::vector<LVector2> uvs;
    std::vector<LTriangle> triangles;
    std::vector<uint32_t> smoothing;  // empty: no smoothing chunk
    std::vector<std::pair<std::string, std::vector<uint16_t>>> materialGroups;
    bool writeMatrix = false;
    float matrix[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};  // X, Y, Z axes, origin
};

struct TestRotationKey {
    uint32_t frame;
    float angle;
    LVector3 axis;  // as written in the file
};

struct TestNode {
    std::string name;
    LVector3 pivot;
    std::vector<std::pair<uint32_t, LVector3>> positions;
    std::vector<TestRotationKey> rotations;
};

struct TestScene {
    std::vector<TestMaterial> materials;
    std::vector<TestMesh> meshes;
    std::vector<TestNode> nodes;
};

std::vector<uint8_t> write3ds(const TestScene& scene);

// A unit quad of two triangles (vertices 0..3) using one material, if named.
TestMesh quadMesh(const std::string& name, const std::string& material);
