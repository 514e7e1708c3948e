// l3ds_fuzz.cpp - the 3DS reader on arbitrary bytes.
//
// Beyond memory errors, it checks what drawing relies on: equal array lengths,
// triangle indices inside the vertices, material ids that exist.
#include <cstddef>
#include <cstdint>

#include "assets/l3ds.h"
#include "assets/scene_textures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    L3DS scene;
    scene.loadFromMemory(data, size);
    for (int32_t i = 0; i < scene.getMeshCount(); ++i) {
        const LMesh& mesh = scene.getMesh(i);
        size_t n = mesh.vertices.size();
        if (mesh.normals.size() != n || mesh.textureSpace.size() != n || mesh.uvs.size() != n ||
            mesh.extendedTriangles.size() != mesh.triangles.size())
            __builtin_trap();
        for (const LTriangle& t : mesh.triangles)
            if (t.a >= n || t.b >= n || t.c >= n)
                __builtin_trap();
        for (int32_t id : mesh.materials)
            if (!scene.getMaterial(id))
                __builtin_trap();
        for (float t : {0.0f, 0.37f, 0.999f, 2.5f})
            scene.getMeshTransform(i, t);
    }
    SceneTexturePlan plan = planSceneTextures(scene, 0);
    for (const SceneTextureLoad& load : plan.loads)
        if (load.slot < 100000 || load.slot >= 100100)
            __builtin_trap();
    return 0;
}
