// l3ds_mesh.cpp - after a mesh is read: consistent arrays, the vertex
// transform, vertex normals by smoothing group and texture-space vectors.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "assets/l3ds/l3ds_objects.h"
#include "base/work_meter.h"

namespace {

constexpr size_t MAX_VERTICES = 65536;  // indices are 16-bit
const LVector3 UP{0.0f, 0.0f, 1.0f};

// For every vertex, the triangles that use it (compressed rows).
struct VertexTriangles {
    std::vector<uint32_t> start;      // vertexCount + 1 offsets into `triangles`
    std::vector<uint32_t> triangles;

    explicit VertexTriangles(const LMesh& mesh)
    {
        start.assign(mesh.vertices.size() + 1, 0);
        for (const LTriangle& t : mesh.triangles) {
            start[t.a + 1]++;
            start[t.b + 1]++;
            start[t.c + 1]++;
        }
        for (size_t v = 1; v < start.size(); ++v)
            start[v] += start[v - 1];
        triangles.resize(start.back());
        std::vector<uint32_t> fill(start.begin(), start.end() - 1);
        for (uint32_t i = 0; i < mesh.triangles.size(); ++i) {
            const LTriangle& t = mesh.triangles[i];
            triangles[fill[t.a]++] = i;
            triangles[fill[t.b]++] = i;
            triangles[fill[t.c]++] = i;
        }
    }
};

uint16_t& corner(LTriangle& t, int k) { return k == 0 ? t.a : (k == 1 ? t.b : t.c); }

void computeFaceNormals(LMesh& mesh)
{
    for (LTriangle2& t : mesh.extendedTriangles) {
        LVector3 p0 = mesh.vertices[t.corners.a];
        LVector3 e1 = mesh.vertices[t.corners.b] - p0;
        LVector3 e2 = mesh.vertices[t.corners.c] - p0;
        t.faceNormal = normalizedOr(cross(e1, e2), UP);
    }
}

void averageAllFaces(LMesh& mesh)
{
    std::vector<LVector3> sums(mesh.vertices.size());
    for (const LTriangle2& t : mesh.extendedTriangles) {
        sums[t.corners.a] = sums[t.corners.a] + t.faceNormal;
        sums[t.corners.b] = sums[t.corners.b] + t.faceNormal;
        sums[t.corners.c] = sums[t.corners.c] + t.faceNormal;
    }
    mesh.normals.resize(mesh.vertices.size());
    for (size_t v = 0; v < sums.size(); ++v)
        mesh.normals[v] = normalizedOr(sums[v], UP);
}

// For the triangles around one vertex (in order), the first position at
// which each one's smoothing word appears; ungrouped triangles (word 0) and
// repeats of the same triangle (a degenerate corner) are handled by the caller.
// Sorting keeps this at d log d for d triangles instead of d squared.
class FirstAppearance {
public:
    void find(const std::vector<std::pair<uint32_t, uint32_t>>& wordAndPosition, std::vector<uint32_t>& first)
    {
        sorted = wordAndPosition;
        std::sort(sorted.begin(), sorted.end());
        for (size_t i = 0; i < sorted.size(); ++i) {
            const bool startsRun = i == 0 || sorted[i].first != sorted[i - 1].first;
            runFirst = startsRun ? sorted[i].second : runFirst;
            first[sorted[i].second] = runFirst;
        }
        readerWork += sorted.size();
    }

private:
    std::vector<std::pair<uint32_t, uint32_t>> sorted;
    uint32_t runFirst = 0;
};

// Around each vertex, triangles with the same smoothing word share one normal:
// the sum of the faces whose words share a group bit with it (a triangle
// without groups keeps its own face normal). Each further word at a vertex gets
// its own copy of the vertex, as long as 16-bit indices can still reach it.
void averageBySmoothingGroup(LMesh& mesh)
{
    // Past this many words at one vertex, only equal words are averaged: the
    // comparison of every pair would let a hostile file cost quadratic time.
    constexpr size_t MAX_WORDS_COMPARED = 1024;
    const size_t originalCount = mesh.vertices.size();
    VertexTriangles around(mesh);
    mesh.normals.assign(originalCount, UP);

    struct Word {
        uint32_t bits;
        LVector3 faceSum;
        uint32_t vertex;
    };
    std::vector<Word> words;
    std::vector<uint32_t> wordOf;  // per triangle around the vertex: its entry in words
    std::vector<std::pair<uint32_t, uint32_t>> grouped;  // (word, position) of grouped triangles
    std::vector<uint32_t> firstPosition;                 // per position: where its word first appears
    FirstAppearance firstAppearance;
    for (size_t v = 0; v < originalCount; ++v) {
        const uint32_t begin = around.start[v];
        const uint32_t count = around.start[v + 1] - begin;
        words.clear();
        wordOf.assign(count, 0);
        grouped.clear();
        firstPosition.resize(count);
        for (uint32_t p = 0; p < count; ++p) {
            firstPosition[p] = p;
            const uint32_t ti = around.triangles[begin + p];
            const bool repeat = p > 0 && around.triangles[begin + p - 1] == ti;
            const uint32_t bits = mesh.extendedTriangles[ti].smoothingGroups;
            if (!repeat && bits != 0)
                grouped.push_back({bits, p});
        }
        firstAppearance.find(grouped, firstPosition);
        for (uint32_t p = 0; p < count; ++p) {
            const uint32_t ti = around.triangles[begin + p];
            if (p > 0 && around.triangles[begin + p - 1] == ti) {
                wordOf[p] = wordOf[p - 1];  // same triangle twice: a degenerate corner
                continue;
            }
            const LTriangle2& t = mesh.extendedTriangles[ti];
            // Ungrouped triangles never share, so each one is an entry of its own.
            uint32_t slot;
            if (firstPosition[p] == p) {
                slot = static_cast<uint32_t>(words.size());
                words.push_back({t.smoothingGroups, LVector3{}, 0});
            } else {
                slot = wordOf[firstPosition[p]];
            }
            words[slot].faceSum = words[slot].faceSum + t.faceNormal;
            wordOf[p] = slot;
        }
        readerWork += count;
        bool compareAll = words.size() <= MAX_WORDS_COMPARED;
        for (size_t i = 0; i < words.size(); ++i) {
            LVector3 sum = words[i].faceSum;
            if (compareAll && words[i].bits != 0) {
                readerWork += words.size();
                for (size_t j = 0; j < words.size(); ++j)
                    if (j != i && (words[j].bits & words[i].bits))
                        sum = sum + words[j].faceSum;
            }
            LVector3 normal = normalizedOr(sum, normalizedOr(words[i].faceSum, UP));
            if (i == 0) {
                words[i].vertex = static_cast<uint32_t>(v);
            } else if (mesh.vertices.size() < MAX_VERTICES) {
                words[i].vertex = static_cast<uint32_t>(mesh.vertices.size());
                LVector3 position = mesh.vertices[v];
                LVector2 uv = mesh.uvs[v];
                mesh.vertices.push_back(position);
                mesh.uvs.push_back(uv);
                mesh.normals.push_back(UP);
            } else {
                words[i].vertex = static_cast<uint32_t>(v);  // out of indices: share the first normal
                continue;
            }
            mesh.normals[words[i].vertex] = normal;
        }
        // Point each triangle's corners at this vertex to its word's copy.
        for (uint32_t k = begin; k < begin + count; ++k) {
            uint32_t ti = around.triangles[k];
            uint16_t target = static_cast<uint16_t>(words[wordOf[k - begin]].vertex);
            for (int c = 0; c < 3; ++c) {
                if (corner(mesh.triangles[ti], c) == v) {
                    corner(mesh.triangles[ti], c) = target;
                    corner(mesh.extendedTriangles[ti].corners, c) = target;
                }
            }
        }
    }
}

// Per vertex, the direction in which u grows, made perpendicular to the normal.
void computeTextureSpace(LMesh& mesh)
{
    std::vector<LVector3> sums(mesh.vertices.size());
    for (const LTriangle& t : mesh.triangles) {
        LVector3 p0 = mesh.vertices[t.a];
        LVector3 e1 = mesh.vertices[t.b] - p0;
        LVector3 e2 = mesh.vertices[t.c] - p0;
        LVector2 uv0 = mesh.uvs[t.a], uv1 = mesh.uvs[t.b], uv2 = mesh.uvs[t.c];
        float du1 = uv1.x - uv0.x, dv1 = uv1.y - uv0.y;
        float du2 = uv2.x - uv0.x, dv2 = uv2.y - uv0.y;
        float det = du1 * dv2 - du2 * dv1;
        if (!(std::fabs(det) > 1e-20f))
            continue;  // no texture mapping across this triangle
        LVector3 tangent = (e1 * dv2 - e2 * dv1) * (1.0f / det);
        if (!std::isfinite(tangent.x) || !std::isfinite(tangent.y) || !std::isfinite(tangent.z))
            continue;
        sums[t.a] = sums[t.a] + tangent;
        sums[t.b] = sums[t.b] + tangent;
        sums[t.c] = sums[t.c] + tangent;
    }
    mesh.textureSpace.resize(mesh.vertices.size());
    for (size_t v = 0; v < sums.size(); ++v) {
        LVector3 n = mesh.normals[v];
        LVector3 t = sums[v] - n * dot(n, sums[v]);
        // Without a usable mapping, any direction across the normal will do.
        LVector3 across = std::fabs(n.x) < 0.9f ? LVector3{1, 0, 0} : LVector3{0, 1, 0};
        LVector3 fallback = normalizedOr(across - n * dot(n, across), LVector3{1, 0, 0});
        mesh.textureSpace[v] = normalizedOr(t, fallback);
    }
}

}  // namespace

void LMesh::makeConsistent()
{
    uvs.resize(vertices.size());
    extendedTriangles.resize(triangles.size());
    const size_t count = vertices.size();
    size_t kept = 0;
    for (size_t i = 0; i < triangles.size(); ++i) {
        const LTriangle& t = triangles[i];
        if (t.a >= count || t.b >= count || t.c >= count)
            continue;  // would index outside the vertex arrays
        triangles[kept] = t;
        extendedTriangles[kept] = extendedTriangles[i];
        extendedTriangles[kept].corners = t;
        ++kept;
    }
    triangles.resize(kept);
    extendedTriangles.resize(kept);
}

void LMesh::transformVertices(const LMatrix4& transform)
{
    const float* m = transform.m;
    for (LVector3& v : vertices) {
        LVector3 p = v;
        v.x = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
        v.y = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
        v.z = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
    }
}

void LMesh::optimize(int32_t level)
{
    computeFaceNormals(*this);
    if (level >= 2)
        averageBySmoothingGroup(*this);
    else
        averageAllFaces(*this);
    computeTextureSpace(*this);
}
