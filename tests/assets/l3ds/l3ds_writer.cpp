// l3ds_writer.cpp - a small 3DS writer for building test scenes in memory.
#include "l3ds_writer.h"

namespace {

void writeMap(ChunkWriter& w, uint16_t id, const std::string& file)
{
    if (file.empty())
        return;
    w.begin(id);
    w.begin(0x0030);
    w.u16(100);
    w.end();
    w.begin(0xA300);
    w.text(file);
    w.end();
    w.end();
}

void writeMesh(ChunkWriter& w, const TestMesh& mesh)
{
    w.begin(0x4000);
    w.text(mesh.name);
    w.begin(0x4100);
    w.begin(0x4110);
    w.u16(static_cast<uint16_t>(mesh.vertices.size()));
    for (const LVector3& v : mesh.vertices) {
        w.f32(v.x);
        w.f32(v.y);
        w.f32(v.z);
    }
    w.end();
    if (!mesh.uvs.empty()) {
        w.begin(0x4140);
        w.u16(static_cast<uint16_t>(mesh.uvs.size()));
        for (const LVector2& uv : mesh.uvs) {
            w.f32(uv.x);
            w.f32(uv.y);
        }
        w.end();
    }
    if (mesh.writeMatrix) {
        w.begin(0x4160);
        for (float f : mesh.matrix)
            w.f32(f);
        w.end();
    }
    w.begin(0x4120);
    w.u16(static_cast<uint16_t>(mesh.triangles.size()));
    for (const LTriangle& t : mesh.triangles) {
        w.u16(t.a);
        w.u16(t.b);
        w.u16(t.c);
        w.u16(7);
    }
    for (const auto& [material, triangles] : mesh.materialGroups) {
        w.begin(0x4130);
        w.text(material);
        w.u16(static_cast<uint16_t>(triangles.size()));
        for (uint16_t t : triangles)
            w.u16(t);
        w.end();
    }
    if (!mesh.smoothing.empty()) {
        w.begin(0x4150);
        for (uint32_t s : mesh.smoothing)
            w.u32(s);
        w.end();
    }
    w.end();
    w.end();
    w.end();
}

void writeTrackHeader(ChunkWriter& w, size_t keys)
{
    w.u16(0);
    w.u32(0);
    w.u32(0);
    w.u32(static_cast<uint32_t>(keys));
}

void writeNode(ChunkWriter& w, const TestNode& node)
{
    w.begin(0xB002);
    w.begin(0xB010);
    w.text(node.name);
    w.u16(0);
    w.u16(0);
    w.u16(0xFFFF);
    w.end();
    w.begin(0xB013);
    w.f32(node.pivot.x);
    w.f32(node.pivot.y);
    w.f32(node.pivot.z);
    w.end();
    if (!node.positions.empty()) {
        w.begin(0xB020);
        writeTrackHeader(w, node.positions.size());
        for (const auto& [frame, p] : node.positions) {
            w.u32(frame);
            w.u16(0);
            w.f32(p.x);
            w.f32(p.y);
            w.f32(p.z);
        }
        w.end();
    }
    if (!node.rotations.empty()) {
        w.begin(0xB021);
        writeTrackHeader(w, node.rotations.size());
        for (const TestRotationKey& key : node.rotations) {
            w.u32(key.frame);
            w.u16(0x0001);  // one spline parameter, to be skipped
            w.f32(0.5f);
            w.f32(key.angle);
            w.f32(key.axis.x);
            w.f32(key.axis.y);
            w.f32(key.axis.z);
        }
        w.end();
    }
    w.end();
}

}  // namespace

std::vector<uint8_t> write3ds(const TestScene& scene)
{
    ChunkWriter w;
    w.begin(0x4D4D);
    w.begin(0x0002);
    w.u32(3);
    w.end();
    w.begin(0x3D3D);
    // Objects first: the reader must still see every material before them.
    for (const TestMesh& mesh : scene.meshes)
        writeMesh(w, mesh);
    for (const TestMaterial& m : scene.materials) {
        w.begin(0xAFFF);
        w.begin(0xA000);
        w.text(m.name);
        w.end();
        w.begin(0xA020);
        w.begin(0x0011);
        w.bytes.push_back(255);
        w.bytes.push_back(128);
        w.bytes.push_back(0);
        w.end();
        w.end();
        writeMap(w, 0xA200, m.texture1);
        writeMap(w, 0xA230, m.bump);
        w.end();
    }
    w.end();
    if (!scene.nodes.empty()) {
        w.begin(0xB000);
        for (const TestNode& node : scene.nodes)
            writeNode(w, node);
        w.end();
    }
    w.end();
    return w.bytes;
}

TestMesh quadMesh(const std::string& name, const std::string& material)
{
    TestMesh mesh;
    mesh.name = name;
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.triangles = {{0, 1, 2}, {0, 2, 3}};
    mesh.smoothing = {1, 1};
    if (!material.empty())
        mesh.materialGroups.push_back({material, {0, 1}});
    return mesh;
}
