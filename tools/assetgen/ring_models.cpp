// ring_models.cpp - the half-pipe's ring pieces.
//
// The game places a ring at (0, -6, z) and turns it 90 degrees about y, which
// takes model z to world x and model x to world -z. The pieces are therefore
// built in the model's z-y plane: the half circle on the z <= 0 side becomes
// the left half of the tube, and the centre sits at y = +6 so that it lands on
// the course axis. The broad inner band is the surface the "holes" effect cuts.
#include "models.h"

#include <cmath>

#include "obj_writer.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// From the ring's own plane (x-y, depth along z) into model space.
Transform ringPlane(double centreY) { return Transform::rotateY(-90).then(Transform::translate(0, centreY, 0)); }

Shape gear()
{
    Shape s;
    s.name = "gear";
    const Transform plane = ringPlane(6.0);
    addRingSector(s, plane, 20.5, 21.4, 9.0, 90, 270, 48);  // the band the craft flies over
    for (double edge : {-8.6, 8.6})                          // raised lips at both edges
        addRingSector(s, Transform::translate(0, 0, edge).then(plane), 20.2, 22.6, 0.45, 90, 270, 48);
    // Teeth around the rim.
    const int teeth = 18;
    for (int i = 0; i < teeth; ++i) {
        const double a = 90.0 + 180.0 * (i + 0.5) / teeth;
        const double r = a * kPi / 180.0;
        const Transform t = Transform::rotateZ(a).then(Transform::translate(22.4 * std::cos(r), 22.4 * std::sin(r), 0)).then(plane);
        addBox(s, t, 1.1, 1.3, 4.0);
    }
    return s;
}

Shape arch()
{
    Shape s;
    s.name = "arch";
    const Transform plane = ringPlane(0.0);
    addRingSector(s, plane, 21.0, 21.5, 6.0, 90, 270, 40);  // perforated deck
    for (double edge : {-5.0, 5.0})
        addRingSector(s, Transform::translate(0, 0, edge).then(plane), 24.4, 25.2, 0.6, 90, 270, 40);
    // Truss struts from the deck to the two outer chords, alternating in depth.
    const int struts = 20;
    for (int i = 0; i <= struts; ++i) {
        const double a = 90.0 + 180.0 * i / struts;
        const double r = a * kPi / 180.0;
        const double lean = (i % 2 == 0) ? 20.0 : -20.0;
        const Transform t = Transform::rotateX(lean)
                                .then(Transform::rotateZ(a - 90.0))
                                .then(Transform::translate(23.2 * std::cos(r), 23.2 * std::sin(r), 0))
                                .then(plane);
        addBox(s, t, 0.25, 1.9, 0.25);
    }
    return s;
}

}  // namespace

bool writeRingModels(const std::string& outputDir)
{
    return writeObj(outputDir + "/meshes/gear.obj", {gear()}) && writeObj(outputDir + "/meshes/gears2.obj", {arch()});
}
