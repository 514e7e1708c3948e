// obj_fuzz.cpp - libFuzzer target for the OBJ reader.
//
// Besides the sanitizers' checks it asserts what the drawing code relies on:
// every corner is a plain vector with finite components.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "assets/obj_mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ObjMesh mesh;
    ObjReadStats stats = mesh.loadObjText(std::string_view(reinterpret_cast<const char*>(data), size), 7);
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
