#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "assets/obj_mesh.h"

namespace {

void expectCorner(const Vec3& v, float x, float y, float z)
{
    EXPECT_EQ(v.kind, VEC_PLAIN);
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

const char* const TWO_TRIANGLES =
    "# exported\n"
    "mtllib plane.mtl\n"
    "o Plane\n"
    "v 0 0 0\n"
    "v 1 0 0\n"
    "v 1 1 0\n"
    "v 0 1 0.5\n"
    "vt 0 0\n"
    "usemtl None\n"
    "s off\n"
    "f 1/1 2/1 3/1\n"
    "f 1/1 3/1 4/1\n";

// Writes text to a file in the test's temporary folder.
std::string writeTemp(const std::string& name, const std::string& text)
{
    std::string path = testing::TempDir() + std::to_string(getpid()) + "_" + name;  // unique per process
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

ObjMesh read(const std::string& text, ObjReadStats* stats = nullptr)
{
    ObjMesh mesh;
    ObjReadStats s = mesh.loadObjText(text, 1);
    if (stats)
        *stats = s;
    return mesh;
}

}  // namespace

TEST(ObjMesh, TwoTrianglesRepeatTheirThirdCorner)
{
    std::string path = writeTemp("two_triangles.obj", TWO_TRIANGLES);
    ObjMesh mesh;
    mesh.loadObj(path, 5);
    EXPECT_TRUE(mesh.loaded);
    EXPECT_TRUE(mesh.needsCompile);
    EXPECT_EQ(mesh.listId, 5);
    ASSERT_EQ(mesh.objects.size(), 1u);
    ASSERT_EQ(mesh.objects[0].size(), 2u);
    const ObjFace& first = mesh.objects[0][0];
    expectCorner(first.corners[0], 0, 0, 0);
    expectCorner(first.corners[1], 1, 0, 0);
    expectCorner(first.corners[2], 1, 1, 0);
    expectCorner(first.corners[3], 1, 1, 0);
    const ObjFace& second = mesh.objects[0][1];
    expectCorner(second.corners[2], 0, 1, 0.5f);
    expectCorner(second.corners[3], 0, 1, 0.5f);
    std::remove(path.c_str());
}

TEST(ObjMesh, ObjectsContinueTheVertexNumbering)
{
    ObjMesh mesh = read(
        "o First\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/1 3/1\n"
        "o Second\nv 5 5 5\nv 6 5 5\nv 5 6 5\nvt 0 0\nf 4/1 5/1 6/1\nf 1/1 4/1 6/1 3/1\n");
    ASSERT_EQ(mesh.objects.size(), 2u);
    ASSERT_EQ(mesh.objects[0].size(), 1u);
    ASSERT_EQ(mesh.objects[1].size(), 2u);
    expectCorner(mesh.objects[1][0].corners[0], 5, 5, 5);
    expectCorner(mesh.objects[1][1].corners[0], 0, 0, 0);
    expectCorner(mesh.objects[1][1].corners[3], 0, 1, 0);
}

TEST(ObjMesh, FaceRightAfterTheLastVertexWindowsLineEndingsAndNoFinalNewline)
{
    for (const char* text : {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1 2/1 3/1\nf 3/1 2/1 1/1\n",
                             "v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nvt 0 0\r\nf 1/1 2/1 3/1\r\nf 3/1 2/1 1/1"}) {
        ObjMesh mesh = read(text);
        ASSERT_EQ(mesh.objects.size(), 1u) << text;
        EXPECT_EQ(mesh.objects[0].size(), 2u) << text;
    }
}

TEST(ObjMesh, SecondLoadChangesNothing)
{
    ObjMesh mesh;
    mesh.loadObjText(TWO_TRIANGLES, -1);
    EXPECT_EQ(mesh.listId, -1);  // -1 means: draw without a display list
    EXPECT_TRUE(mesh.needsCompile);
    mesh.needsCompile = false;
    mesh.loadObjText("v 0 0 0\nv 1 1 1\nv 2 2 2\nf 1/1 2/1 3/1\no B\nv 1 1 1\nf 4/1 4/1 4/1\n", 9);
    EXPECT_EQ(mesh.listId, -1);
    EXPECT_FALSE(mesh.needsCompile);
    ASSERT_EQ(mesh.objects.size(), 1u);
    EXPECT_EQ(mesh.objects[0].size(), 2u);
}

TEST(ObjMeshBadInput, MissingFileOrNoVertexGivesEmptyMesh)
{
    ObjMesh missing;
    ObjReadStats stats = missing.loadObjWithStats(testing::TempDir() + "no_such_file.obj", 3);
    EXPECT_FALSE(stats.fileRead);
    EXPECT_TRUE(missing.loaded);
    EXPECT_EQ(missing.listId, 3);
    EXPECT_TRUE(missing.objects.empty());

    ObjMesh folder;
    folder.loadObj(testing::TempDir(), 3);
    EXPECT_TRUE(folder.objects.empty());

    EXPECT_TRUE(read("").objects.empty());
    EXPECT_TRUE(read("# only a comment\no Empty\nvt 0 0\nf 1/1 2/1 3/1\n").objects.empty());
    // A trailing 'o' line with nothing after it starts no object.
    EXPECT_EQ(read("v 0 0 0\nf 1/1 1/1 1/1\no Next\n").objects.size(), 1u);
}

TEST(ObjMeshBadInput, FacesOutsideTheSubsetAreSkipped)
{
    const std::string vertices = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvt 0 0\n";
    const char* const badFaces[] = {
        "f 0/1 1/1 2/1\n",             // index 0
        "f -1/1 1/1 2/1\n",            // relative (negative) index
        "f 1/1 2/1 5/1\n",             // past the last vertex
        "f 1/1 2/1 3/1 9/1\n",         // fourth corner past the last vertex
        "f 1/1 2/1 3/1 4/1 1/1\n",     // five corners
        "f 1/12 2/1 3/1\n",            // two characters after the separator
        "f 1//1 2//1 3//1\n",          // empty texture index
        "f 1/1/1 2/1/1 3/1/1\n",       // normal index
        "f 1 2 3\n",                   // bare indices
        "f 99999999999/1 1/1 2/1\n",   // does not fit an int
        "f 1/1 2/1\n",                 // two corners
        "f\n",                         // no corners
    };
    for (const char* bad : badFaces) {
        ObjReadStats stats;
        ObjMesh mesh = read(vertices + "f 1/1 2/1 3/1\n" + bad + "f 4/1 3/1 2/1\n", &stats);
        ASSERT_EQ(mesh.objects.size(), 1u) << bad;
        ASSERT_EQ(mesh.objects[0].size(), 2u) << bad;
        expectCorner(mesh.objects[0][1].corners[0], 1, 1, 0);
        EXPECT_EQ(stats.skippedFaces, 1) << bad;
    }
}

TEST(ObjMeshBadInput, OtherLinesBetweenFacesAreSkipped)
{
    ObjReadStats stats;
    ObjMesh mesh = read(
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\n"
        "usemtl Red\nf 1/1 2/1 3/1\ns 1\nusemtl Blue\n# note\nf 3/1 2/1 1/1\n"
        "v 9 9 9\nf 1/1 1/1 2/1\n",
        &stats);
    ASSERT_EQ(mesh.objects.size(), 1u);
    EXPECT_EQ(mesh.objects[0].size(), 3u);
    EXPECT_EQ(stats.skippedLines, 4);
    EXPECT_EQ(stats.vertices, 3);  // only the vertex block reads vertices
}

TEST(ObjMeshBadInput, TruncatedOrGarbledInputEnds)
{
    // Truncated face at the end of the text.
    ObjMesh truncated = read("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1 2/1 3/1\nf 1/1 2/");
    ASSERT_EQ(truncated.objects.size(), 1u);
    EXPECT_EQ(truncated.objects[0].size(), 1u);

    // A vertex with a word that is not a number is dropped, and that word
    // ends the vertex block like any other: later "v" lines before the faces
    // are skipped, so the face that needs them is skipped too.
    ObjReadStats stats;
    ObjMesh garbled = read("v 0 0 0\nv 1 x 0\nv 1 1 0\nv 0 1 0\nf 1/1 2/1 3/1\nf 1/1 1/1 1/1\n", &stats);
    EXPECT_EQ(stats.vertices, 1);
    EXPECT_EQ(stats.skippedFaces, 1);
    ASSERT_EQ(garbled.objects.size(), 1u);
    ASSERT_EQ(garbled.objects[0].size(), 1u);
    expectCorner(garbled.objects[0][0].corners[3], 0, 0, 0);
    EXPECT_EQ(read("v 1 2 nan\nv 1 2 3\nf 1/1 1/1 1/1\n").objects[0].size(), 0u);

    // Vertices only, and a "v" with nothing after it.
    EXPECT_EQ(read("v 1 2 3\nv").objects.size(), 1u);
    EXPECT_TRUE(read("v 1 2 3\n").objects[0].empty());
}
