// l3ds_objects.h - what a 3DS scene is made of: materials, meshes, lights,
// cameras and keyframer animation nodes.
//
// Plain classes with public data. A mesh's vertex, normal, texture-space and
// texture-coordinate arrays always have the same length, and every triangle
// indexes inside them, so they can be drawn as GL vertex arrays as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/l3ds/l3ds_types.h"

class LObject {
public:
    LObject() = default;
    virtual ~LObject() = default;
    // Declared, since the virtual destructor would otherwise turn every move
    // of a mesh into a copy of its arrays.
    LObject(const LObject&) = default;
    LObject(LObject&&) = default;
    LObject& operator=(const LObject&) = default;
    LObject& operator=(LObject&&) = default;
    virtual const std::string& getName() const { return name; }
    virtual void setName(const std::string& value) { name = value; }

    std::string name;
    int32_t id = 0;  // position in its list of the scene
};

// One map of a material: how strongly it applies and the picture it names.
struct LMap {
    float strength = 0.0f;
    std::string fileName;  // empty: the material has no such map
};

class LMaterial : public LObject {
public:
    LColor3 ambient;
    LColor3 diffuse;
    LColor3 specular;
    float shininess = 0.0f;     // 0..1, from its percentage
    float transparency = 0.0f;  // 0..1, from its percentage
    int32_t shading = 0;        // 0 wire, 1 flat, 2 Gouraud, 3 Phong, 4 metal
    LMap texture1;
    LMap texture2;
    LMap opacity;
    LMap specularMap;
    LMap bump;
    LMap reflection;
};

class LMesh : public LObject {
public:
    std::vector<LVector3> vertices;
    std::vector<LVector3> normals;        // unit length, one per vertex
    std::vector<LVector3> textureSpace;   // unit tangent along +u, one per vertex
    std::vector<LVector2> uvs;            // one per vertex (0, 0 where the file has none)
    std::vector<LTriangle> triangles;
    std::vector<LTriangle2> extendedTriangles;  // one per triangle
    std::vector<int32_t> materials;       // ids named by the material groups, in file order
    LMatrix4 matrix;                      // the mesh's local coordinate system
    int32_t node = -1;                    // its animation node in the scene, or -1

    int32_t getVertexCount() const { return static_cast<int32_t>(vertices.size()); }
    int32_t getTriangleCount() const { return static_cast<int32_t>(triangles.size()); }
    int32_t getMaterialCount() const { return static_cast<int32_t>(materials.size()); }
    const LVector3& getVertex(int32_t i) const { return vertices[i]; }
    const LVector3& getNormal(int32_t i) const { return normals[i]; }
    const LVector3& getTextureSpace(int32_t i) const { return textureSpace[i]; }
    const LVector2& getUV(int32_t i) const { return uvs[i]; }
    const LTriangle& getTriangle(int32_t i) const { return triangles[i]; }
    const LTriangle2& getExtendedTriangle(int32_t i) const { return extendedTriangles[i]; }
    int32_t getMaterial(int32_t i) const { return materials[i]; }

    // Brings the arrays to one length and drops triangles that index outside them.
    void makeConsistent();
    // Vertex normals (level 1: all faces around a vertex; level 2: per smoothing
    // group, splitting vertices between groups) and, at level 2, texture-space vectors.
    void optimize(int32_t level);
    // Moves every vertex by an affine matrix (column-major, last row 0 0 0 1).
    void transformVertices(const LMatrix4& transform);
};

class LLight : public LObject {
public:
    LVector3 position;
    LColor3 color{1.0f, 1.0f, 1.0f};
    bool spotlight = false;
    LVector3 target;
    float hotspot = 0.0f;   // degrees
    float falloff = 0.0f;   // degrees
    float attenuationStart = 0.0f;
    float attenuationEnd = 0.0f;
};

class LCamera : public LObject {
public:
    LVector3 position;
    LVector3 target;
    float bank = 0.0f;   // degrees
    float lens = 0.0f;   // focal length in millimetres
    float nearRange = 0.0f;
    float farRange = 0.0f;
};

// One key of a position or rotation track.
struct LPositionKey {
    uint32_t frame = 0;
    LVector3 position;
};
struct LRotationKey {
    uint32_t frame = 0;
    LRotation rotation;  // relative to the previous key; axis stored negated
};

// Where a node is at one time: the mesh is drawn as
// translate(position) rotate(rotation) rotate(secondRotation) translate(pivot).
struct LNodeTransform {
    LVector3 position;
    LRotation rotation;
    LRotation secondRotation;
    LVector3 pivot;
};

// A keyframer object node that animates the mesh of the same name.
class LAnimationNode {
public:
    std::string name;
    int32_t meshIndex = -1;
    LVector3 pivot;                  // as read
    std::vector<LPositionKey> positionKeys;
    std::vector<LRotationKey> rotationKeys;
    uint32_t scaleKeyCount = 0;

    // After loading: one entry per frame of the scene.
    std::vector<LVector3> positions;
    std::vector<LRotation> rotations;
    LRotation secondRotation;        // fixed: none
    LVector3 drawPivot;              // the pivot is applied to the vertices, so none

    // Fills positions and rotations with `frames` samples spread evenly over
    // frame numbers 0 .. lastFrame.
    void expandTracks(int32_t frames, uint32_t lastFrame);
    // Interpolated transform at time t; t in [0, 1) spans the animation once and wraps.
    LNodeTransform transformAt(float t) const;
};
