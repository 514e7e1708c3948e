// obj_mesh.h - static models from a small subset of Wavefront OBJ.
//
// The reader understands "v x y z" lines and faces of three or four corners
// written as "f a/t b/t c/t [d/t]" (an index, a separator and one character),
// split into objects by lines that begin with 'o'. Faces keep copies of their
// corner positions, so a mesh is a list of objects, each a flat list of quads
// ready to draw. Anything outside that subset is skipped, never trusted:
// faces with a bad index, five or more corners or a malformed corner, and
// other lines between face lines, are dropped and reading goes on with the
// next line. Drawing lives with the renderer.
//
// Budget: for a file of N bytes, loadObj allocates at most 24 N bytes plus
// 64 KiB in all (the N bytes of the file included) and takes time linear in
// N: the text is read once, front to back. Each stored vertex, face and object
// is backed by at least 8, 13 and 4 bytes of text (a face of 13 bytes costs
// 64, about 17 bytes allocated per byte at worst). Memory that runs out anyway
// leaves the mesh empty, never with an exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/vec3.h"

// The budget: bytes allocated per input byte, and the fixed allowance.
constexpr size_t OBJ_BUDGET_PER_BYTE = 24;
constexpr size_t OBJ_BUDGET_FIXED = size_t(64) << 10;

// One face; a triangle repeats its third corner as the fourth.
struct ObjFace {
    Vec3 corners[4];
};

// What a read saw, for tools and tests; the game ignores it.
struct ObjReadStats {
    bool fileRead = false;     // the file could be opened and read
    int32_t vertices = 0;      // "v" lines taken into the vertex list
    int32_t skippedFaces = 0;  // face lines outside the subset
    int32_t skippedLines = 0;  // other lines met among the face lines
};

class ObjMesh {
public:
    int32_t listId = -1;        // GL display list; -1 or below: draw without one
    bool needsCompile = false;  // the first draw records the display list
    std::vector<std::vector<ObjFace>> objects;
    bool loaded = false;  // a mesh is loaded once; later loads do nothing

    // A missing or unreadable file leaves the mesh empty (and loaded).
    void loadObj(std::string fileName, int32_t listId);
    ObjReadStats loadObjWithStats(const std::string& fileName, int32_t listId);
    // The same reader on text already in memory.
    ObjReadStats loadObjText(std::string_view text, int32_t listId);
};
