#include "hall_scene.h"

#include "scene_textures.h"

namespace {

constexpr float kStartZ = -100.0f;
constexpr float kEndZ = 6500.0f;
constexpr int kSegments = 100;  // 66 units each
constexpr float kSegment = (kEndZ - kStartZ) / kSegments;
constexpr float kFloorY = -34.0f;
constexpr float kRoofY = 70.0f;
constexpr float kTexel = 32.0f;  // world units per texture repeat

using V = std::array<float, 3>;

// A box of half sizes h around c; each face in its own smoothing group, so
// the edges stay sharp. `repeat` is the length of one texture repeat per axis;
// on the four sides v runs up the box.
void box(SceneMesh& m, V c, V h, V repeat = {kTexel, kTexel, kTexel})
{
    const float x0 = c[0] - h[0], x1 = c[0] + h[0], y0 = c[1] - h[1], y1 = c[1] + h[1], z0 = c[2] - h[2], z1 = c[2] + h[2];
    const float sx = 2 * h[0] / repeat[0], sy = 2 * h[1] / repeat[1], sz = 2 * h[2] / repeat[2];
    m.quad({x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, sz, sy, 1u << 0);  // -x
    m.quad({x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, sz, sy, 1u << 1);  // +x
    m.quad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, sx, sz, 1u << 2);  // -y
    m.quad({x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, sz, sx, 1u << 3);  // +y
    m.quad({x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, sx, sy, 1u << 4);  // -z
    m.quad({x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, sx, sy, 1u << 5);  // +z
}

SceneMesh floorMesh()
{
    SceneMesh m{"hall_floor", "floor_plates", {}, {}, {}, {}};
    const float xs[] = {-80.0f, 10.0f, 100.0f};
    for (int i = 0; i < kSegments; ++i) {
        const float z0 = kStartZ + kSegment * i, z1 = z0 + kSegment;
        for (int j = 0; j < 2; ++j)
            m.quad({xs[j], kFloorY, z0}, {xs[j], kFloorY, z1}, {xs[j + 1], kFloorY, z1}, {xs[j + 1], kFloorY, z0},
                   kSegment / kTexel, (xs[j + 1] - xs[j]) / kTexel, 1);
    }
    return m;
}

SceneMesh wallMesh()
{
    SceneMesh m{"hall_walls", "wall_panels", {}, {}, {}, {}};
    const float ys[] = {kFloorY, 18.0f, kRoofY};
    for (int i = 0; i < kSegments; ++i) {
        const float z0 = kStartZ + kSegment * i, z1 = z0 + kSegment;
        for (int j = 0; j < 2; ++j) {
            const float y0 = ys[j], y1 = ys[j + 1];
            const float vs = (y1 - y0) / kTexel, us = kSegment / kTexel;
            m.quad({100, y0, z0}, {100, y0, z1}, {100, y1, z1}, {100, y1, z0}, us, vs, 2);   // right wall, faces -x
            m.quad({-80, y0, z0}, {-80, y1, z0}, {-80, y1, z1}, {-80, y0, z1}, vs, us, 4);   // left wall, faces +x
        }
    }
    return m;
}

SceneMesh pylonMesh()
{
    SceneMesh m{"pylons", "pylon_metal", {}, {}, {}, {}};
    // The pylon picture spans a whole pylon: hazard bands at foot and head.
    const V once = {6, kRoofY - kFloorY, 6};
    for (float z = kStartZ + 35.0f; z < kEndZ; z += 2 * kSegment) {
        box(m, {55, (kFloorY + kRoofY) / 2, z}, {3, (kRoofY - kFloorY) / 2, 3}, once);
        box(m, {-50, (kFloorY + kRoofY) / 2, z}, {3, (kRoofY - kFloorY) / 2, 3}, once);
    }
    return m;
}

SceneMesh beamMesh()
{
    SceneMesh m{"roof_beams", "pylon_metal", {}, {}, {}, {}};
    for (float z = kStartZ + 35.0f; z < kEndZ; z += 2 * kSegment)
        box(m, {10, kRoofY - 4, z}, {90, 2, 1.5f});
    return m;
}

SceneMesh roofMesh()
{
    SceneMesh m{"glass_roof", "roof_glass", {}, {}, {}, {}};
    const float xs[] = {-80.0f, 10.0f, 100.0f};
    for (int i = 0; i < kSegments; ++i) {
        const float z0 = kStartZ + kSegment * i, z1 = z0 + kSegment;
        for (int j = 0; j < 2; ++j)
            m.quad({xs[j], kRoofY, z0}, {xs[j + 1], kRoofY, z0}, {xs[j + 1], kRoofY, z1}, {xs[j], kRoofY, z1}, 1, 1, 8);
    }
    return m;
}

SceneMesh railMesh()
{
    SceneMesh m{"light_rails", "rail_light", {}, {}, {}, {}};
    const V rails[] = {{-2.5f, 23.5f, 0}, {-2.5f, -23.5f, 0}, {25.0f, kFloorY + 0.5f, 0}, {70.0f, kFloorY + 0.5f, 0}};
    for (const V& r : rails)
        for (int i = 0; i < kSegments; ++i)
            box(m, {r[0], r[1], kStartZ + kSegment * (i + 0.5f)}, {0.5f, 0.5f, kSegment / 2});
    return m;
}

SceneMaterial material(const char* name, const char* texture, const char* bump, uint8_t grey, int shininess)
{
    SceneMaterial m;
    m.name = name;
    m.ambient = {static_cast<uint8_t>(grey / 4), static_cast<uint8_t>(grey / 4), static_cast<uint8_t>(grey / 4)};
    m.diffuse = {grey, grey, grey};
    m.specular = {230, 230, 230};
    m.shininessPercent = shininess;
    m.texture = texture;
    m.bump = bump;
    return m;
}

}  // namespace

Scene buildHallScene()
{
    using namespace scene_textures;
    Scene s;
    s.materials = {material("floor_plates", kFloor, kFloorBump, 150, 40),
                   material("wall_panels", kWall, kWallBump, 170, 30),
                   material("pylon_metal", kPylon, "", 160, 60),
                   material("roof_glass", kGlass, "", 200, 80),
                   material("rail_light", kRail, "", 220, 20)};
    s.materials[3].transparencyPercent = 40;
    s.meshes = {floorMesh(), wallMesh(), pylonMesh(), beamMesh(), roofMesh(), railMesh()};
    return s;
}

bool writeHallScene(const std::string& outputDir) { return writeScene3ds(outputDir + "/meshes/box.3ds", buildHallScene()); }
