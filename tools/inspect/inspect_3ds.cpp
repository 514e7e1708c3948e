// inspect_3ds.cpp - glasswake-inspect 3ds FILE: what the 3DS importer reads.
//
// Prints the meshes (name, vertices after smoothing-group splits, triangles,
// material ids), the materials with their texture-1 and bump names, and the
// textureIndex array importScene would build for the scene.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "assets/l3ds/l3ds.h"
#include "assets/scene_textures.h"
#include "base/file_bytes.h"
#include "inspect.h"

namespace {

std::string jsonIntArray(const std::vector<int32_t>& values)
{
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i)
        out += (i ? "," : "") + std::to_string(values[i]);
    return out + "]";
}

int inspect3ds(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: glasswake-inspect 3ds FILE\n");
        return 2;
    }
    const char* fileName = argv[1];
    const int probe = openRegularFile(fileName);
    if (probe < 0) {
        std::printf("{\"file\":%s,\"error\":\"cannot open the file\"}\n", jsonString(fileName).c_str());
        return 1;
    }
    close(probe);

    L3DS scene;
    if (!scene.loadFile(fileName)) {
        std::printf("{\"file\":%s,\"error\":\"not a 3DS file or damaged (read stopped after %d meshes)\"}\n",
                    jsonString(fileName).c_str(), scene.getMeshCount());
        return 1;
    }

    std::string out = "{\"file\":" + jsonString(fileName) + ",\"meshes\":[";
    for (int32_t i = 0; i < scene.getMeshCount(); ++i) {
        const LMesh& mesh = scene.getMesh(i);
        out += std::string(i ? "," : "") + "{\"name\":" + jsonString(mesh.name) +
               ",\"vertices\":" + std::to_string(mesh.getVertexCount()) +
               ",\"triangles\":" + std::to_string(mesh.getTriangleCount()) +
               ",\"materials\":" + jsonIntArray(mesh.materials) +
               ",\"animated\":" + (scene.getMeshNode(i) ? "true" : "false") + "}";
    }
    out += "],\"materials\":[";
    for (int32_t i = 0; i < scene.getMaterialCount(); ++i) {
        const LMaterial& m = scene.materials[i];
        out += std::string(i ? "," : "") + "{\"id\":" + std::to_string(m.id) + ",\"name\":" + jsonString(m.name) +
               ",\"texture1\":" + jsonString(m.texture1.fileName) + ",\"bump\":" + jsonString(m.bump.fileName) + "}";
    }
    SceneTexturePlan plan = planSceneTextures(scene, 0);
    out += "],\"frames\":" + std::to_string(scene.frameCount) +
           ",\"lights\":" + std::to_string(scene.getLightCount()) +
           ",\"cameras\":" + std::to_string(scene.getCameraCount()) +
           ",\"textureIndex\":" + jsonIntArray(plan.textureIndex) +
           ",\"meshTextureIndex\":" + jsonIntArray(plan.meshTextureIndex) +
           ",\"untexturedNames\":" + std::to_string(plan.droppedNames) + "}";
    std::printf("%s\n", out.c_str());
    return 0;
}

const InspectCommand command("3ds", "FILE", inspect3ds);

}  // namespace
