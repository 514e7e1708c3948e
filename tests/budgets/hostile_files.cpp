// hostile_files.cpp - crafted worst cases for the file readers.
#include "hostile_files.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "replay/replay_file.h"
#include "tools/assetgen/chunk_writer.h"

namespace {

// --- 3DS ---------------------------------------------------------------------

// The main and editor chunks around `objects`, then the keyframer's `nodes`.
template <class Objects, class Nodes>
std::vector<uint8_t> scene(Objects objects, Nodes nodes)
{
    ChunkWriter w;
    w.begin(0x4D4D);
    w.begin(0x3D3D);
    objects(w);
    w.end();
    w.begin(0xB000);
    nodes(w);
    w.end();
    w.end();
    return w.bytes;
}

void noNodes(ChunkWriter&) {}

// Short distinct names: "0", "1", ...
std::string nameOf(size_t i) { return std::to_string(i); }

void emptyMesh(ChunkWriter& w, const std::string& name)
{
    w.begin(0x4000);
    w.text(name);
    w.begin(0x4100);
    w.end();
    w.end();
}

// Three vertices and `triangles` copies of one triangle, each with its own
// smoothing word: every corner needs a vertex copy per word.
void wordyMesh(ChunkWriter& w, size_t triangles)
{
    w.begin(0x4000);
    w.text("w");
    w.begin(0x4100);
    w.begin(0x4110);
    w.u16(3);
    for (float f : {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f})
        w.f32(f);
    w.end();
    w.begin(0x4120);
    w.u16(static_cast<uint16_t>(triangles));
    for (size_t t = 0; t < triangles; ++t) {
        w.u16(0);
        w.u16(1);
        w.u16(2);
        w.u16(0);
    }
    w.begin(0x4150);
    for (size_t t = 0; t < triangles; ++t)
        w.u32(static_cast<uint32_t>(t + 1));
    w.end();
    w.end();
    w.end();
    w.end();
}

void node(ChunkWriter& w, const std::string& name, size_t positionKeys, size_t rotationKeys)
{
    w.begin(0xB002);
    w.begin(0xB010);
    w.text(name);
    w.end();
    struct Track {
        uint16_t id;
        size_t keys;
        int values;
    };
    for (auto [id, keys, values] : {Track{0xB020, positionKeys, 3}, Track{0xB021, rotationKeys, 4}}) {
        if (keys == 0)
            continue;
        w.begin(id);
        w.u16(0);
        w.u32(0);
        w.u32(0);
        w.u32(static_cast<uint32_t>(keys));
        for (size_t k = 0; k < keys; ++k) {
            w.u32(static_cast<uint32_t>(k));
            w.u16(0);
            for (int v = 0; v < values; ++v)
                w.f32(v == 0 ? 0.5f : 1.0f);
        }
        w.end();
    }
    w.end();
}

std::vector<uint8_t> emptyMaterials(size_t bytes)
{
    return scene([&](ChunkWriter& w) {
        while (w.bytes.size() + 6 < bytes) {
            w.begin(0xAFFF);
            w.end();
        }
    }, noNodes);
}

std::vector<uint8_t> emptyMeshes(size_t bytes)
{
    return scene([&](ChunkWriter& w) {
        for (size_t i = 0; w.bytes.size() + 20 < bytes; ++i)
            emptyMesh(w, nameOf(i));
    }, noNodes);
}

// One object with the longest name and many lights: each copies the name.
std::vector<uint8_t> lightsOfALongName(size_t bytes)
{
    return scene([&](ChunkWriter& w) {
        w.begin(0x4000);
        w.text(std::string(99, 'L'));
        while (w.bytes.size() + 24 < bytes) {
            w.begin(0x4600);
            for (int k = 0; k < 3; ++k)
                w.f32(1.0f);
            w.end();
        }
        w.end();
    }, noNodes);
}

// One object with the longest name and many empty meshes: each copies the name.
std::vector<uint8_t> meshesOfALongName(size_t bytes)
{
    return scene([&](ChunkWriter& w) {
        w.begin(0x4000);
        w.text(std::string(99, 'M'));
        while (w.bytes.size() + 12 < bytes) {
            w.begin(0x4100);
            w.end();
        }
        w.end();
    }, noNodes);
}

// Meshes of 1024 triangles: as many words at each vertex as are still
// compared pairwise.
std::vector<uint8_t> wordsComparedPairwise(size_t bytes)
{
    return scene([&](ChunkWriter& w) {
        while (w.bytes.size() + 1024 * 12 + 100 < bytes)
            wordyMesh(w, 1024);
    }, noNodes);
}

// One mesh with as many triangles as fit: as many words at one vertex as can be.
std::vector<uint8_t> wordsAtOneVertex(size_t bytes)
{
    return scene([&](ChunkWriter& w) {
        while (w.bytes.size() + 100 < bytes)
            wordyMesh(w, std::min<size_t>(65535, (bytes - w.bytes.size() - 100) / 12));
    }, noNodes);
}

// One mesh, and node after node naming it; the first has a long track, so
// that every node expanded to the scene's frames would cost that track again.
std::vector<uint8_t> nodesOfOneMesh(size_t bytes)
{
    const size_t keys = bytes / 2 / 18;
    return scene([&](ChunkWriter& w) { emptyMesh(w, "m"); },
                 [&](ChunkWriter& w) {
                     node(w, "m", keys, 0);
                     while (w.bytes.size() + 20 < bytes)
                         node(w, "m", 0, 0);
                 });
}

// Many meshes, each with its node, and one long track: more frames in all
// than the file's size allows, so the reader stops at its budget.
std::vector<uint8_t> framesBeyondTheBudget(size_t bytes)
{
    const size_t keys = bytes / 2 / 18;
    const size_t meshes = bytes / 2 / 40;
    return scene([&](ChunkWriter& w) {
        for (size_t i = 0; i < meshes; ++i)
            emptyMesh(w, nameOf(i));
    },
                 [&](ChunkWriter& w) {
                     node(w, nameOf(0), keys, 0);
                     for (size_t i = 1; i < meshes && w.bytes.size() + 20 < bytes; ++i)
                         node(w, nameOf(i), 0, 0);
                 });
}

// One node with long position and rotation tracks.
std::vector<uint8_t> longTracks(size_t bytes)
{
    const size_t keys = std::min<size_t>(65536, bytes / 40);
    return scene([&](ChunkWriter& w) { emptyMesh(w, "m"); }, [&](ChunkWriter& w) { node(w, "m", keys, keys); });
}

// As many named meshes as nodes naming them.
std::vector<uint8_t> nodesOfManyMeshes(size_t bytes)
{
    const size_t count = bytes / 40;
    return scene([&](ChunkWriter& w) {
        for (size_t i = 0; i < count; ++i)
            emptyMesh(w, nameOf(i));
    },
                 [&](ChunkWriter& w) {
                     for (size_t i = 0; i < count; ++i)
                         node(w, nameOf(i), 0, 0);
                 });
}

// Named materials, each with a texture of its own, and one mesh whose
// material groups name them all in turn.
std::vector<uint8_t> groupsNamingMaterials(size_t bytes)
{
    const size_t materials = bytes / 2 / 40;
    return scene([&](ChunkWriter& w) {
        for (size_t i = 0; i < materials; ++i) {
            w.begin(0xAFFF);
            w.begin(0xA000);
            w.text(nameOf(i));
            w.end();
            w.begin(0xA200);
            w.begin(0xA300);
            w.text("T" + nameOf(i) + ".JPG");
            w.end();
            w.end();
            w.end();
        }
        w.begin(0x4000);
        w.text("m");
        w.begin(0x4100);
        w.begin(0x4120);
        w.u16(0);
        for (size_t i = 0; w.bytes.size() + 20 < bytes; ++i) {
            w.begin(0x4130);
            w.text(nameOf(i % materials));
            w.u16(0);
            w.end();
        }
        w.end();
        w.end();
        w.end();
    }, noNodes);
}

// --- OBJ ---------------------------------------------------------------------

std::vector<uint8_t> repeated(const std::string& head, const std::string& unit, size_t bytes)
{
    std::string text = head;
    while (text.size() + unit.size() <= bytes)
        text += unit;
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> objVertices(size_t bytes) { return repeated("", "v 0 0 0\n", bytes); }

// The shortest triangle lines; each becomes a face of four corners.
std::vector<uint8_t> objTriangles(size_t bytes)
{
    return repeated("v 0 0 0\nf 1/1 1/1 1/1\n", "f1/1 1/1 1/1\n", bytes);
}

// Objects of one vertex line and one broken face each.
std::vector<uint8_t> objObjects(size_t bytes) { return repeated("", "v f\no", bytes); }

// Lines of digits that are no index: read, refused and skipped.
std::vector<uint8_t> objLongIndices(size_t bytes)
{
    return repeated("v 0 0 0\nf 1/1 1/1 1/1\n", "f " + std::string(200, '9') + "/1 1/1 1/1\n", bytes);
}

// --- motion files --------------------------------------------------------------

std::vector<uint8_t> records(size_t bytes, float position, double value)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; out.size() + 28 <= bytes; ++i) {
        uint8_t record[28];
        float xyz[3] = {position, position * float(i % 7), 0.0f};
        double ab[2] = {value, value * double(i % 5)};
        std::memcpy(record, xyz, 12);  // this machine is little-endian, as the files are
        std::memcpy(record + 12, ab, 16);
        out.insert(out.end(), record, record + 28);
    }
    return out;
}

std::vector<uint8_t> motionRecords(size_t bytes) { return records(bytes, 1.0f, 2.0); }

// Not-a-number everywhere: lengths along the curves are NaN.
std::vector<uint8_t> motionNaN(size_t bytes)
{
    return records(bytes, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN());
}

}  // namespace

const std::vector<HostileFile> HOSTILE_3DS = {
    {"empty_materials", emptyMaterials},
    {"empty_meshes", emptyMeshes},
    {"lights_of_a_long_name", lightsOfALongName},
    {"meshes_of_a_long_name", meshesOfALongName},
    {"words_compared_pairwise", wordsComparedPairwise},
    {"words_at_one_vertex", wordsAtOneVertex},
    {"nodes_of_one_mesh", nodesOfOneMesh},
    {"frames_beyond_the_budget", framesBeyondTheBudget},
    {"long_tracks", longTracks},
    {"nodes_of_many_meshes", nodesOfManyMeshes},
    {"groups_naming_materials", groupsNamingMaterials},
};

const std::vector<HostileFile> HOSTILE_OBJ = {
    {"vertices", objVertices},
    {"triangles", objTriangles},
    {"objects", objObjects},
    {"long_indices", objLongIndices},
};

const std::vector<HostileFile> HOSTILE_MOTION = {
    {"records", motionRecords},
    {"nan", motionNaN},
};

// --- replays -------------------------------------------------------------------

namespace {

ReplayHeader replayHeader(size_t assets)
{
    ReplayHeader h;
    h.gameVersion = "glasswake 1.0.0";
    h.settings.windowWidth = h.settings.renderWidth = 640;
    h.settings.windowHeight = h.settings.renderHeight = 360;
    for (size_t i = 0; i < assets; ++i)
        h.assets.push_back({nameOf(i), i + 1});
    return h;
}

// Frames of a delta and nothing else, the fewest bytes a frame takes (nine),
// `perBlock` to a block (0: all in one), until the file holds about `bytes`.
std::vector<uint8_t> replayOfFrames(size_t bytes, size_t assets, size_t perBlock)
{
    ReplayEncoder e;
    e.header(replayHeader(assets));
    ReplayFrame frame;
    frame.delta = 0.016;
    constexpr size_t BLOCK_BYTES = 16 + 8;
    if (perBlock == 0)
        perBlock = (bytes - std::min(bytes, e.out.size() + BLOCK_BYTES)) / 9;
    while (perBlock > 0 && e.out.size() + BLOCK_BYTES + 9 * perBlock <= bytes) {
        for (size_t i = 0; i < perBlock; ++i)
            e.frame(frame);
        e.endBlock();
    }
    return e.out;
}

std::vector<uint8_t> replayFrames(size_t bytes) { return replayOfFrames(bytes, 0, 0); }
std::vector<uint8_t> replayOneFrameBlocks(size_t bytes) { return replayOfFrames(bytes, 0, 1); }
// A name and a hash per asset, as many as the format takes for the size.
std::vector<uint8_t> replayAssetsThenFrames(size_t bytes) { return replayOfFrames(bytes, bytes / 64, 64); }

// Every frame flips every key: the most work per frame.
std::vector<uint8_t> replayKeyFlips(size_t bytes)
{
    ReplayEncoder e;
    e.header(replayHeader(0));
    ReplayFrame frame;
    while (e.out.size() + 16 + 266 + 8 <= bytes) {
        for (uint64_t& word : frame.keys)
            word = ~word;
        e.frame(frame);
        e.endBlock();
    }
    return e.out;
}

}  // namespace

const std::vector<HostileFile> HOSTILE_REPLAY = {
    {"frames", replayFrames},
    {"one_frame_blocks", replayOneFrameBlocks},
    {"assets_then_frames", replayAssetsThenFrames},
    {"key_flips", replayKeyFlips},
};
