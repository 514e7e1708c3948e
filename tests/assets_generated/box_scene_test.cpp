// "meshes/box.3ds" is a well-formed chunk tree with textured, grouped meshes,
// a material per mesh whose pictures exist, and a keyframer node per mesh.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "assets_generated/built_assets.h"

namespace {

struct Chunk {
    uint16_t id = 0;
    size_t start = 0, end = 0;  // contents, after the 6-byte header
    std::vector<Chunk> children;
};

uint16_t u16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t u32(const std::vector<uint8_t>& b, size_t at) { return u16(b, at) | static_cast<uint32_t>(u16(b, at + 2)) << 16; }
float f32(const std::vector<uint8_t>& b, size_t at)
{
    const uint32_t bits = u32(b, at);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
std::string text(const std::vector<uint8_t>& b, size_t at) { return std::string(reinterpret_cast<const char*>(&b[at])); }

// How many bytes of a chunk's contents come before its sub-chunks.
size_t leadingData(const std::vector<uint8_t>& b, const Chunk& c)
{
    switch (c.id) {
    case 0x4000: return text(b, c.start).size() + 1;  // object name
    case 0x4120: return 2 + 8 * static_cast<size_t>(u16(b, c.start));  // triangles
    case 0xA200: case 0xA230: case 0x4D4D: case 0x3D3D: case 0x4100: case 0xAFFF: case 0xB000: case 0xB002:
    case 0xA010: case 0xA020: case 0xA030: case 0xA040: case 0xA050:
        return 0;
    default: return c.end - c.start;  // a leaf
    }
}

bool parse(const std::vector<uint8_t>& b, size_t from, size_t to, std::vector<Chunk>& out, std::string& problem)
{
    size_t at = from;
    while (at < to) {
        if (to - at < 6) {
            problem = "truncated chunk header";
            return false;
        }
        Chunk c;
        c.id = u16(b, at);
        const uint32_t length = u32(b, at + 2);
        if (length < 6 || at + length > to) {
            problem = "chunk length overruns its parent";
            return false;
        }
        c.start = at + 6;
        c.end = at + length;
        const size_t data = leadingData(b, c);
        if (c.start + data > c.end) {
            problem = "chunk data overruns the chunk";
            return false;
        }
        if (c.start + data < c.end && !parse(b, c.start + data, c.end, c.children, problem))
            return false;
        out.push_back(c);
        at += length;
    }
    return true;
}

const Chunk* child(const Chunk& c, uint16_t id)
{
    for (const Chunk& k : c.children)
        if (k.id == id)
            return &k;
    return nullptr;
}

}  // namespace

TEST(GeneratedScene, ChunkTreeHoldsTexturedMeshesAndNodes)
{
    const std::vector<uint8_t> b = readBytes(builtAsset("meshes/box.3ds"));
    ASSERT_GT(b.size(), 6u);
    std::vector<Chunk> top;
    std::string problem;
    ASSERT_TRUE(parse(b, 0, b.size(), top, problem)) << problem;
    ASSERT_EQ(top.size(), 1u);
    ASSERT_EQ(top[0].id, 0x4D4D);
    const Chunk* editor = child(top[0], 0x3D3D);
    const Chunk* keyframer = child(top[0], 0xB000);
    ASSERT_TRUE(editor && keyframer);

    // Materials: each names a picture under meshes/ that the build wrote.
    std::map<std::string, std::string> textureOf;
    int bumpMaps = 0, blended = 0;
    for (const Chunk& m : editor->children) {
        if (m.id != 0xAFFF)
            continue;
        const Chunk* name = child(m, 0xA000);
        const Chunk* map = child(m, 0xA200);
        ASSERT_TRUE(name && map);
        const Chunk* file = child(*map, 0xA300);
        ASSERT_TRUE(file);
        const std::string picture = text(b, file->start);
        EXPECT_LE(text(b, name->start).size(), 30u);
        EXPECT_LE(picture.size(), 30u);
        EXPECT_NE(picture.find("JPG"), std::string::npos);
        EXPECT_TRUE(std::filesystem::exists(builtAsset("meshes/" + picture))) << picture;
        if (picture.find("BLEND") != std::string::npos) {
            ++blended;
            EXPECT_TRUE(std::filesystem::exists(builtAsset("meshes/alpha" + picture)));
        }
        if (const Chunk* bump = child(m, 0xA230)) {
            ++bumpMaps;
            const Chunk* bumpFile = child(*bump, 0xA300);
            ASSERT_TRUE(bumpFile);
            EXPECT_TRUE(std::filesystem::exists(builtAsset("meshes/" + text(b, bumpFile->start))));
        }
        textureOf[text(b, name->start)] = picture;
    }
    EXPECT_GE(textureOf.size(), 3u);
    EXPECT_GE(bumpMaps, 1);
    EXPECT_GE(blended, 1);

    // Meshes: vertices, one texture coordinate each, a local matrix, triangles
    // in range, one material group covering them and a smoothing word each.
    std::set<std::string> meshNames;
    float minZ = 1e9f, maxZ = -1e9f;
    for (const Chunk& o : editor->children) {
        if (o.id != 0x4000)
            continue;
        const std::string name = text(b, o.start);
        SCOPED_TRACE(name);
        const Chunk* mesh = child(o, 0x4100);
        ASSERT_TRUE(mesh);
        const Chunk* vertices = child(*mesh, 0x4110);
        const Chunk* uvs = child(*mesh, 0x4140);
        const Chunk* matrix = child(*mesh, 0x4160);
        const Chunk* faces = child(*mesh, 0x4120);
        ASSERT_TRUE(vertices && uvs && matrix && faces);
        const uint16_t vertexCount = u16(b, vertices->start);
        EXPECT_GT(vertexCount, 0);
        EXPECT_EQ(vertices->end - vertices->start, 2u + 12u * vertexCount);
        EXPECT_EQ(u16(b, uvs->start), vertexCount);
        EXPECT_EQ(uvs->end - uvs->start, 2u + 8u * vertexCount);
        EXPECT_EQ(matrix->end - matrix->start, 48u);
        for (size_t i = 0; i < vertexCount; ++i) {
            const float z = f32(b, vertices->start + 2 + 12 * i + 8);
            minZ = std::min(minZ, z);
            maxZ = std::max(maxZ, z);
        }
        const uint16_t triangleCount = u16(b, faces->start);
        EXPECT_GT(triangleCount, 0);
        for (size_t t = 0; t < triangleCount; ++t)
            for (size_t k = 0; k < 3; ++k)
                EXPECT_LT(u16(b, faces->start + 2 + 8 * t + 2 * k), vertexCount);
        int groups = 0;
        for (const Chunk& g : faces->children) {
            if (g.id == 0x4130) {
                ++groups;
                const std::string material = text(b, g.start);
                EXPECT_EQ(textureOf.count(material), 1u) << material;
                EXPECT_EQ(u16(b, g.start + material.size() + 1), triangleCount);
            }
        }
        EXPECT_EQ(groups, 1);  // one material per mesh
        const Chunk* smoothing = child(*faces, 0x4150);
        ASSERT_TRUE(smoothing);
        EXPECT_EQ(smoothing->end - smoothing->start, 4u * triangleCount);
        meshNames.insert(name);
    }
    EXPECT_GE(meshNames.size(), 4u);
    // The hall runs along the whole course.
    EXPECT_LE(minZ, -100.0f);
    EXPECT_GE(maxZ, 6500.0f);

    // One keyframer node per mesh, each with pivot and position, rotation and scale tracks.
    std::set<std::string> nodeNames;
    for (const Chunk& n : keyframer->children) {
        if (n.id != 0xB002)
            continue;
        const Chunk* header = child(n, 0xB010);
        ASSERT_TRUE(header);
        const std::string name = text(b, header->start);
        EXPECT_LE(name.size(), 19u);
        EXPECT_TRUE(child(n, 0xB013) && child(n, 0xB020) && child(n, 0xB021) && child(n, 0xB022));
        const Chunk* position = child(n, 0xB020);
        EXPECT_EQ(u32(b, position->start + 10), 1u);  // key count after flags and two words
        nodeNames.insert(name);
    }
    EXPECT_EQ(nodeNames, meshNames);
}
