#include "shape.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

Transform rotation(int axis, double degrees)
{
    const double a = degrees * kPi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    Transform t;
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;
    t.m[i][i] = c;
    t.m[i][j] = -s;
    t.m[j][i] = s;
    t.m[j][j] = c;
    return t;
}

}  // namespace

Transform Transform::then(const Transform& outer) const
{
    Transform r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) {
            double v = j == 3 ? outer.m[i][3] : 0.0;
            for (int k = 0; k < 3; ++k)
                v += outer.m[i][k] * m[k][j];
            r.m[i][j] = v;
        }
    return r;
}

Transform Transform::translate(double x, double y, double z)
{
    Transform t;
    t.m[0][3] = x;
    t.m[1][3] = y;
    t.m[2][3] = z;
    return t;
}

Transform Transform::scale(double x, double y, double z)
{
    Transform t;
    t.m[0][0] = x;
    t.m[1][1] = y;
    t.m[2][2] = z;
    return t;
}

Transform Transform::rotateX(double degrees) { return rotation(0, degrees); }
Transform Transform::rotateY(double degrees) { return rotation(1, degrees); }
Transform Transform::rotateZ(double degrees) { return rotation(2, degrees); }

void Shape::append(const Shape& other)
{
    const int base = static_cast<int>(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (auto f : other.faces) {
        for (int& i : f)
            if (i >= 0)
                i += base;
        faces.push_back(f);
    }
}

void addBox(Shape& s, const Transform& place, double hx, double hy, double hz)
{
    int v[8];
    for (int i = 0; i < 8; ++i)
        v[i] = s.vertex(place.apply({(i & 1) ? hx : -hx, (i & 2) ? hy : -hy, (i & 4) ? hz : -hz}));
    s.quad(v[0], v[4], v[6], v[2]);  // -x
    s.quad(v[1], v[3], v[7], v[5]);  // +x
    s.quad(v[0], v[1], v[5], v[4]);  // -y
    s.quad(v[2], v[6], v[7], v[3]);  // +y
    s.quad(v[0], v[2], v[3], v[1]);  // -z
    s.quad(v[4], v[5], v[7], v[6]);  // +z
}

void addLathe(Shape& s, const Transform& place, const std::vector<std::pair<double, double>>& profile, int segments)
{
    std::vector<std::vector<int>> rings;
    for (const auto& [r, y] : profile) {
        std::vector<int> ring;
        const int count = r == 0.0 ? 1 : segments;
        for (int i = 0; i < count; ++i) {
            const double a = 2.0 * kPi * i / segments;
            ring.push_back(s.vertex(place.apply({r * std::cos(a), y, -r * std::sin(a)})));
        }
        rings.push_back(ring);
    }
    for (size_t k = 0; k + 1 < rings.size(); ++k) {
        const auto& lo = rings[k];
        const auto& hi = rings[k + 1];
        for (int i = 0; i < segments; ++i) {
            const int j = (i + 1) % segments;
            if (lo.size() == 1 && hi.size() == 1)
                continue;
            if (lo.size() == 1)
                s.triangle(lo[0], hi[static_cast<size_t>(j)], hi[static_cast<size_t>(i)]);
            else if (hi.size() == 1)
                s.triangle(lo[static_cast<size_t>(i)], lo[static_cast<size_t>(j)], hi[0]);
            else
                s.quad(lo[static_cast<size_t>(i)], lo[static_cast<size_t>(j)], hi[static_cast<size_t>(j)], hi[static_cast<size_t>(i)]);
        }
    }
}

void addSphere(Shape& s, const Transform& place, double r, int rings, int segments)
{
    std::vector<std::pair<double, double>> profile;
    for (int i = 0; i <= rings; ++i) {
        const double a = -kPi / 2 + kPi * i / rings;
        profile.push_back({(i == 0 || i == rings) ? 0.0 : r * std::cos(a), r * std::sin(a)});
    }
    addLathe(s, place, profile, segments);
}

void addCylinder(Shape& s, const Transform& place, double r, double y0, double y1, int segments)
{
    addLathe(s, place, {{0.0, y0}, {r, y0}, {r, y1}, {0.0, y1}}, segments);
}

void addRingSector(Shape& s, const Transform& place, double innerR, double outerR, double halfDepth,
                   double fromDeg, double toDeg, int segments)
{
    // Corners per step: inner/outer x front/back.
    std::vector<std::array<int, 4>> steps;
    for (int i = 0; i <= segments; ++i) {
        const double a = (fromDeg + (toDeg - fromDeg) * i / segments) * kPi / 180.0;
        const double c = std::cos(a), sn = std::sin(a);
        steps.push_back({s.vertex(place.apply({innerR * c, innerR * sn, halfDepth})),
                         s.vertex(place.apply({outerR * c, outerR * sn, halfDepth})),
                         s.vertex(place.apply({outerR * c, outerR * sn, -halfDepth})),
                         s.vertex(place.apply({innerR * c, innerR * sn, -halfDepth}))});
    }
    for (int i = 0; i < segments; ++i) {
        const auto& a = steps[static_cast<size_t>(i)];
        const auto& b = steps[static_cast<size_t>(i) + 1];
        s.quad(a[0], a[1], b[1], b[0]);  // front (+z)
        s.quad(a[2], a[3], b[3], b[2]);  // back (-z)
        s.quad(a[1], a[2], b[2], b[1]);  // outer rim
        s.quad(a[3], a[0], b[0], b[3]);  // inner surface
    }
    const auto& first = steps.front();
    const auto& last = steps.back();
    s.quad(first[0], first[3], first[2], first[1]);
    s.quad(last[0], last[1], last[2], last[3]);
}

void addBipyramid(Shape& s, const Transform& place, double r, double top, double bottom, int sides)
{
    addLathe(s, place, {{0.0, -bottom}, {r, 0.0}, {0.0, top}}, sides);
}
