// craft_model.cpp - the player's craft.
//
// Model space: nose toward -x, up +y, so the game's 90 degree turn about y
// points it along +z. The main rotor spins about the y axis through the
// origin; the tail rotor is a ducted fan on the right outrigger, centred on
// the pivot the game spins it about.
#include "models.h"

#include "obj_writer.h"

namespace {

constexpr P3 kTailPivot{2.82, -0.44, 9.07};

Shape tailRotor()
{
    Shape s;
    s.name = "tail_rotor";
    const Transform atPivot = Transform::translate(kTailPivot.x, kTailPivot.y, kTailPivot.z);
    for (int blade = 0; blade < 5; ++blade) {
        const Transform t = Transform::translate(1.05, 0, 0)
                                .then(Transform::rotateX(18))  // blade pitch
                                .then(Transform::rotateZ(72.0 * blade))
                                .then(atPivot);
        addBox(s, t, 0.95, 0.22, 0.05);
    }
    addCylinder(s, Transform::rotateX(90).then(atPivot), 0.35, -0.3, 0.3, 10);
    return s;
}

Shape mainRotor()
{
    Shape s;
    s.name = "main_rotor";
    for (int blade = 0; blade < 3; ++blade) {
        const Transform t = Transform::translate(4.1, 0, 0)
                                .then(Transform::rotateX(6))
                                .then(Transform::rotateY(120.0 * blade))
                                .then(Transform::translate(0, 2.35, 0));
        addBox(s, t, 3.6, 0.05, 0.32);
        // Bright tip caps make the disc readable while it spins.
        addBox(s, Transform::translate(7.8, 0, 0).then(Transform::rotateY(120.0 * blade)).then(Transform::translate(0, 2.35, 0)),
               0.15, 0.08, 0.36);
    }
    addCylinder(s, Transform::translate(0, 2.1, 0), 0.45, 0.0, 0.5, 12);
    return s;
}

Shape body()
{
    Shape s;
    s.name = "body";
    // Fuselage: a teardrop lying along x, nose at -x (a lathe about y turned so y -> -x).
    const Transform alongX = Transform::rotateZ(90);
    addLathe(s, Transform::scale(1, 1, 0.85).then(alongX).then(Transform::translate(0, -0.3, 0)),
             {{0.0, -4.2}, {0.7, -3.6}, {1.4, -2.2}, {1.9, -0.5}, {1.9, 1.5}, {1.6, 3.0}, {0.9, 3.9}, {0.0, 4.2}}, 14);
    // Canopy: glass bubble toward the nose.
    addSphere(s, Transform::scale(2.0, 1.05, 1.25).then(Transform::translate(-2.2, 0.75, 0)), 1.0, 6, 12);
    // Tail boom and fin.
    addCylinder(s, Transform::rotateZ(-90).then(Transform::translate(3.0, 0.1, 0)), 0.42, 0.0, 5.8, 8);
    addBox(s, Transform::rotateZ(-25).then(Transform::translate(8.6, 1.0, 0)), 0.7, 1.2, 0.08);
    addBox(s, Transform::translate(8.4, 0.15, 0), 0.5, 0.06, 1.4);
    // Rotor mast.
    addCylinder(s, Transform::translate(0, 1.2, 0), 0.3, 0.0, 0.95, 8);
    // Skids.
    for (double side : {-1.0, 1.0}) {
        addBox(s, Transform::translate(-0.2, -2.35, 1.35 * side), 3.0, 0.1, 0.12);
        addBox(s, Transform::rotateX(-18 * side).then(Transform::translate(-1.6, -1.95, 1.2 * side)), 0.1, 0.45, 0.08);
        addBox(s, Transform::rotateX(-18 * side).then(Transform::translate(1.2, -1.95, 1.2 * side)), 0.1, 0.45, 0.08);
    }
    // Outrigger wing to the two side ducts; the right duct holds the spinning fan.
    addBox(s, Transform::translate(kTailPivot.x, kTailPivot.y, 0), 0.7, 0.12, 8.7);
    for (double side : {-1.0, 1.0}) {
        const Transform duct = Transform::translate(kTailPivot.x, kTailPivot.y, kTailPivot.z * side);
        addRingSector(s, duct, 2.15, 2.5, 0.45, 0, 360, 20);
        addBox(s, duct, 0.08, 2.2, 0.06);  // stator vane
    }
    // The left duct's fan is fixed: a cross of vanes.
    addBox(s, Transform::translate(kTailPivot.x, kTailPivot.y, -kTailPivot.z), 2.15, 0.08, 0.06);
    return s;
}

}  // namespace

bool writeCraftModel(const std::string& outputDir)
{
    return writeObj(outputDir + "/meshes/helicopter.obj", {tailRotor(), mainRotor(), body()});
}
