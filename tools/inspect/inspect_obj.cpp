// inspect_obj.cpp - glasswake-inspect obj FILE: what the OBJ reader keeps.
//
// Prints the vertices read, the face count of each object, the faces and
// lines skipped as outside the subset, and the bounding box of all corners.
#include <cfloat>
#include <cstdio>
#include <string>

#include "assets/obj_mesh.h"
#include "inspect.h"

namespace {

std::string number(float v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
    return buf;
}

std::string triple(const float v[3]) { return "[" + number(v[0]) + "," + number(v[1]) + "," + number(v[2]) + "]"; }

int rejected(const std::string& file, const char* reason)
{
    std::printf("{\"file\":%s,\"error\":%s}\n", jsonString(file).c_str(), jsonString(reason).c_str());
    return 1;
}

int inspectObj(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: glasswake-inspect obj FILE\n");
        return 2;
    }
    const std::string file = argv[1];
    ObjMesh mesh;
    ObjReadStats stats = mesh.loadObjWithStats(file, -1);
    if (!stats.fileRead)
        return rejected(file, "cannot open or read the file");
    if (stats.vertices == 0)
        return rejected(file, "no \"v\" line: the mesh is empty");

    std::string counts;
    long faces = 0;
    float low[3] = {FLT_MAX, FLT_MAX, FLT_MAX};
    float high[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (const std::vector<ObjFace>& object : mesh.objects) {
        counts += (counts.empty() ? "" : ",") + std::to_string(object.size());
        faces += static_cast<long>(object.size());
        for (const ObjFace& face : object) {
            for (const Vec3& c : face.corners) {
                const float p[3] = {c.x, c.y, c.z};
                for (int k = 0; k < 3; ++k) {
                    low[k] = p[k] < low[k] ? p[k] : low[k];
                    high[k] = p[k] > high[k] ? p[k] : high[k];
                }
            }
        }
    }
    std::string bounds = faces == 0 ? "null" : "{\"min\":" + triple(low) + ",\"max\":" + triple(high) + "}";
    std::printf("{\"file\":%s,\"vertices\":%d,\"objects\":[%s],\"faces\":%ld,\"skippedFaces\":%d,"
                "\"skippedLines\":%d,\"bounds\":%s}\n",
                jsonString(file).c_str(), stats.vertices, counts.c_str(), faces, stats.skippedFaces,
                stats.skippedLines, bounds.c_str());
    return 0;
}

const InspectCommand command("obj", "FILE", inspectObj);

}  // namespace
