// scene_3ds.h - a textured static scene and its writer as a 3DS file: editor
// data (materials, then one triangle mesh per object with texture coordinates,
// a material group, smoothing groups and a local matrix) and a keyframer with
// one object node per mesh.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct SceneMaterial {
    std::string name;
    std::array<uint8_t, 3> ambient{}, diffuse{}, specular{};
    int shininessPercent = 0;
    int transparencyPercent = 0;
    std::string texture;  // texture-1 file name, under meshes/
    std::string bump;     // bump map file name, or empty
};

struct SceneMesh {
    std::string name;
    std::string material;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> uvs;  // one per position
    std::vector<std::array<uint16_t, 3>> triangles;
    std::vector<uint32_t> smoothing;  // one group word per triangle

    // A quad of its own four corners (so texture coordinates stay per face),
    // corners counter-clockwise from the front, u and v spanning [0, us] x [0, vs].
    void quad(const std::array<float, 3>& a, const std::array<float, 3>& b, const std::array<float, 3>& c,
              const std::array<float, 3>& d, float us, float vs, uint32_t group);
};

struct Scene {
    std::vector<SceneMaterial> materials;
    std::vector<SceneMesh> meshes;
};

std::vector<uint8_t> encodeScene3ds(const Scene& scene);
bool writeScene3ds(const std::string& path, const Scene& scene);
