// l3ds_oracle_test.cpp - the 3DS reader against Assimp on the shared 3DS files.
//
// Assimp is read without post-processing. Where the two readers differ by
// design, the comparison is made on what both must agree about:
// - Assimp emits three vertices per triangle, while this reader keeps the
//   file's shared vertices (split only where smoothing groups meet), so vertex
//   counts are compared as the number of distinct positions, and positions
//   are compared corner by corner through the triangles.
// - Both give animated meshes in their own space (the inverse of the mesh
//   matrix, pivot at the origin) and unanimated ones in file space, so the
//   positions are compared directly.
// - World positions are not compared: Assimp follows the keyframer's node
//   hierarchy (Box02 hangs under Camera01 in CameraRollAnimWithChildObject)
//   and applies scale tracks (test1), while here each mesh is placed by its
//   own node's position and rotation only, as the model draw expects.
// - Assimp splits a mesh by material; every mesh of these files uses at most
//   one, so the mesh lists line up one to one.
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <string>

#include "assets/l3ds/l3ds.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> sharedFiles()
{
    std::vector<fs::path> files;
    fs::path folder = fs::path(GW_TESTDATA_DIR) / "3ds" / "assimp";
    if (!fs::exists(folder))
        return files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (ext == ".3ds")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

using Position = std::array<float, 3>;

// Positions rounded to a thousandth, so that float noise does not count as distinct.
Position rounded(float x, float y, float z)
{
    auto r = [](float v) { return std::round(v * 1000.0f) / 1000.0f + 0.0f; };
    return {r(x), r(y), r(z)};
}

TEST(L3dsOracle, AgreesWithAssimpOnTheSharedFiles)
{
    std::vector<fs::path> files = sharedFiles();
    if (files.empty())
        GTEST_SKIP() << "no shared 3DS test files";
    for (const fs::path& path : files) {
        SCOPED_TRACE(path.filename().string());
        Assimp::Importer assimp;
        const aiScene* theirs = assimp.ReadFile(path.string(), 0);
        ASSERT_NE(theirs, nullptr) << assimp.GetErrorString();
        L3DS ours;
        ASSERT_TRUE(ours.loadFile(path.c_str()));

        ASSERT_EQ(ours.getMeshCount(), static_cast<int32_t>(theirs->mNumMeshes));
        for (int32_t m = 0; m < ours.getMeshCount(); ++m) {
            SCOPED_TRACE(ours.getMesh(m).name);
            const LMesh& mine = ours.getMesh(m);
            const aiMesh* other = theirs->mMeshes[m];
            ASSERT_EQ(mine.getTriangleCount(), static_cast<int32_t>(other->mNumFaces));
            EXPECT_EQ(other->mNumVertices, 3u * other->mNumFaces);

            std::set<Position> minePositions, otherPositions;
            for (const LVector3& v : mine.vertices)
                minePositions.insert(rounded(v.x, v.y, v.z));
            for (unsigned v = 0; v < other->mNumVertices; ++v) {
                const aiVector3D& p = other->mVertices[v];
                otherPositions.insert(rounded(p.x, p.y, p.z));
            }
            EXPECT_EQ(minePositions.size(), otherPositions.size());

            int mismatches = 0;
            for (int32_t t = 0; t < mine.getTriangleCount(); ++t) {
                const aiFace& face = other->mFaces[t];
                ASSERT_EQ(face.mNumIndices, 3u);
                const LTriangle& tri = mine.getTriangle(t);
                const uint16_t corners[3] = {tri.a, tri.b, tri.c};
                for (int c = 0; c < 3; ++c) {
                    const LVector3& a = mine.getVertex(corners[c]);
                    const aiVector3D& b = other->mVertices[face.mIndices[c]];
                    float scale = 1e-4f * std::max({1.0f, std::fabs(b.x), std::fabs(b.y), std::fabs(b.z)});
                    if (std::fabs(a.x - b.x) > scale || std::fabs(a.y - b.y) > scale || std::fabs(a.z - b.z) > scale)
                        ++mismatches;
                }
            }
            EXPECT_EQ(mismatches, 0);
        }
    }
}

TEST(L3dsOracle, RotationTrackAccumulatesLikeAssimp)
{
    // RotatingCube's rotation keys are relative; Assimp reports them as
    // absolute orientations, which must match the expanded frames here.
    fs::path path = fs::path(GW_TESTDATA_DIR) / "3ds" / "assimp" / "RotatingCube.3DS";
    if (!fs::exists(path))
        GTEST_SKIP() << "no shared 3DS test files";
    Assimp::Importer assimp;
    const aiScene* theirs = assimp.ReadFile(path.string(), 0);
    ASSERT_NE(theirs, nullptr);
    ASSERT_EQ(theirs->mNumAnimations, 1u);
    const aiNodeAnim* channel = theirs->mAnimations[0]->mChannels[0];
    L3DS ours;
    ASSERT_TRUE(ours.loadFile(path.c_str()));
    const LAnimationNode* node = ours.getMeshNode(0);
    ASSERT_NE(node, nullptr);
    // One key per frame here, so frame k is key k.
    ASSERT_EQ(node->rotations.size(), channel->mNumRotationKeys);
    for (unsigned k = 0; k < channel->mNumRotationKeys; k += 15) {
        const aiQuaternion& q = channel->mRotationKeys[k].mValue;
        const LRotation& r = node->rotations[k];
        float s = std::sin(r.angle / 2), c = std::cos(r.angle / 2);
        // q and -q are the same rotation.
        float sign = (q.w * c + q.x * r.x * s + q.y * r.y * s + q.z * r.z * s) < 0 ? -1.0f : 1.0f;
        EXPECT_NEAR(sign * q.w, c, 1e-3) << k;
        EXPECT_NEAR(sign * q.x, r.x * s, 1e-3) << k;
        EXPECT_NEAR(sign * q.y, r.y * s, 1e-3) << k;
        EXPECT_NEAR(sign * q.z, r.z * s, 1e-3) << k;
    }
}

}  // namespace
