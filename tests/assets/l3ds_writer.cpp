// l3ds_writer.cpp - a small 3DS writer for building test scenes in memory.
#include "l3ds_writer.h"

#include <cstring>

size_t ChunkWriter::begin(uint16_t id)
{
    size_t start = bytes.size();
    u16(id);
    u32(0);
    return start;
}

void ChunkWriter::end(size_t start)
{
    uint32_t length = static_cast<uint32_t>(bytes.size() - start);
    for (int i = 0; i < 4; ++i)
        bytes[start + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
}

void ChunkWriter::u16(uint16_t v)
{
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
}

void ChunkWriter::u32(uint32_t v)
{
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
}

void ChunkWriter::f32(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    u32(bits);
}

void ChunkWriter::str(const std::string& s)
{
    bytes.insert(bytes.end(), s.begin(), s.end());
    u8(0);
}

namespace {

void writeMap(ChunkWriter& w, uint16_t id, const std::string& file)
{
    if (file.empty())
        return;
    size_t map = w.begin(id);
    size_t percent = w.begin(0x0030);
    w.u16(100);
    w.end(percent);
    size_t name = w.begin(0xA300);
    w.str(file);
    w.end(name);
    w.end(map);
}

void writeMesh(ChunkWriter& w, const TestMesh& mesh)
{
    size_t object = w.begin(0x4000);
    w.str(mesh.name);
    size_t triMesh = w.begin(0x4100);
    size_t verts = w.begin(0x4110);
    w.u16(static_cast<uint16_t>(mesh.vertices.size()));
    for (const LVector3& v : mesh.vertices) {
        w.f32(v.x);
        w.f32(v.y);
        w.f32(v.z);
    }
    w.end(verts);
    if (!mesh.uvs.empty()) {
        size_t uvs = w.begin(0x4140);
        w.u16(static_cast<uint16_t>(mesh.uvs.size()));
        for (const LVector2& uv : mesh.uvs) {
            w.f32(uv.x);
            w.f32(uv.y);
        }
        w.end(uvs);
    }
    if (mesh.writeMatrix) {
        size_t matrix = w.begin(0x4160);
        for (float f : mesh.matrix)
            w.f32(f);
        w.end(matrix);
    }
    size_t faces = w.begin(0x4120);
    w.u16(static_cast<uint16_t>(mesh.triangles.size()));
    for (const LTriangle& t : mesh.triangles) {
        w.u16(t.a);
        w.u16(t.b);
        w.u16(t.c);
        w.u16(7);
    }
    for (const auto& [material, triangles] : mesh.materialGroups) {
        size_t group = w.begin(0x4130);
        w.str(material);
        w.u16(static_cast<uint16_t>(triangles.size()));
        for (uint16_t t : triangles)
            w.u16(t);
        w.end(group);
    }
    if (!mesh.smoothing.empty()) {
        size_t smoothing = w.begin(0x4150);
        for (uint32_t s : mesh.smoothing)
            w.u32(s);
        w.end(smoothing);
    }
    w.end(faces);
    w.end(triMesh);
    w.end(object);
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
    size_t chunk = w.begin(0xB002);
    size_t header = w.begin(0xB010);
    w.str(node.name);
    w.u16(0);
    w.u16(0);
    w.u16(0xFFFF);
    w.end(header);
    size_t pivot = w.begin(0xB013);
    w.f32(node.pivot.x);
    w.f32(node.pivot.y);
    w.f32(node.pivot.z);
    w.end(pivot);
    if (!node.positions.empty()) {
        size_t track = w.begin(0xB020);
        writeTrackHeader(w, node.positions.size());
        for (const auto& [frame, p] : node.positions) {
            w.u32(frame);
            w.u16(0);
            w.f32(p.x);
            w.f32(p.y);
            w.f32(p.z);
        }
        w.end(track);
    }
    if (!node.rotations.empty()) {
        size_t track = w.begin(0xB021);
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
        w.end(track);
    }
    w.end(chunk);
}

}  // namespace

std::vector<uint8_t> write3ds(const TestScene& scene)
{
    ChunkWriter w;
    size_t main = w.begin(0x4D4D);
    size_t version = w.begin(0x0002);
    w.u32(3);
    w.end(version);
    size_t editor = w.begin(0x3D3D);
    // Objects first: the reader must still see every material before them.
    for (const TestMesh& mesh : scene.meshes)
        writeMesh(w, mesh);
    for (const TestMaterial& m : scene.materials) {
        size_t material = w.begin(0xAFFF);
        size_t name = w.begin(0xA000);
        w.str(m.name);
        w.end(name);
        size_t diffuse = w.begin(0xA020);
        size_t colour = w.begin(0x0011);
        w.u8(255);
        w.u8(128);
        w.u8(0);
        w.end(colour);
        w.end(diffuse);
        writeMap(w, 0xA200, m.texture1);
        writeMap(w, 0xA230, m.bump);
        w.end(material);
    }
    w.end(editor);
    if (!scene.nodes.empty()) {
        size_t keyframer = w.begin(0xB000);
        for (const TestNode& node : scene.nodes)
            writeNode(w, node);
        w.end(keyframer);
    }
    w.end(main);
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
