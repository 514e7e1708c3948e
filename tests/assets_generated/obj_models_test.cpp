// The generated OBJ models have the objects, placement and sizes the game
// relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "assets/obj_mesh.h"
#include "assets_generated/built_assets.h"

namespace {

struct Point {
    double x, y, z;
};

struct Model {
    std::vector<Point> vertices;
    std::vector<std::vector<Point>> objectVertices;
};

// Every face corner, per object, as the game's reader takes them (that it
// skips nothing in these files is checked with the other loaders).
Model load(const std::string& name, size_t expectedObjects)
{
    ObjMesh mesh;
    mesh.loadObj(builtAsset("meshes/" + name), -1);
    EXPECT_EQ(mesh.objects.size(), expectedObjects) << name;
    Model m;
    for (const auto& faces : mesh.objects) {
        m.objectVertices.emplace_back();
        for (const ObjFace& face : faces) {
            for (const Vec3& c : face.corners) {
                m.vertices.push_back({c.x, c.y, c.z});
                m.objectVertices.back().push_back({c.x, c.y, c.z});
            }
        }
    }
    return m;
}

double radiusFromOrigin(const std::vector<Point>& points)
{
    double r = 0;
    for (const Point& p : points)
        r = std::max(r, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
    return r;
}

Point centroid(const std::vector<Point>& points)
{
    Point c{0, 0, 0};
    for (const Point& p : points) {
        c.x += p.x / points.size();
        c.y += p.y / points.size();
        c.z += p.z / points.size();
    }
    return c;
}

}  // namespace

TEST(GeneratedModels, CraftHasTailRotorMainRotorAndBody)
{
    const Model w = load("helicopter.obj", 3);
    ASSERT_EQ(w.objectVertices.size(), 3u);
    // The tail rotor sits on the pivot the game spins it about.
    const Point tail = centroid(w.objectVertices[0]);
    EXPECT_NEAR(tail.x, 2.82, 0.3);
    EXPECT_NEAR(tail.y, -0.44, 0.3);
    EXPECT_NEAR(tail.z, 9.07, 0.3);
    // The main rotor turns about the y axis above the body.
    const Point rotor = centroid(w.objectVertices[1]);
    EXPECT_NEAR(rotor.x, 0.0, 0.3);
    EXPECT_NEAR(rotor.z, 0.0, 0.3);
    EXPECT_GT(rotor.y, 1.5);
    // Sized for a course of radius 20 and a contact radius of 10.
    EXPECT_LT(radiusFromOrigin(w.vertices), 13.0);
    EXPECT_GT(radiusFromOrigin(w.objectVertices[2]), 6.0);
    // The nose (canopy end) points toward -x: the game's 90 degree turn makes that +z.
    double minX = 0, maxAbsZNearNose = 0;
    for (const Point& p : w.objectVertices[2])
        minX = std::min(minX, p.x);
    for (const Point& p : w.objectVertices[2])
        if (p.x < minX + 1.0)
            maxAbsZNearNose = std::max(maxAbsZNearNose, std::fabs(p.z));
    EXPECT_LT(minX, -4.0);
    EXPECT_LT(maxAbsZNearNose, 2.5);
}

TEST(GeneratedModels, RingPiecesWrapTheLeftHalfOfTheCourse)
{
    // After the game's placement (0, -6, z) and 90 degree turn about y, model
    // z becomes world x: every ring vertex must lie on the z <= 0 side, just
    // outside the radius-20 course around its axis.
    struct Ring {
        const char* file;
        double centreY;
    };
    for (const Ring& ring : {Ring{"gear.obj", 6.0}, Ring{"gears2.obj", 0.0}}) {
        SCOPED_TRACE(ring.file);
        const Model w = load(ring.file, 1);
        double nearest = 1e9, farthest = 0, maxZ = -1e9;
        for (const Point& p : w.vertices) {
            const double r = std::hypot(p.z, p.y - ring.centreY);
            nearest = std::min(nearest, r);
            farthest = std::max(farthest, r);
            maxZ = std::max(maxZ, p.z);
        }
        EXPECT_GE(nearest, 20.0);
        EXPECT_LT(nearest, 21.5);
        EXPECT_LT(farthest, 27.0);
        EXPECT_LE(maxZ, 0.5);  // at most half a strut past the top and bottom
    }
}

