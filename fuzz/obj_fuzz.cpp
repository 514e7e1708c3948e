// obj_fuzz.cpp - libFuzzer target for the OBJ reader.
//
// Besides the sanitizers' checks it asserts what the drawing code relies on:
// every corner is a plain vector with finite components; and that the read
// keeps to the reader's budget.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "assets/obj_mesh.h"
#include "budget_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ObjMesh mesh;
    ObjReadStats stats;
    {
        BudgetCheck budget;
        stats = mesh.loadObjText(std::string_view(reinterpret_cast<const char*>(data), size), 7);
        // The text is read front to back: a few looks at each character.
        budget.expectWithin(size, OBJ_BUDGET_PER_BYTE, OBJ_BUDGET_FIXED, 8, 64);
    }
    size_t faces = 0;
    for (const auto& object : mesh.objects) {
        for (const ObjFace& face : object) {
            ++faces;
            for (const Vec3& c : face.corners) {
                if (c.kind != VEC_PLAIN || !std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z))
                    __builtin_trap();
            }
        }
    }
    if (faces > 0 && stats.vertices == 0)
        __builtin_trap();
    return 0;
}
