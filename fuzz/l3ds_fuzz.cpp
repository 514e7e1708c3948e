// l3ds_fuzz.cpp - the 3DS reader on arbitrary bytes.
//
// Beyond memory errors, it checks what drawing relies on: equal array lengths,
// triangle indices inside the vertices, material ids that exist; and that the
// read and its texture plan keep to the reader's budget.
#include <cstddef>
#include <cstdint>

#include "assets/l3ds/l3ds.h"
#include "assets/scene_textures.h"
#include "budget_check.h"

namespace {

// Steps per input byte: up to 1024 smoothing words compared at each of the
// three corners of an 8-byte triangle; the fixed part covers the 2^18
// frames any file may expand to.
constexpr uint64_t WORK_PER_BYTE = 3 * 1024;
constexpr uint64_t FIXED_WORK = uint64_t(1) << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    L3DS scene;
    {
        BudgetCheck budget;
        scene.loadFromMemory(data, size);
        planSceneTextures(scene, 0);
        budget.expectWithin(size, L3DS_BUDGET_PER_BYTE, L3DS_BUDGET_FIXED, WORK_PER_BYTE, FIXED_WORK);
    }
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
