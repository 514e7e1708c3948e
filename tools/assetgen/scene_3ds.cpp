#include "scene_3ds.h"

#include <cstdio>

#include "chunk_writer.h"

namespace {

enum : uint16_t {
    kMain = 0x4D4D, kVersion = 0x0002, kEditor = 0x3D3D, kMeshVersion = 0x3D3E, kMasterScale = 0x0100,
    kColour24 = 0x0011, kPercentInt = 0x0030,
    kMaterial = 0xAFFF, kMatName = 0xA000, kMatAmbient = 0xA010, kMatDiffuse = 0xA020, kMatSpecular = 0xA030,
    kMatShininess = 0xA040, kMatTransparency = 0xA050, kMatShading = 0xA100, kMatTexture1 = 0xA200,
    kMatBump = 0xA230, kMapFile = 0xA300,
    kObject = 0x4000, kTriMesh = 0x4100, kVertices = 0x4110, kFaces = 0x4120, kFaceMaterial = 0x4130,
    kSmoothing = 0x4150, kTexCoords = 0x4140, kLocalMatrix = 0x4160,
    kKeyframer = 0xB000, kKfHeader = 0xB00A, kKfFrames = 0xB008, kObjectNode = 0xB002, kNodeHeader = 0xB010,
    kPivot = 0xB013, kPositionTrack = 0xB020, kRotationTrack = 0xB021, kScaleTrack = 0xB022, kNodeId = 0xB030,
};

void colour(ChunkWriter& w, uint16_t id, const std::array<uint8_t, 3>& c)
{
    w.begin(id);
    w.begin(kColour24);
    for (uint8_t v : c)
        w.bytes.push_back(v);
    w.end();
    w.end();
}

void percent(ChunkWriter& w, uint16_t id, int value)
{
    w.begin(id);
    w.begin(kPercentInt);
    w.u16(static_cast<uint16_t>(value));
    w.end();
    w.end();
}

void map(ChunkWriter& w, uint16_t id, int strength, const std::string& file)
{
    w.begin(id);
    w.begin(kPercentInt);
    w.u16(static_cast<uint16_t>(strength));
    w.end();
    w.begin(kMapFile);
    w.text(file);
    w.end();
    w.end();
}

void material(ChunkWriter& w, const SceneMaterial& m)
{
    w.begin(kMaterial);
    w.begin(kMatName);
    w.text(m.name);
    w.end();
    colour(w, kMatAmbient, m.ambient);
    colour(w, kMatDiffuse, m.diffuse);
    colour(w, kMatSpecular, m.specular);
    percent(w, kMatShininess, m.shininessPercent);
    percent(w, kMatTransparency, m.transparencyPercent);
    w.begin(kMatShading);
    w.u16(3);  // Phong
    w.end();
    if (!m.texture.empty())
        map(w, kMatTexture1, 100, m.texture);
    if (!m.bump.empty())
        map(w, kMatBump, 60, m.bump);
    w.end();
}

void mesh(ChunkWriter& w, const SceneMesh& m)
{
    w.begin(kObject);
    w.text(m.name);
    w.begin(kTriMesh);

    w.begin(kVertices);
    w.u16(static_cast<uint16_t>(m.positions.size()));
    for (const auto& p : m.positions)
        for (float v : p)
            w.f32(v);
    w.end();

    w.begin(kTexCoords);
    w.u16(static_cast<uint16_t>(m.uvs.size()));
    for (const auto& t : m.uvs)
        for (float v : t)
            w.f32(v);
    w.end();

    // The vertices are stored in world space; the local frame is the world's.
    w.begin(kLocalMatrix);
    const float frame[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (float v : frame)
        w.f32(v);
    w.end();

    w.begin(kFaces);
    w.u16(static_cast<uint16_t>(m.triangles.size()));
    for (const auto& t : m.triangles) {
        for (uint16_t i : t)
            w.u16(i);
        w.u16(0x7);  // all three edges visible
    }
    w.begin(kFaceMaterial);
    w.text(m.material);
    w.u16(static_cast<uint16_t>(m.triangles.size()));
    for (size_t i = 0; i < m.triangles.size(); ++i)
        w.u16(static_cast<uint16_t>(i));
    w.end();
    w.begin(kSmoothing);
    for (uint32_t g : m.smoothing)
        w.u32(g);
    w.end();
    w.end();  // faces

    w.end();  // tri mesh
    w.end();  // object
}

// One key at frame 0 with no spline parameters.
void trackHeader(ChunkWriter& w)
{
    w.u16(0);  // flags
    w.u32(0);
    w.u32(0);
    w.u32(1);  // key count
    w.u32(0);  // frame
    w.u16(0);  // key flags
}

void node(ChunkWriter& w, const SceneMesh& m, uint16_t id)
{
    w.begin(kObjectNode);
    w.begin(kNodeId);
    w.u16(id);
    w.end();
    w.begin(kNodeHeader);
    w.text(m.name);
    w.u16(0);
    w.u16(0);
    w.u16(0xFFFF);  // no parent
    w.end();
    w.begin(kPivot);
    for (int i = 0; i < 3; ++i)
        w.f32(0.0f);
    w.end();
    w.begin(kPositionTrack);
    trackHeader(w);
    for (int i = 0; i < 3; ++i)
        w.f32(0.0f);
    w.end();
    w.begin(kRotationTrack);
    trackHeader(w);
    w.f32(0.0f);  // angle
    w.f32(0.0f);
    w.f32(0.0f);
    w.f32(1.0f);
    w.end();
    w.begin(kScaleTrack);
    trackHeader(w);
    for (int i = 0; i < 3; ++i)
        w.f32(1.0f);
    w.end();
    w.end();
}

}  // namespace

void SceneMesh::quad(const std::array<float, 3>& a, const std::array<float, 3>& b, const std::array<float, 3>& c,
                     const std::array<float, 3>& d, float us, float vs, uint32_t group)
{
    const uint16_t base = static_cast<uint16_t>(positions.size());
    positions.insert(positions.end(), {a, b, c, d});
    uvs.insert(uvs.end(), {{0, 0}, {us, 0}, {us, vs}, {0, vs}});
    triangles.push_back({base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2)});
    triangles.push_back({base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3)});
    smoothing.insert(smoothing.end(), {group, group});
}

std::vector<uint8_t> encodeScene3ds(const Scene& scene)
{
    ChunkWriter w;
    w.begin(kMain);
    w.begin(kVersion);
    w.u32(3);
    w.end();

    w.begin(kEditor);
    w.begin(kMeshVersion);
    w.u32(3);
    w.end();
    w.begin(kMasterScale);
    w.f32(1.0f);
    w.end();
    for (const SceneMaterial& m : scene.materials)
        material(w, m);
    for (const SceneMesh& m : scene.meshes)
        mesh(w, m);
    w.end();

    w.begin(kKeyframer);
    w.begin(kKfHeader);
    w.u16(5);
    w.text("glasswake");
    w.u32(100);
    w.end();
    w.begin(kKfFrames);
    w.u32(0);
    w.u32(100);
    w.end();
    for (size_t i = 0; i < scene.meshes.size(); ++i)
        node(w, scene.meshes[i], static_cast<uint16_t>(i));
    w.end();

    w.end();
    return w.bytes;
}

bool writeScene3ds(const std::string& path, const Scene& scene)
{
    const std::vector<uint8_t> bytes = encodeScene3ds(scene);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
