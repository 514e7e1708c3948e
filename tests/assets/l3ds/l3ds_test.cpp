// l3ds_test.cpp - the 3DS reader: chunks, damaged input, normals, animation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "assets/l3ds/l3ds.h"
#include "l3ds_writer.h"

namespace {

void expectNear(LVector3 actual, LVector3 expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

bool load(L3DS& scene, const std::vector<uint8_t>& bytes)
{
    return scene.loadFromMemory(bytes.data(), bytes.size());
}

// What drawing relies on: equal array lengths and indices inside them.
void expectDrawable(const L3DS& scene)
{
    for (const LMesh& mesh : scene.meshes) {
        size_t n = mesh.vertices.size();
        ASSERT_EQ(mesh.normals.size(), n);
        ASSERT_EQ(mesh.textureSpace.size(), n);
        ASSERT_EQ(mesh.uvs.size(), n);
        ASSERT_EQ(mesh.extendedTriangles.size(), mesh.triangles.size());
        for (const LTriangle& t : mesh.triangles) {
            ASSERT_LT(t.a, n);
            ASSERT_LT(t.b, n);
            ASSERT_LT(t.c, n);
        }
        for (int32_t id : mesh.materials)
            ASSERT_NE(scene.getMaterial(id), nullptr);
    }
}

TestScene texturedQuadScene()
{
    TestScene scene;
    scene.materials.push_back({"Wall", "WALL.JPG", "WALLBUMP.JPG"});
    scene.meshes.push_back(quadMesh("Quad", "Wall"));
    return scene;
}

TEST(L3dsReader, ReadsMeshAndMaterialWrittenAfterIt)
{
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(texturedQuadScene())));
    ASSERT_EQ(scene.getMeshCount(), 1);
    ASSERT_EQ(scene.getMaterialCount(), 1);
    const LMaterial& m = scene.materials[0];
    EXPECT_EQ(m.name, "Wall");
    EXPECT_EQ(m.texture1.fileName, "WALL.JPG");
    EXPECT_FLOAT_EQ(m.texture1.strength, 1.0f);
    EXPECT_EQ(m.bump.fileName, "WALLBUMP.JPG");
    EXPECT_FLOAT_EQ(m.diffuse.r, 1.0f);
    EXPECT_NEAR(m.diffuse.g, 128 / 255.0f, 1e-6);

    const LMesh& mesh = scene.getMesh(0);
    EXPECT_EQ(mesh.name, "Quad");
    EXPECT_EQ(mesh.getVertexCount(), 4);
    EXPECT_EQ(mesh.getTriangleCount(), 2);
    ASSERT_EQ(mesh.materials, std::vector<int32_t>{0});
    EXPECT_EQ(mesh.getExtendedTriangle(1).materialId, 0);
    EXPECT_EQ(mesh.getExtendedTriangle(1).smoothingGroups, 1u);
    expectNear(mesh.getVertex(2), {1, 1, 0});
    EXPECT_FLOAT_EQ(mesh.getUV(2).x, 1.0f);
    for (int32_t v = 0; v < 4; ++v) {
        expectNear(mesh.getNormal(v), {0, 0, 1});
        expectNear(mesh.getTextureSpace(v), {1, 0, 0});
    }
    expectDrawable(scene);
}

TEST(L3dsReader, LongNamesAreCut)
{
    TestScene s;
    s.materials.push_back({std::string(40, 'm'), std::string(40, 'T'), ""});
    s.meshes.push_back(quadMesh(std::string(120, 'q'), ""));
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    EXPECT_EQ(scene.materials[0].name.size(), 30u);
    EXPECT_EQ(scene.materials[0].texture1.fileName.size(), 30u);
    EXPECT_EQ(scene.meshes[0].name.size(), 99u);
}

TEST(L3dsReader, MaterialGroupNamingNoMaterialAddsNothing)
{
    TestScene s;
    s.meshes.push_back(quadMesh("Quad", "Missing"));
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    EXPECT_TRUE(scene.getMesh(0).materials.empty());
    EXPECT_EQ(scene.getMesh(0).getExtendedTriangle(0).materialId, -1);
}

TEST(L3dsReader, TrianglesOutsideTheVerticesAreRejected)
{
    TestScene s;
    TestMesh mesh = quadMesh("Quad", "");
    mesh.triangles.push_back({0, 3, 4});
    mesh.triangles.push_back({65535, 0, 1});
    mesh.triangles.push_back({1, 2, 3});
    mesh.smoothing = {1, 1, 1, 1, 1};
    s.meshes.push_back(mesh);
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    const LMesh& m = scene.getMesh(0);
    ASSERT_EQ(m.getTriangleCount(), 3);
    EXPECT_EQ(m.getTriangle(2).a, 1);
    expectDrawable(scene);
}

TEST(L3dsReader, TexCoordsBeforeVerticesAndMissingOnesKeepArraysEqual)
{
    // Texture coordinates for 2 of 4 vertices: the rest read as (0, 0).
    TestScene s;
    TestMesh mesh = quadMesh("Quad", "");
    mesh.uvs.resize(2);
    s.meshes.push_back(mesh);
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    EXPECT_EQ(scene.getMesh(0).uvs.size(), 4u);
    expectDrawable(scene);
}

TEST(L3dsReader, RejectsWhatIsNotA3dsFileAndBadChunkLengths)
{
    L3DS scene;
    std::vector<uint8_t> bytes = write3ds(texturedQuadScene());
    bytes[0] = 0x4C;  // main chunk id 0x4D4C
    EXPECT_FALSE(load(scene, bytes));
    EXPECT_EQ(scene.getMeshCount(), 0);
    EXPECT_FALSE(scene.loadFromMemory(nullptr, 0));
    uint8_t tiny[3] = {0x4D, 0x4D, 0};
    EXPECT_FALSE(scene.loadFromMemory(tiny, sizeof tiny));

    // The main chunk claims one byte more than the file has.
    std::vector<uint8_t> longer = write3ds(texturedQuadScene());
    longer[2]++;
    EXPECT_FALSE(load(scene, longer));
    // A length below the 6 header bytes cannot be skipped.
    std::vector<uint8_t> short6 = write3ds(texturedQuadScene());
    short6[6 + 2] = 3;  // the version chunk
    short6[6 + 3] = short6[6 + 4] = short6[6 + 5] = 0;
    EXPECT_FALSE(load(scene, short6));
}

TEST(L3dsReader, EveryTruncationStopsInsideTheBuffer)
{
    TestScene s = texturedQuadScene();
    s.meshes.push_back(quadMesh("Second", "Wall"));
    s.nodes.push_back({"Quad", {0, 0, 0}, {{0, {1, 2, 3}}}, {{0, 0.5f, {0, 0, 1}}}});
    const std::vector<uint8_t> full = write3ds(s);
    for (size_t size = 0; size < full.size(); ++size) {
        // A copy of exactly `size` bytes, so that a sanitizer sees any overread.
        std::vector<uint8_t> cut(full.begin(), full.begin() + size);
        L3DS scene;
        EXPECT_FALSE(scene.loadFromMemory(cut.data(), cut.size())) << size;
        EXPECT_LE(scene.getMeshCount(), 2);
        expectDrawable(scene);
    }
}

TEST(L3dsReader, LoadFileReadsWholeFileAndKeepsSceneWhenMissing)
{
    std::filesystem::path path = std::filesystem::temp_directory_path() / "l3ds_test_quad.3ds";
    std::vector<uint8_t> bytes = write3ds(texturedQuadScene());
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    L3DS scene;
    EXPECT_TRUE(scene.loadFile(path.c_str()));
    EXPECT_EQ(scene.getMeshCount(), 1);
    EXPECT_FALSE(scene.loadFile((path.string() + ".missing").c_str()));
    EXPECT_EQ(scene.getMeshCount(), 1);  // a file that cannot be opened changes nothing
    // Neither can a folder or a device, whatever size they report.
    EXPECT_FALSE(scene.loadFile(path.parent_path().c_str()));
    EXPECT_FALSE(scene.loadFile("/dev/zero"));
    EXPECT_EQ(scene.getMeshCount(), 1);
    std::filesystem::remove(path);
}

// Two triangles folded 90 degrees along the edge 0-2 (one in z = 0, one in x = 1).
TestMesh foldedMesh(uint32_t groupA, uint32_t groupB)
{
    TestMesh mesh;
    mesh.name = "Fold";
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 0, 1}};
    mesh.uvs = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.triangles = {{0, 1, 2}, {1, 3, 2}};
    mesh.smoothing = {groupA, groupB};
    return mesh;
}

TEST(L3dsNormals, SharedSmoothingGroupAveragesAcrossTheEdge)
{
    const float h = std::sqrt(0.5f);
    TestScene s;
    s.meshes.push_back(foldedMesh(1, 1));
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    const LMesh& m = scene.getMesh(0);
    EXPECT_EQ(m.getVertexCount(), 4);
    expectNear(m.getNormal(1), {-h, 0, h});  // faces (0,0,1) and (-1,0,0)
    expectNear(m.getNormal(0), {0, 0, 1});
    expectNear(m.getNormal(3), {-1, 0, 0});

    // Words 1 and 3 differ but share group 1: both sides still average.
    s.meshes[0] = foldedMesh(1, 3);
    ASSERT_TRUE(load(scene, write3ds(s)));
    const LMesh& shared = scene.getMesh(0);
    expectNear(shared.getNormal(shared.triangles[0].b), {-h, 0, h});
    expectNear(shared.getNormal(shared.triangles[1].a), {-h, 0, h});
}

TEST(L3dsNormals, DifferentGroupsSplitTheSharedVertices)
{
    for (auto [a, b] : {std::pair<uint32_t, uint32_t>{1, 2}, {0, 0}}) {
        TestScene s;
        s.meshes.push_back(foldedMesh(a, b));
        L3DS scene;
        ASSERT_TRUE(load(scene, write3ds(s)));
        const LMesh& m = scene.getMesh(0);
        EXPECT_EQ(m.getVertexCount(), 6) << a << "," << b;  // vertices 1 and 2 doubled
        for (int corner = 0; corner < 3; ++corner) {
            uint16_t first[3] = {m.triangles[0].a, m.triangles[0].b, m.triangles[0].c};
            uint16_t second[3] = {m.triangles[1].a, m.triangles[1].b, m.triangles[1].c};
            expectNear(m.getNormal(first[corner]), {0, 0, 1});
            expectNear(m.getNormal(second[corner]), {-1, 0, 0});
        }
        // The copies keep position and texture coordinate.
        expectNear(m.getVertex(m.triangles[1].c), {1, 1, 0});
        EXPECT_FLOAT_EQ(m.getUV(m.triangles[1].c).y, 1.0f);
        expectDrawable(scene);
    }
}

TEST(L3dsNormals, TextureSpaceFollowsTheDirectionOfU)
{
    TestScene s;
    TestMesh mesh = quadMesh("Quad", "");
    mesh.uvs = {{0, 0}, {0, -1}, {1, -1}, {1, 0}};  // u grows along +y
    s.meshes.push_back(mesh);
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    for (int32_t v = 0; v < 4; ++v)
        expectNear(scene.getMesh(0).getTextureSpace(v), {0, 1, 0});

    // Without a usable mapping it is still a unit vector across the normal.
    s.meshes[0].uvs.assign(4, {0.5f, 0.5f});
    ASSERT_TRUE(load(scene, write3ds(s)));
    LVector3 t = scene.getMesh(0).getTextureSpace(0);
    EXPECT_NEAR(dot(t, t), 1.0f, 1e-5);
    EXPECT_NEAR(t.z, 0.0f, 1e-5);
}

TEST(L3dsAnimation, VerticesMoveIntoTheMeshSpaceAroundThePivot)
{
    TestScene s;
    TestMesh mesh = quadMesh("Quad", "");
    // Local axes: X along world Y, Y along world -X, origin (10, 0, 0).
    float matrix[12] = {0, 1, 0, -1, 0, 0, 0, 0, 1, 10, 0, 0};
    std::copy(matrix, matrix + 12, mesh.matrix);
    mesh.writeMatrix = true;
    mesh.vertices = {{10, 0, 0}, {10, 1, 0}, {9, 1, 0}, {9, 0, 0}};
    s.meshes.push_back(mesh);
    s.meshes.push_back(quadMesh("Still", ""));
    s.nodes.push_back({"Quad", {0.5f, 0, 0}, {{0, {10, 0, 0}}}, {{0, 0, {0, 0, 1}}}});
    s.nodes.push_back({"NotAMesh", {0, 0, 0}, {{0, {1, 1, 1}}}, {}});
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    ASSERT_EQ(scene.getNodeCount(), 1);  // the node without a mesh is dropped
    const LMesh& m = scene.getMesh(0);
    expectNear(m.getVertex(0), {-0.5f, 0, 0});
    expectNear(m.getVertex(1), {0.5f, 0, 0});
    expectNear(m.getVertex(2), {0.5f, 1, 0});
    // The node puts it back: at its position, with no rotation.
    LNodeTransform placed = scene.getMeshTransform(0, 0.0f);
    expectNear(placed.position, {10, 0, 0});
    EXPECT_FLOAT_EQ(placed.rotation.angle, 0.0f);
    // A mesh without a node stays in file space and is not moved.
    expectNear(scene.getMesh(1).getVertex(2), {1, 1, 0});
    LNodeTransform still = scene.getMeshTransform(1, 0.7f);
    expectNear(still.position, {0, 0, 0});
    EXPECT_FLOAT_EQ(still.rotation.angle, 0.0f);
}

TEST(L3dsAnimation, TracksExpandPerFrameAndInterpolateByTime)
{
    TestScene s;
    s.meshes.push_back(quadMesh("Quad", ""));
    // Two position keys (frames 0 and 2) and three relative rotation keys of
    // 0.5 rad about file axis +z each: three frames in all.
    s.nodes.push_back({"Quad",
                       {0, 0, 0},
                       {{0, {0, 0, 0}}, {2, {2, 4, 0}}},
                       {{0, 0.5f, {0, 0, 1}}, {1, 0.5f, {0, 0, 1}}, {2, 0.5f, {0, 0, 1}}}});
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    ASSERT_EQ(scene.frameCount, 3);
    const LAnimationNode& node = scene.nodes[0];
    ASSERT_EQ(node.positions.size(), 3u);
    expectNear(node.positions[1], {1, 2, 0});
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_NEAR(node.rotations[frame].angle, 0.5f * (frame + 1), 1e-5);
        expectNear({node.rotations[frame].x, node.rotations[frame].y, node.rotations[frame].z}, {0, 0, -1});
    }
    // t = 0.5: x = 1.5, halfway between frames 1 and 2.
    LNodeTransform half = scene.getMeshTransform(0, 0.5f);
    expectNear(half.position, {1.5f, 3, 0});
    EXPECT_NEAR(half.rotation.angle, 1.25f, 1e-5);
    // t = 0.9: x = 2.7, from the last frame back towards the first.
    LNodeTransform late = scene.getMeshTransform(0, 0.9f);
    expectNear(late.position, {2 - 2 * 0.7f, 4 - 4 * 0.7f, 0}, 1e-4f);
    // The animation wraps after t = 1.
    expectNear(scene.getMeshTransform(0, 1.5f).position, half.position);
    expectNear(scene.getMeshTransform(0, 0.0f).position, {0, 0, 0});
}

TEST(L3dsAnimation, OnlyTheFirstNodeOfAMeshIsKept)
{
    TestScene s;
    s.meshes.push_back(quadMesh("Quad", ""));
    s.nodes.push_back({"Quad", {0, 0, 0}, {{0, {1, 2, 3}}}, {}});
    // A later node of the mesh still counts towards the scene's frames.
    s.nodes.push_back({"Quad", {0, 0, 0}, {{0, {7, 7, 7}}, {1, {7, 7, 7}}, {2, {7, 7, 7}}}, {}});
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    EXPECT_EQ(scene.getNodeCount(), 1);
    EXPECT_EQ(scene.frameCount, 3);
    expectNear(scene.getMeshTransform(0, 0.5f).position, {1, 2, 3});
}

TEST(L3dsAnimation, MoreFramesThanTheFileCanHoldStopTheReadAsDamaged)
{
    // 50 animated meshes and one track of 10000 keys: 500000 frames to expand,
    // more than a file of this size may ask for.
    TestScene s;
    for (int i = 0; i < 50; ++i) {
        s.meshes.push_back(quadMesh("M" + std::to_string(i), ""));
        s.nodes.push_back({"M" + std::to_string(i), {0, 0, 0}, {{0, {1, 0, 0}}}, {}});
    }
    for (uint32_t frame = 1; frame < 10000; ++frame)
        s.nodes[0].positions.push_back({frame, {1, 0, 0}});
    const std::vector<uint8_t> bytes = write3ds(s);
    L3DS scene;
    EXPECT_FALSE(load(scene, bytes));
    EXPECT_EQ(scene.getMeshCount(), 50);  // what was complete stays
    EXPECT_EQ(scene.frameCount, 10000);
    EXPECT_GT(scene.getNodeCount(), 0);
    EXPECT_LE(size_t(scene.getNodeCount()) * 10000, bytes.size() / 2 + (size_t(1) << 18));
    for (int32_t i = 0; i < scene.getNodeCount(); ++i)
        EXPECT_EQ(scene.nodes[i].positions.size(), 10000u);
    expectDrawable(scene);
}

TEST(L3dsAnimation, AMatrixThatCannotBeInvertedStillGivesUpItsOrigin)
{
    TestScene s;
    TestMesh mesh = quadMesh("Quad", "");
    float matrix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0};  // no axes; origin (10, 0, 0)
    std::copy(matrix, matrix + 12, mesh.matrix);
    mesh.writeMatrix = true;
    mesh.vertices = {{10, 0, 0}, {11, 0, 0}, {11, 1, 0}, {10, 1, 0}};
    s.meshes.push_back(mesh);
    s.nodes.push_back({"Quad", {0.5f, 0, 0}, {{0, {10, 0, 0}}}, {}});
    L3DS scene;
    ASSERT_TRUE(load(scene, write3ds(s)));
    // Origin and pivot taken away, so the node's position places it once.
    expectNear(scene.getMesh(0).getVertex(0), {-0.5f, 0, 0});
    expectNear(scene.getMesh(0).getVertex(2), {0.5f, 1, 0});
}

}  // namespace
