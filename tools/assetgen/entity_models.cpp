// entity_models.cpp - one model per entity kind, each shaped to read as its
// role from the chase camera: spiked things hurt, crosses and chevrons are
// pickups, bolts are shots. Sizes follow the contact radii (10 to the player,
// 5 to a shot): enemies about 3 to 5 units across the middle, shots small.
#include "models.h"

#include <cmath>

#include "obj_writer.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

Shape named(const char* name)
{
    Shape s;
    s.name = name;
    return s;
}

// A cone of radius r and length len pointing from the origin along (dx, dy, dz).
void addSpike(Shape& s, const Transform& place, P3 dir, double from, double len, double r)
{
    const double h = std::hypot(dir.x, dir.z);
    const double pitch = std::atan2(h, dir.y) * 180.0 / kPi;  // from +y toward the direction
    const double yaw = std::atan2(dir.x, dir.z) * 180.0 / kPi;
    const Transform t = Transform::rotateX(pitch).then(Transform::rotateY(yaw)).then(place);
    addLathe(s, t, {{0.0, from}, {r, from}, {0.0, from + len}}, 6);
}

// Kind 0: a drone, an octahedral core in a ring, with forward claws.
Shape drone()
{
    Shape s = named("drone");
    addBipyramid(s, Transform(), 2.4, 2.8, 2.8, 4);
    addRingSector(s, Transform(), 3.4, 4.0, 0.35, 0, 360, 24);
    for (int i = 0; i < 4; ++i) {
        const double a = (45.0 + 90.0 * i) * kPi / 180.0;
        addSpike(s, Transform(), {std::cos(a), std::sin(a), -0.6}, 3.6, 2.2, 0.4);
    }
    return s;
}

// Kind 1: a spinning crystal with three shards around it.
Shape crystal()
{
    Shape s = named("crystal");
    addBipyramid(s, Transform(), 1.7, 3.4, 2.4, 6);
    for (int i = 0; i < 3; ++i)
        addBipyramid(s, Transform::rotateZ(25).then(Transform::translate(3.0, 0.3, 0)).then(Transform::rotateY(120.0 * i)), 0.5, 1.1, 1.1, 4);
    return s;
}

// Kind 2: the player's bolt, long along +z with a cross of fins.
Shape bolt()
{
    Shape s = named("bolt");
    addBipyramid(s, Transform::rotateX(90), 0.55, 2.2, 4.0, 6);
    addBox(s, Transform::translate(0, 0, -2.4), 1.0, 0.06, 0.5);
    addBox(s, Transform::translate(0, 0, -2.4), 0.06, 1.0, 0.5);
    return s;
}

// Kind 3: a spiked mine.
Shape mine()
{
    Shape s = named("mine");
    addSphere(s, Transform(), 2.8, 6, 10);
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    const P3 dirs[] = {{0, 1, t}, {0, -1, t}, {0, 1, -t}, {0, -1, -t}, {1, t, 0}, {-1, t, 0},
                       {1, -t, 0}, {-1, -t, 0}, {t, 0, 1}, {-t, 0, 1}, {t, 0, -1}, {-t, 0, -1}};
    for (const P3& d : dirs)
        addSpike(s, Transform(), d, 2.4, 2.6, 0.55);
    return s;
}

// Kind 8: the end guardian, a crowned core with six armed pods and a cannon toward the player.
Shape guardian()
{
    Shape s = named("guardian");
    addSphere(s, Transform(), 7.0, 8, 16);
    addRingSector(s, Transform(), 12.0, 14.5, 1.2, 0, 360, 36);
    addRingSector(s, Transform::rotateX(90), 9.0, 10.0, 0.8, 0, 360, 28);
    for (int i = 0; i < 6; ++i) {
        const double a = 60.0 * i + 30.0;
        const double r = a * kPi / 180.0;
        const Transform arm = Transform::rotateZ(a - 90.0).then(Transform::translate(10.5 * std::cos(r), 10.5 * std::sin(r), 0));
        addBox(s, arm, 0.9, 4.0, 0.9);
        const Transform pod = Transform::translate(17.0 * std::cos(r), 17.0 * std::sin(r), 0);
        addBipyramid(s, Transform::rotateX(90).then(pod), 2.2, 2.5, 4.5, 6);
        addSpike(s, pod, {std::cos(r), std::sin(r), 0}, 2.0, 3.5, 0.8);
    }
    addCylinder(s, Transform::rotateX(-90), 2.2, 5.0, 13.0, 12);  // cannon along -z
    addRingSector(s, Transform::translate(0, 0, -12.5), 2.2, 3.4, 0.8, 0, 360, 12);
    return s;
}

// Kind 9: an enemy shot, a small star.
Shape enemyShot()
{
    Shape s = named("enemy_shot");
    addBipyramid(s, Transform(), 0.7, 1.8, 1.8, 4);
    addBipyramid(s, Transform::rotateX(90), 0.7, 1.8, 1.8, 4);
    addBipyramid(s, Transform::rotateZ(90), 0.7, 1.8, 1.8, 4);
    return s;
}

// Kind 10: a turret saucer with three barrels.
Shape turret()
{
    Shape s = named("turret");
    addLathe(s, Transform(), {{0.0, -1.0}, {2.5, -0.8}, {4.6, 0.0}, {3.6, 0.6}, {2.0, 0.9}, {1.6, 1.8}, {0.0, 2.2}}, 16);
    for (int i = 0; i < 3; ++i)
        addCylinder(s, Transform::rotateZ(-90).then(Transform::translate(0, 0.2, 0)).then(Transform::rotateY(120.0 * i + 90.0)),
                    0.35, 3.8, 6.6, 8);
    return s;
}

// Kind 13: a static pylon with cross arms.
Shape pylon()
{
    Shape s = named("pylon");
    addCylinder(s, Transform(), 1.5, -5.5, 5.5, 6);
    addLathe(s, Transform::translate(0, 5.5, 0), {{2.4, 0.0}, {2.4, 0.8}, {0.0, 2.4}}, 6);
    addLathe(s, Transform::translate(0, -5.5, 0), {{0.0, -2.4}, {2.4, -0.8}, {2.4, 0.0}}, 6);
    addBox(s, Transform::translate(0, 1.5, 0), 4.0, 0.45, 0.45);
    addBox(s, Transform::translate(0, -1.5, 0), 0.45, 0.45, 4.0);
    return s;
}

// Kind 14: the life pickup, a plus in a ring.
Shape lifeCross()
{
    Shape s = named("life");
    addBox(s, Transform(), 2.4, 0.8, 0.8);
    addBox(s, Transform(), 0.8, 2.4, 0.8);
    addRingSector(s, Transform(), 3.3, 3.8, 0.4, 0, 360, 24);
    return s;
}

// Kind 15: the rapid-fire pickup, three chevrons in a row.
Shape chevrons()
{
    Shape s = named("rapid_fire");
    for (int i = 0; i < 3; ++i) {
        const double y = -1.8 + 1.8 * i;
        for (double side : {-1.0, 1.0})
            addBox(s, Transform::rotateZ(-35.0 * side).then(Transform::translate(1.05 * side, y, 0)), 1.35, 0.35, 0.5);
    }
    return s;
}

}  // namespace

bool writeEntityModels(const std::string& outputDir)
{
    const std::string dir = outputDir + "/meshes/";
    return writeObj(dir + "sprite1.obj", {drone()}) && writeObj(dir + "sprite2.obj", {crystal()}) &&
           writeObj(dir + "sprite3.obj", {bolt()}) && writeObj(dir + "sprite5.obj", {mine()}) &&
           writeObj(dir + "sprite6.obj", {guardian()}) && writeObj(dir + "sprite7.obj", {enemyShot()}) &&
           writeObj(dir + "sprite8.obj", {turret()}) && writeObj(dir + "sprite9.obj", {pylon()}) &&
           writeObj(dir + "sprite10.obj", {lifeCross()}) && writeObj(dir + "sprite11.obj", {chevrons()});
}
