// shape.h - polygon soup of one mesh object, with the primitive solids the
// generated models are made of. Faces are quads or triangles, corners
// counter-clockwise seen from outside, so flat normals point outward.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

struct P3 {
    double x = 0, y = 0, z = 0;
};

inline P3 operator+(P3 a, P3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline P3 operator-(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline P3 operator*(P3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }

// Affine transform: rows of a 3 x 4 matrix (rotation and scale, then translation).
struct Transform {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    P3 apply(P3 p) const
    {
        return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
                m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
                m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
    }
    // this * other: `other` is applied first.
    Transform then(const Transform& outer) const;

    static Transform translate(double x, double y, double z);
    static Transform scale(double x, double y, double z);
    static Transform rotateX(double degrees);
    static Transform rotateY(double degrees);
    static Transform rotateZ(double degrees);
};

struct Shape {
    std::string name;
    std::vector<P3> vertices;
    std::vector<std::array<int, 4>> faces;  // 0-based; corner 3 is -1 for a triangle

    int vertex(P3 p)
    {
        vertices.push_back(p);
        return static_cast<int>(vertices.size()) - 1;
    }
    void quad(int a, int b, int c, int d) { faces.push_back({a, b, c, d}); }
    void triangle(int a, int b, int c) { faces.push_back({a, b, c, -1}); }
    void append(const Shape& other);
};

// Axis-aligned box of half sizes (hx, hy, hz) around the origin, then placed.
void addBox(Shape& s, const Transform& place, double hx, double hy, double hz);

// Surface of revolution about the local y axis. `profile` lists (radius, y)
// from bottom to top; a radius of 0 closes the surface to a point there.
void addLathe(Shape& s, const Transform& place, const std::vector<std::pair<double, double>>& profile, int segments);

// Sphere of radius r (a lathe of `rings` bands and `segments` sides).
void addSphere(Shape& s, const Transform& place, double r, int rings, int segments);

// Closed cylinder of radius r along local y from y0 to y1.
void addCylinder(Shape& s, const Transform& place, double r, double y0, double y1, int segments);

// Thick slab of a ring sector in the local x-y plane, centre at the origin,
// angles in degrees, depth along z from -halfDepth to +halfDepth.
void addRingSector(Shape& s, const Transform& place, double innerR, double outerR, double halfDepth,
                   double fromDeg, double toDeg, int segments);

// Double pyramid (a crystal): `sides` corners on a circle of radius r in the
// x-z plane, tips at +top and -bottom on the y axis.
void addBipyramid(Shape& s, const Transform& place, double r, double top, double bottom, int sides);
