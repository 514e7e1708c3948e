// l3ds.cpp - the 3D Studio (.3ds) scene reader: chunks into the scene lists.
//
// Each read function returns false when its chunk is damaged; that ends the
// whole parse, and what was complete by then stays in the scene.
#include "assets/l3ds/l3ds.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "assets/l3ds/l3ds_chunks.h"
#include "base/file_bytes.h"
#include "base/work_meter.h"

namespace {

// Chunk ids of the published 3DS layout.
enum : uint16_t {
    CHUNK_COLOR_FLOAT = 0x0010,
    CHUNK_COLOR_BYTES = 0x0011,
    CHUNK_COLOR_BYTES_GAMMA = 0x0012,
    CHUNK_COLOR_FLOAT_GAMMA = 0x0013,
    CHUNK_PERCENT_INT = 0x0030,
    CHUNK_PERCENT_FLOAT = 0x0031,
    CHUNK_MAIN = 0x4D4D,
    CHUNK_EDITOR = 0x3D3D,
    CHUNK_OBJECT = 0x4000,
    CHUNK_TRIANGLE_MESH = 0x4100,
    CHUNK_VERTICES = 0x4110,
    CHUNK_FACES = 0x4120,
    CHUNK_FACE_MATERIAL = 0x4130,
    CHUNK_UVS = 0x4140,
    CHUNK_SMOOTHING = 0x4150,
    CHUNK_MESH_MATRIX = 0x4160,
    CHUNK_LIGHT = 0x4600,
    CHUNK_SPOTLIGHT = 0x4610,
    CHUNK_LIGHT_RANGE_START = 0x4659,
    CHUNK_LIGHT_RANGE_END = 0x465A,
    CHUNK_CAMERA = 0x4700,
    CHUNK_CAMERA_RANGES = 0x4720,
    CHUNK_MATERIAL = 0xAFFF,
    CHUNK_MATERIAL_NAME = 0xA000,
    CHUNK_AMBIENT = 0xA010,
    CHUNK_DIFFUSE = 0xA020,
    CHUNK_SPECULAR = 0xA030,
    CHUNK_SHININESS = 0xA040,
    CHUNK_TRANSPARENCY = 0xA050,
    CHUNK_SHADING = 0xA100,
    CHUNK_TEXTURE1 = 0xA200,
    CHUNK_SPECULAR_MAP = 0xA204,
    CHUNK_OPACITY_MAP = 0xA210,
    CHUNK_REFLECTION_MAP = 0xA220,
    CHUNK_BUMP_MAP = 0xA230,
    CHUNK_TEXTURE2 = 0xA33A,
    CHUNK_MAP_FILE = 0xA300,
    CHUNK_KEYFRAMER = 0xB000,
    CHUNK_OBJECT_NODE = 0xB002,
    CHUNK_NODE_HEADER = 0xB010,
    CHUNK_PIVOT = 0xB013,
    CHUNK_POSITION_TRACK = 0xB020,
    CHUNK_ROTATION_TRACK = 0xB021,
    CHUNK_SCALE_TRACK = 0xB022,
};

constexpr size_t MATERIAL_NAME_CHARS = 30;
constexpr size_t MAP_FILE_CHARS = 30;
constexpr size_t OBJECT_NAME_CHARS = 99;
constexpr size_t GROUP_NAME_CHARS = 20;
constexpr size_t NODE_NAME_CHARS = 19;
constexpr int32_t MAX_FRAMES = 1 << 16;  // bounds the per-frame expansion
// Frames expanded over all nodes (nodes x F): one per two input bytes, plus this.
constexpr size_t EXPANDED_FRAMES_FIXED = size_t(1) << 18;

int32_t frameCountFor(uint32_t largestKeyCount)
{
    return static_cast<int32_t>(std::clamp<uint32_t>(largestKeyCount, 1, MAX_FRAMES));
}

LVector3 readVector(LChunkReader& r)
{
    LVector3 v;
    v.x = r.readFloat();
    v.y = r.readFloat();
    v.z = r.readFloat();
    return v;
}

// The first colour sub-chunk of a chunk; unknown forms leave `out` unchanged.
bool readColor(LChunkReader r, LColor3& out)
{
    uint16_t id;
    LChunkReader sub;
    while (r.nextChunk(id, sub)) {
        if (id == CHUNK_COLOR_FLOAT || id == CHUNK_COLOR_FLOAT_GAMMA) {
            out = {sub.readFloat(), sub.readFloat(), sub.readFloat()};
            return !sub.failed();
        }
        if (id == CHUNK_COLOR_BYTES || id == CHUNK_COLOR_BYTES_GAMMA) {
            float red = sub.readU8() / 255.0f;
            float green = sub.readU8() / 255.0f;
            float blue = sub.readU8() / 255.0f;
            out = {red, green, blue};
            return !sub.failed();
        }
    }
    return !r.failed();
}

// A percentage sub-chunk as a fraction (50 % -> 0.5); stops at the first one.
bool readPercentage(LChunkReader& r, float& out)
{
    uint16_t id;
    LChunkReader sub;
    while (r.nextChunk(id, sub)) {
        if (id == CHUNK_PERCENT_INT) {
            out = static_cast<int16_t>(sub.readU16()) / 100.0f;
            return !sub.failed();
        }
        if (id == CHUNK_PERCENT_FLOAT) {
            out = sub.readFloat() / 100.0f;
            return !sub.failed();
        }
    }
    return !r.failed();
}

bool readMap(LChunkReader r, LMap& map)
{
    uint16_t id;
    LChunkReader sub;
    while (r.nextChunk(id, sub)) {
        if (id == CHUNK_PERCENT_INT) {
            map.strength = static_cast<int16_t>(sub.readU16()) / 100.0f;
        } else if (id == CHUNK_PERCENT_FLOAT) {
            map.strength = sub.readFloat() / 100.0f;
        } else if (id == CHUNK_MAP_FILE) {
            map.fileName = sub.readString(MAP_FILE_CHARS);
        }
        if (sub.failed())
            return false;
    }
    return !r.failed();
}

bool readMaterial(LChunkReader r, LMaterial& m)
{
    uint16_t id;
    LChunkReader sub;
    while (r.nextChunk(id, sub)) {
        bool ok = true;
        switch (id) {
        case CHUNK_MATERIAL_NAME: m.name = sub.readString(MATERIAL_NAME_CHARS); break;
        case CHUNK_AMBIENT: ok = readColor(sub, m.ambient); break;
        case CHUNK_DIFFUSE: ok = readColor(sub, m.diffuse); break;
        case CHUNK_SPECULAR: ok = readColor(sub, m.specular); break;
        case CHUNK_SHININESS: ok = readPercentage(sub, m.shininess); break;
        case CHUNK_TRANSPARENCY: ok = readPercentage(sub, m.transparency); break;
        case CHUNK_SHADING: m.shading = sub.readU16(); break;
        case CHUNK_TEXTURE1: ok = readMap(sub, m.texture1); break;
        case CHUNK_TEXTURE2: ok = readMap(sub, m.texture2); break;
        case CHUNK_OPACITY_MAP: ok = readMap(sub, m.opacity); break;
        case CHUNK_SPECULAR_MAP: ok = readMap(sub, m.specularMap); break;
        case CHUNK_BUMP_MAP: ok = readMap(sub, m.bump); break;
        case CHUNK_REFLECTION_MAP: ok = readMap(sub, m.reflection); break;
        default: break;
        }
        if (!ok || sub.failed())
            return false;
    }
    return !r.failed();
}

class SceneParser {
public:
    SceneParser(L3DS& scene, size_t inputSize)
        : scene(scene), expandedFramesBudget(inputSize / 2 + EXPANDED_FRAMES_FIXED)
    {
    }

    bool parse(const uint8_t* data, size_t size)
    {
        LChunkReader file(data, size);
        uint16_t id;
        LChunkReader main;
        if (!file.nextChunk(id, main) || id != CHUNK_MAIN)
            return false;
        // The editor data first: the keyframer names meshes it defines.
        if (!forEachChunk(main, CHUNK_EDITOR, [this](LChunkReader& c) { return readEditor(c); }))
            return false;
        return forEachChunk(main, CHUNK_KEYFRAMER, [this](LChunkReader& c) { return readKeyframer(c); });
    }

    uint32_t lastFrame = 0;
    uint32_t largestKeyCount = 0;

private:
    template <class Read>
    static bool forEachChunk(LChunkReader r, uint16_t wanted, Read read)
    {
        uint16_t id;
        LChunkReader sub;
        while (r.nextChunk(id, sub))
            if (id == wanted && !read(sub))
                return false;
        return !r.failed();
    }

    // Room for every material, mesh, light and camera the editor chunk
    // announces, so that each list is allocated once.
    void reserveLists(LChunkReader editor)
    {
        size_t materials = 0, meshes = 0, lights = 0, cameras = 0;
        uint16_t id;
        LChunkReader sub;
        while (editor.nextChunk(id, sub)) {
            if (id == CHUNK_MATERIAL) {
                ++materials;
            } else if (id == CHUNK_OBJECT) {
                sub.readString(0);  // the name
                uint16_t kind;
                LChunkReader part;
                while (sub.nextChunk(kind, part)) {
                    meshes += kind == CHUNK_TRIANGLE_MESH;
                    lights += kind == CHUNK_LIGHT;
                    cameras += kind == CHUNK_CAMERA;
                }
            }
        }
        scene.materials.reserve(scene.materials.size() + materials);
        scene.meshes.reserve(scene.meshes.size() + meshes);
        scene.lights.reserve(scene.lights.size() + lights);
        scene.cameras.reserve(scene.cameras.size() + cameras);
    }

    bool readEditor(LChunkReader& editor)
    {
        reserveLists(editor);
        // Materials before objects, so that material groups find every material.
        bool ok = forEachChunk(editor, CHUNK_MATERIAL, [this](LChunkReader& c) {
            LMaterial material;
            if (!readMaterial(c, material))
                return false;
            material.id = scene.getMaterialCount();
            materialIds.try_emplace(material.name, material.id);  // the first of a name wins
            scene.materials.push_back(std::move(material));
            return true;
        });
        return ok && forEachChunk(editor, CHUNK_OBJECT, [this](LChunkReader& c) { return readObject(c); });
    }

    bool readObject(LChunkReader& r)
    {
        std::string name = r.readString(OBJECT_NAME_CHARS);
        uint16_t id;
        LChunkReader sub;
        while (r.nextChunk(id, sub)) {
            bool ok = true;
            if (id == CHUNK_TRIANGLE_MESH)
                ok = readMesh(sub, name);
            else if (id == CHUNK_LIGHT)
                ok = readLight(sub, name);
            else if (id == CHUNK_CAMERA)
                ok = readCamera(sub, name);
            if (!ok)
                return false;
        }
        return !r.failed();
    }

    bool readMesh(LChunkReader r, const std::string& name)
    {
        LMesh mesh;
        mesh.name = name;
        uint16_t id;
        LChunkReader sub;
        while (r.nextChunk(id, sub)) {
            bool ok = true;
            switch (id) {
            case CHUNK_VERTICES: ok = readVertices(sub, mesh); break;
            case CHUNK_FACES: ok = readFaces(sub, mesh); break;
            case CHUNK_UVS: ok = readUVs(sub, mesh); break;
            case CHUNK_MESH_MATRIX: ok = readMeshMatrix(sub, mesh); break;
            default: break;
            }
            if (!ok)
                return false;
        }
        if (r.failed())
            return false;
        mesh.id = scene.getMeshCount();
        meshIds.try_emplace(mesh.name, mesh.id);
        scene.meshes.push_back(std::move(mesh));
        return true;
    }

    static bool readVertices(LChunkReader& r, LMesh& mesh)
    {
        uint16_t count = r.readU16();
        if (r.failed() || size_t(count) * 12 > r.remaining())
            return false;
        mesh.vertices.resize(count);
        for (LVector3& v : mesh.vertices)
            v = readVector(r);
        return !r.failed();
    }

    static bool readUVs(LChunkReader& r, LMesh& mesh)
    {
        uint16_t count = r.readU16();
        if (r.failed() || size_t(count) * 8 > r.remaining())
            return false;
        if (mesh.vertices.empty())
            mesh.vertices.resize(count);
        mesh.uvs.resize(count);
        for (LVector2& uv : mesh.uvs) {
            uv.x = r.readFloat();
            uv.y = r.readFloat();
        }
        return !r.failed();
    }

    static bool readMeshMatrix(LChunkReader& r, LMesh& mesh)
    {
        for (int axis = 0; axis < 4; ++axis) {
            for (int k = 0; k < 3; ++k)
                mesh.matrix.m[axis * 4 + k] = r.readFloat();
            mesh.matrix.m[axis * 4 + 3] = axis == 3 ? 1.0f : 0.0f;
        }
        return !r.failed();
    }

    bool readFaces(LChunkReader& r, LMesh& mesh)
    {
        uint16_t count = r.readU16();
        if (r.failed() || size_t(count) * 8 > r.remaining())
            return false;
        mesh.triangles.resize(count);
        mesh.extendedTriangles.assign(count, LTriangle2{});
        for (size_t i = 0; i < count; ++i) {
            LTriangle& t = mesh.triangles[i];
            t.a = r.readU16();
            t.b = r.readU16();
            t.c = r.readU16();
            r.readU16();  // edge visibility flags
            mesh.extendedTriangles[i].corners = t;
        }
        uint16_t id;
        LChunkReader sub;
        while (r.nextChunk(id, sub)) {
            bool ok = true;
            if (id == CHUNK_FACE_MATERIAL)
                ok = readMaterialGroup(sub, mesh);
            else if (id == CHUNK_SMOOTHING)
                ok = readSmoothingGroups(sub, mesh);
            if (!ok)
                return false;
        }
        return !r.failed();
    }

    bool readMaterialGroup(LChunkReader& r, LMesh& mesh)
    {
        std::string materialName = r.readString(GROUP_NAME_CHARS);
        uint16_t count = r.readU16();
        if (r.failed() || size_t(count) * 2 > r.remaining())
            return false;
        const auto named = materialIds.find(materialName);
        const int32_t materialId = named == materialIds.end() ? -1 : named->second;
        if (materialId >= 0)
            mesh.materials.push_back(materialId);
        for (size_t i = 0; i < count; ++i) {
            uint16_t triangle = r.readU16();
            // An index past the triangle list names nothing; it is skipped.
            if (materialId >= 0 && triangle < mesh.extendedTriangles.size())
                mesh.extendedTriangles[triangle].materialId = materialId;
        }
        return !r.failed();
    }

    static bool readSmoothingGroups(LChunkReader& r, LMesh& mesh)
    {
        if (mesh.extendedTriangles.size() * 4 > r.remaining())
            return false;
        for (LTriangle2& t : mesh.extendedTriangles)
            t.smoothingGroups = r.readU32();
        return !r.failed();
    }

    bool readLight(LChunkReader r, const std::string& name)
    {
        LLight light;
        light.name = name;
        light.position = readVector(r);
        uint16_t id;
        LChunkReader sub;
        while (r.nextChunk(id, sub)) {
            if (id == CHUNK_COLOR_FLOAT || id == CHUNK_COLOR_FLOAT_GAMMA) {
                light.color = {sub.readFloat(), sub.readFloat(), sub.readFloat()};
            } else if (id == CHUNK_COLOR_BYTES || id == CHUNK_COLOR_BYTES_GAMMA) {
                float red = sub.readU8() / 255.0f;
                float green = sub.readU8() / 255.0f;
                float blue = sub.readU8() / 255.0f;
                light.color = {red, green, blue};
            } else if (id == CHUNK_SPOTLIGHT) {
                light.spotlight = true;
                light.target = readVector(sub);
                light.hotspot = sub.readFloat();
                light.falloff = sub.readFloat();
            } else if (id == CHUNK_LIGHT_RANGE_START) {
                light.attenuationStart = sub.readFloat();
            } else if (id == CHUNK_LIGHT_RANGE_END) {
                light.attenuationEnd = sub.readFloat();
            }
            if (sub.failed())
                return false;
        }
        if (r.failed())
            return false;
        light.id = scene.getLightCount();
        scene.lights.push_back(std::move(light));
        return true;
    }

    bool readCamera(LChunkReader r, const std::string& name)
    {
        LCamera camera;
        camera.name = name;
        camera.position = readVector(r);
        camera.target = readVector(r);
        camera.bank = r.readFloat();
        camera.lens = r.readFloat();
        uint16_t id;
        LChunkReader sub;
        while (r.nextChunk(id, sub)) {
            if (id == CHUNK_CAMERA_RANGES) {
                camera.nearRange = sub.readFloat();
                camera.farRange = sub.readFloat();
            }
            if (sub.failed())
                return false;
        }
        if (r.failed())
            return false;
        camera.id = scene.getCameraCount();
        scene.cameras.push_back(std::move(camera));
        return true;
    }

    bool readKeyframer(LChunkReader& r)
    {
        return forEachChunk(r, CHUNK_OBJECT_NODE, [this](LChunkReader& c) { return readNode(c); });
    }

    bool readNode(LChunkReader r)
    {
        LAnimationNode node;
        uint32_t nodeKeyCount = 0;
        uint16_t id;
        LChunkReader sub;
        while (r.nextChunk(id, sub)) {
            bool ok = true;
            switch (id) {
            case CHUNK_NODE_HEADER: node.name = sub.readString(NODE_NAME_CHARS); break;
            case CHUNK_PIVOT: node.pivot = readVector(sub); break;
            case CHUNK_POSITION_TRACK: ok = readTrack(sub, 3, node, nodeKeyCount); break;
            case CHUNK_ROTATION_TRACK: ok = readTrack(sub, 4, node, nodeKeyCount); break;
            case CHUNK_SCALE_TRACK: ok = readTrack(sub, 0, node, nodeKeyCount); break;
            default: break;
            }
            if (!ok || sub.failed())
                return false;
        }
        if (r.failed())
            return false;
        const auto named = meshIds.find(node.name);
        if (named == meshIds.end())
            return true;  // animates something that is not a mesh
        node.meshIndex = named->second;
        LMesh& mesh = scene.meshes[node.meshIndex];
        // Every node of a mesh sets the frame count, but only the first one
        // is kept: drawing never asks for another.
        const bool first = mesh.node < 0;
        const uint32_t keyCount = std::max(largestKeyCount, nodeKeyCount);
        const size_t expanded = (scene.nodes.size() + (first ? 1 : 0)) * size_t(frameCountFor(keyCount));
        if (expanded > expandedFramesBudget)
            return false;  // more frames than a file of this size can hold: damaged
        largestKeyCount = keyCount;
        if (!first)
            return true;
        mesh.node = scene.getNodeCount();
        scene.nodes.push_back(std::move(node));
        return true;
    }

    // Key header, then `values` floats per key: 3 position, 4 rotation, 0 for
    // the scale track, whose values are skipped.
    bool readTrack(LChunkReader& r, int values, LAnimationNode& node, uint32_t& nodeKeyCount)
    {
        r.readU16();  // track flags
        r.skip(8);
        uint32_t count = r.readU32();
        if (r.failed())
            return false;
        nodeKeyCount = std::max(nodeKeyCount, count);
        for (uint32_t k = 0; k < count; ++k) {
            uint32_t frame = r.readU32();
            uint16_t splineFlags = r.readU16();
            for (int bit = 0; bit < 5; ++bit)
                if (splineFlags & (1u << bit))
                    r.readFloat();  // tension, continuity, bias, ease to, ease from
            if (values == 3) {
                node.positionKeys.push_back({frame, readVector(r)});
            } else if (values == 4) {
                LRotationKey key;
                key.frame = frame;
                key.rotation.angle = r.readFloat();
                key.rotation.x = -r.readFloat();
                key.rotation.y = -r.readFloat();
                key.rotation.z = -r.readFloat();
                node.rotationKeys.push_back(key);
            } else {
                r.skip(12);
                node.scaleKeyCount++;
            }
            if (r.failed())
                return false;
            lastFrame = std::max(lastFrame, frame);
        }
        return true;
    }

    L3DS& scene;
    const size_t expandedFramesBudget;
    // Name look-ups while parsing; the first of a name wins, as in the lists.
    std::unordered_map<std::string, int32_t> materialIds;
    std::unordered_map<std::string, int32_t> meshIds;
};

// Inverse of an affine matrix (last row 0 0 0 1); false when it is singular.
bool invertAffine(const LMatrix4& a, LMatrix4& out)
{
    const float* m = a.m;
    LVector3 x{m[0], m[1], m[2]}, y{m[4], m[5], m[6]}, z{m[8], m[9], m[10]}, o{m[12], m[13], m[14]};
    float det = dot(x, cross(y, z));
    if (!(std::fabs(det) > 1e-12f) || !std::isfinite(det))
        return false;
    // Rows of the inverse of [x y z] are the cross products over the determinant.
    LVector3 r0 = cross(y, z) * (1.0f / det);
    LVector3 r1 = cross(z, x) * (1.0f / det);
    LVector3 r2 = cross(x, y) * (1.0f / det);
    float* n = out.m;
    n[0] = r0.x; n[4] = r0.y; n[8] = r0.z;
    n[1] = r1.x; n[5] = r1.y; n[9] = r1.z;
    n[2] = r2.x; n[6] = r2.y; n[10] = r2.z;
    n[12] = -dot(r0, o);
    n[13] = -dot(r1, o);
    n[14] = -dot(r2, o);
    n[3] = n[7] = n[11] = 0.0f;
    n[15] = 1.0f;
    return true;
}

}  // namespace

bool L3DS::loadFile(const char* fileName)
{
    std::vector<uint8_t> buffer;
    if (!readRegularFile(fileName, buffer))
        return false;
    return loadFromMemory(buffer.data(), buffer.size());
}

bool L3DS::loadFromMemory(const uint8_t* data, size_t size)
{
    clear();
    try {
        SceneParser parser(*this, size);
        bool parsed = parser.parse(data, size);
        frameCount = frameCountFor(parser.largestKeyCount);
        for (LAnimationNode& node : nodes)
            node.expandTracks(frameCount, parser.lastFrame);
        finishLoading();
        return parsed;
    } catch (const std::bad_alloc&) {
        clear();  // out of memory: an empty scene, as for a file that is no scene
        return false;
    }
}

void L3DS::finishLoading()
{
    for (int32_t i = 0; i < getMeshCount(); ++i) {
        LMesh& mesh = meshes[i];
        mesh.makeConsistent();
        // The file stores vertices in world space. A mesh that the keyframer
        // moves is brought into its own space (the inverse of its matrix) with
        // the pivot at the origin, where the node's transform expects it.
        // Axes that cannot be inverted still have an origin to take away, or
        // the node's position would apply the mesh's offset a second time.
        if (const LAnimationNode* node = getMeshNode(i)) {
            LMatrix4 toLocal;
            if (!invertAffine(mesh.matrix, toLocal)) {
                toLocal = LMatrix4{};
                toLocal.m[12] = -mesh.matrix.m[12];
                toLocal.m[13] = -mesh.matrix.m[13];
                toLocal.m[14] = -mesh.matrix.m[14];
            }
            toLocal.m[12] -= node->pivot.x;
            toLocal.m[13] -= node->pivot.y;
            toLocal.m[14] -= node->pivot.z;
            mesh.transformVertices(toLocal);
        }
        mesh.optimize(optimizationLevel);
    }
}

void L3DS::clear()
{
    LImporter::clear();
    textureIndex.clear();
    textureCount = 0;
    meshTextureIndex.clear();
}

int32_t L3DS::getMeshTextureIndex(int32_t meshIndex) const
{
    if (meshIndex < 0 || meshIndex >= static_cast<int32_t>(meshTextureIndex.size()))
        return -1;
    return meshTextureIndex[meshIndex];
}
