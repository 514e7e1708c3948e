// game_scene.cpp - what the game draws into render target 0 each frame: sky
// and clouds, the box scenery under the projected light, the craft, the
// entities and signs, the rings of the half-pipe, stars, glows and the HUD.
// The rules run between the drawing steps at their fixed places, because both
// share the random generator.
#include <algorithm>
#include <cmath>
#include <string>

#include "base/crt_random.h"
#include "base/step_marks.h"
#include "base/vector_math.h"
#include "game/frame_values.h"
#include "game/game_math.h"
#include "game/game_random.h"
#include "game/part_game.h"
#include "render/renderer.h"
#include "settings/display_settings.h"

namespace {

constexpr double SKY_DISTANCE = 600.0;    // the sky glow sits far out, inside the far plane
constexpr double CLOUD_DISTANCE = 420.0;  // clouds hang ahead of the camera's target
constexpr double GLOW_DISTANCE = 500.0;

void loadCameraView(Renderer* r)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    r->applyCamera();
}

void identityTextureMatrix()
{
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void setPerspective(double fieldOfView, double nearPlane, double farPlane)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, static_cast<double>(renderWidth) / std::max(renderHeight, 1), nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
}

// Starts shaded drawing with a ShaderPair whose placement ("ModelViewObject") is the identity.
void beginPair(Renderer* r, int32_t pair)
{
    identityTextureMatrix();
    r->enableShaders();
    r->bindProgram(pair);
    r->bindProgram(pair + 1);
    r->bindTextureMatrix(pair, 14);
}

}  // namespace

void part_game::drawScene(Renderer* r)
{
    glViewport(0, 0, renderWidth, renderHeight);
    setPerspective(55.0 + r->fieldOfViewOffset, r->nearPlane, r->farPlane);
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    markStep("clear");

    rules.playEndCueIfDue();
    drawSky(r, rules.skyDirection());
    markStep("sky");
    drawBox(r, PAIR_ENTITY, true);
    markStep("box 1");
    drawCraft(r);
    markStep("craft");
    rules.updateWorld();
    markStep("rules");
    drawBox(r, PAIR_ENTITY, false);
    markStep("box 2");
    drawEntities(r);
    markStep("entities");
    rules.seedScenery();
    drawBox(r, PAIR_BOX_MODEL, false);
    markStep("box 3");
    drawRings(r);
    markStep("rings");
    drawStars(r);
    markStep("stars");
    drawGlows(r, rules.glowDirection());
    markStep("glows");
    drawHud(r);
    markStep("hud");
    rules.endFrame();
}

void part_game::drawSky(Renderer* r, const Vec3& direction)
{
    r->resetDrawState();
    identityTextureMatrix();
    loadCameraView(r);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);

    const Vec3& eye = r->camera.eye;
    const double sprite = 80.0;
    glPushMatrix();
    glTranslated(eye.x + direction.x * SKY_DISTANCE, eye.y + direction.y * SKY_DISTANCE,
                 eye.z + direction.z * SKY_DISTANCE);
    glColor3f(0.35f, 0.4f, 0.5f);
    r->bindTextureIndex(TEX_GLOW_SPRITE);
    r->drawQuad(0.0, sprite, sprite, true);
    glPopMatrix();

    const Vec3& centre = r->camera.centre;
    const double cloud = 180.0;
    r->bindTextureIndex(TEX_CLOUDS);
    glColor3f(0.03f, 0.05f, 0.08f);
    for (int i = 0; i < 2; ++i) {
        glPushMatrix();
        const double drift = 30.0 * i + 11.0 * std::sin(4.0 * i + 0.8 * rules.time);
        glTranslated(centre.x - 60.0, centre.y + 70.0, centre.z + CLOUD_DISTANCE + drift);
        r->drawQuad(40.0 * i - 48.0, cloud, cloud, true);
        glPopMatrix();
    }

    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

void part_game::drawBox(Renderer* r, int32_t pair, bool fill)
{
    r->modelAngle = 0.0;
    r->modelAxis = makeVec3(0.0f, 0.0f, 1.0f);
    r->modelScale = makeVec3(1.0f, 1.0f, 1.0f);
    // The later passes would shade the same surfaces under the same light at
    // the same depth, which leaves every pixel as the first pass left it: they
    // set the pair's state without drawing a triangle.
    r->drawnFraction = fill ? 1.0f : 0.0f;
    loadCameraView(r);
    r->drawProjectedLight(MODEL_BOX, TEX_PROJECTED, TEX_PROJECTED, pair, r->camera, r->light, r->modelTime);
    r->drawnFraction = 1.0f;
}

void part_game::drawCraft(Renderer* r)
{
    static const double TAIL_PIVOT[3] = {2.82, -0.44, 9.07};
    const double time = rules.time;

    r->resetDrawState();
    loadCameraView(r);
    beginPair(r, PAIR_ENTITY);
    r->setFloatParameter(PAIR_ENTITY + 1, "planecut", 0.5 - 0.5 * clampd(rules.life, 0.0, 1.0));
    glColor3f(0.02f, 0.02f, 0.02f);

    glPushMatrix();
    const double rise = std::max(0.0, time - 193.0);  // the craft climbs out of the picture at the end
    glTranslated(0.0, rise * rise, 0.0);
    glTranslatef(rules.playerMarker.x, rules.playerMarker.y, rules.playerMarker.z);
    glRotated(-30.0 * std::sin(0.5 * GAME_PI * rules.bank), 0.2, 0.0, 1.0);
    glRotated(90.0, 0.0, 1.0, 0.0);
    for (size_t i = 0; i < std::min<size_t>(craft.objects.size(), 3); ++i) {
        glPushMatrix();
        if (i == 1) {
            glRotated(4000.0 * time, 0.0, 1.0, 0.0);  // main rotor
        } else if (i == 0) {
            glTranslated(TAIL_PIVOT[0], TAIL_PIVOT[1], TAIL_PIVOT[2]);  // tail rotor about its hub
            glRotated(7000.0 * time, 0.0, 0.0, 1.0);
            glTranslated(-TAIL_PIVOT[0], -TAIL_PIVOT[1], -TAIL_PIVOT[2]);
        }
        r->bindModelViewProjection(PAIR_ENTITY, 5);
        r->drawFaceList(craft.objects[i]);
        glPopMatrix();
    }
    glPopMatrix();
    r->disableShaders();
}

void part_game::drawEntities(Renderer* r)
{
    const double time = rules.time;
    r->resetDrawState();
    loadCameraView(r);
    beginPair(r, PAIR_ENTITY);

    for (const GameEntity& e : rules.entities.records) {
        if (!e.alive || e.kind < 0 || e.kind >= ENTITY_KINDS)
            continue;
        ObjMesh& mesh = entityMeshes[e.kind];
        if (mesh.objects.empty()) {
            if ((e.kind >= 4 && e.kind <= 7) || e.kind == 11 || e.kind == 12) {
                drawSign(r, e);
                beginPair(r, PAIR_ENTITY);  // the sign leaves its last letter's placement behind
            }
            continue;
        }

        glPushMatrix();
        const CoursePoint p = worldPosition(e);
        glTranslated(p.x, p.y, p.z);
        r->setFloatParameter(PAIR_ENTITY + 1, "planecut", 0.7 - 0.7 * clampd(e.health, 0.0, 1.0));
        const double f = e.flash * e.flash * e.flash;
        const float flash = static_cast<float>(0.1 * f);
        const double spinTime = 12.0 * e.spin * (e.age + 1000.0);
        switch (e.kind) {
        case 0:
            glColor3f(0.02f + flash, 0.04f, 0.02f);
            glRotated((e.age + 1000.0) * 130.0 * e.spin, 2.0 * e.spin - 1.0, 0.0, 1.0);
            break;
        case 1:
            glColor3f(0.03f + flash, 0.03f, 0.01f);
            glTranslated(0.0, 1.0 + std::sin(spinTime), 0.0);
            glRotated(120.0 * time, 0.0, 1.0, 0.0);
            break;
        case 2:
            glColor3f(0.2f + flash, 0.1f, 0.1f);
            break;
        case 3:
            glColor3f(0.02f + flash, 0.025f, 0.02f);
            glRotated(260.0 * time * (e.spin + 1.0), 0.0, 1.0, 0.05);
            break;
        case 8:
            glColor3f(0.024f + flash, 0.02f, 0.02f);
            glTranslated(-15.0, 23.23, 0.0);
            glRotated(10.0 * std::sin(0.6 * time), 0.0, 1.0, 0.1);
            glRotated(6.0 * std::sin(0.43 * time), 0.1, 0.0, 0.2);
            break;
        case 9:
            glColor3f(0.02f + flash, 0.07f, 0.1f);
            break;
        case 10:
            glColor3f(0.02f + flash, 0.03f, 0.1f);
            glRotated(-100.0 * e.age, 0.1, 1.0, 0.0);
            break;
        case 13:
            glColor3f(0.02f + flash, 0.02f, 0.022f);
            glTranslated(0.0, 2.0 + 2.0 * std::sin(spinTime), 0.0);
            glRotated(120.0 * time, 0.0, 1.0, 0.0);
            break;
        case 14:
            glColor3f(0.05f + flash, 0.01f, 0.01f);
            glTranslated(0.0, 1.0 + std::sin(time), 0.0);
            glRotated(200.0 * time, 0.0, 1.0, 0.0);
            break;
        case 15:
            glColor3f(0.03f + flash, 0.01f, 0.024f);
            glTranslated(0.0, 1.0 + std::sin(time), 0.0);
            glRotated(-200.0 * time, 0.0, 1.0, 0.0);
            break;
        default:
            break;
        }
        r->bindModelViewProjection(PAIR_ENTITY, 5);
        r->drawMesh(mesh);
        glPopMatrix();
    }
    r->disableShaders();
}

void part_game::drawSign(Renderer* r, const GameEntity& e)
{
    const double time = rules.time;
    const ShadedTextSource source{MODEL_BOX, TEX_FLOOR_BASE, PAIR_ENTITY};
    const double z = e.z;
    const int32_t cut = PAIR_ENTITY + 1;
    // The letters' dissolve values stay below 1, so a cut that reaches the
    // program as 1 discards every fragment: such a sign is not drawn at all.
    const auto shows = [](double planecut) { return static_cast<float>(planecut) < 1.0f; };
    r->bindModelViewProjection(PAIR_ENTITY, 5);
    switch (e.kind) {
    case 4:
        glColor3f(0.03f, 0.02f, 0.02f);
        r->setFloatParameter(cut, "planecut", getReadyCut(time));
        if (shows(getReadyCut(time)))
            r->drawShadedText(source, 0.0, -120.0, 0.0, z, "Get Ready");
        break;
    case 5:
    case 6:
    case 7:
        // Stage signs stand whole (the last entity's cut must not carry over to them).
        glColor3f(0.02f, 0.02f, 0.03f);
        r->setFloatParameter(cut, "planecut", 0.0);
        r->drawShadedText(source, time, -122.0, 0.0, z, "  Stage %d", e.kind - 3);
        break;
    case 11: {
        const double planecut = clampd(0.35 * (time - 199.5), 0.0, 1.0);
        glColor3f(0.03f, 0.03f, 0.02f);
        r->setFloatParameter(cut, "planecut", planecut);
        if (shows(planecut))
            r->drawShadedText(source, time, -92.0, 9.8, z, "Mission Accomplished!");
        break;
    }
    case 12: {
        const double v = 20.0 * clampd(0.8 * time, 0.0, 10.0) - 20.0;
        const double planecut = 1.0 - std::sin(GAME_PI * clampd(0.35 * time, 0.0, 1.0));
        glColor3f(0.02f, 0.03f, 0.04f);
        r->setFloatParameter(cut, "planecut", planecut);
        if (shows(planecut)) {
            r->drawShadedText(source, 0.0, -132.6, v - 7.8, z, "Vexa");
            r->drawShadedText(source, 0.0, -95.0, v - 20.0, z, "Glasswake");
        }
        break;
    }
    default:
        break;
    }
}

void part_game::drawRings(Renderer* r)
{
    const double time = rules.time;
    const double courseZ = rules.courseZ;
    const int32_t cut = PAIR_BOX_MODEL + 1;

    r->resetDrawState();
    glDisable(GL_CULL_FACE);
    loadCameraView(r);
    beginPair(r, PAIR_BOX_MODEL);
    r->setFloatParameter(cut, "planecut", 0.0);

    // First family: gear rings every 65 units from 6045 down to 130.
    for (int s = 73; s >= -18; --s) {
        const double z = 6045.0 - 65.0 * (73 - s);
        const double rnd = random01();  // drawn for every ring, drawn or not
        const bool even = s % 2 == 0;
        const bool odd = !even;
        if (z < courseZ - 160.0 || z >= courseZ + 780.0)
            continue;
        if ((s > 70 && even) || (s >= 31 && s <= 49 && even))
            continue;

        glPushMatrix();
        glTranslated(0.0, -6.0, z);
        const double wobble = 20.0 * std::sin((time + 1000.0) * (rnd + 1.0));
        if (s >= -9 && s <= 19)
            glRotated(wobble, 0.0, 0.0, 1.0);
        if (s >= 8 && s <= 13 && odd)
            glRotated(-wobble, 0.0, 0.0, 1.0);
        glRotated(90.0, 0.0, 1.0, 0.0);

        double holes = 1.0;
        if (s >= 40 && s <= 69)
            holes = 2.0;
        if (s >= 0 && s <= 19)
            holes = 2.5;
        if (s >= 8 && s <= 13 && odd)
            holes = 4.0;
        r->setFloatParameter(cut, "holes", holes);

        float c[3] = {0.01f, 0.01f, 0.03f};  // s < 0
        if (s >= 0 && s <= 19)
            c[0] = 0.01f, c[1] = 0.017f, c[2] = 0.017f;
        if (s >= 20 && s <= 39)
            c[0] = 0.026f, c[1] = 0.017f, c[2] = 0.005f;
        if (s >= 25 && s <= 29)
            c[0] = c[1] = c[2] = 0.0f;
        if (s >= 40)
            c[0] = c[1] = c[2] = 0.02f;
        if (s >= 8 && s <= 15 && odd)
            c[0] = c[1] = c[2] = 0.0f;
        glColor3fv(c);
        r->bindModelViewProjection(PAIR_BOX_MODEL, 5);
        r->drawMesh(gear);
        glPopMatrix();
    }

    // Second family: gear rings high over the course, sinking as they come near.
    double z = 5005.0;
    for (int s = 77, step = 0; s >= -18 && z > 0.0; --s, ++step) {
        const double r1 = random01();
        const double r2 = random01();
        const double r3 = random01();
        const bool present = s < 0 || (s >= 25 && s <= 50) || s > 71;
        if (present && z >= courseZ - 260.0 && z < courseZ + 780.0) {
            const double c = clampd(0.005 * (z - courseZ - 16.0), 0.0, 1.0);
            const double y = 102.0 * (r1 - 0.4 * (1.0 - (1.0 - c) * (1.0 - c))) - 6.0;
            glPushMatrix();
            glTranslated(0.0, y, z);
            const double size = 0.6 + 0.6 * r2;
            glScaled(size, size, size);
            glRotated(360.0 * r3, 0.0, 0.0, 1.0);
            glRotated(90.0, 0.0, 1.0, 0.0);
            r->setFloatParameter(cut, "holes", s > 55 ? 5.0 : 1.0);
            glColor3f(0.012f, 0.015f, 0.025f);
            r->bindModelViewProjection(PAIR_BOX_MODEL, 5);
            r->drawMesh(gear);
            glPopMatrix();
        }
        z -= step % 2 == 1 ? 130.0 : 65.0;  // an odd step skips a place
    }

    // Third family: overhead arches over the enemy wall.
    for (int i = 0; i < 10; ++i) {
        const double ringZ = 3900.0 - 65.0 * i;
        const double r1 = random01();
        random01();
        random01();
        const int k = crtRand() % 8;
        if (ringZ < courseZ - 260.0 || ringZ >= courseZ + 780.0)
            continue;
        glPushMatrix();
        glTranslated(0.0, 94.0 - 20.0 * r1, ringZ);
        glRotated(90.0 * k, 0.0, 0.0, 1.0);
        glRotated(90.0, 0.0, 1.0, 0.0);
        r->setFloatParameter(cut, "holes", 2.0);
        glColor3f(0.02f, 0.018f, 0.012f);
        r->bindModelViewProjection(PAIR_BOX_MODEL, 5);
        r->drawMesh(gears2);
        glPopMatrix();
    }
    r->disableShaders();
}

void part_game::drawStars(Renderer* r)
{
    r->resetDrawState();
    setPerspective(65.0, 1.0, 1000.0);
    loadCameraView(r);
    glEnable(GL_DEPTH_TEST);
    glPointSize(2.5f);
    const double fadeIn = starFadeIn(rules.time);
    const float eyeZ = r->camera.eye.z;
    glBegin(GL_POINTS);
    for (int i = 0; i < 3000; ++i) {
        const Vec3 d = randomDirection();
        const float grey = static_cast<float>((random01() + 0.2) * 0.2 * fadeIn);
        glColor3f(grey, grey, grey);
        glVertex3f(d.x * 400.0f, d.y * 400.0f, d.z * 400.0f + eyeZ);
    }
    glEnd();
}

void part_game::drawGlows(Renderer* r, const Vec3& direction)
{
    r->resetDrawState();
    identityTextureMatrix();
    loadCameraView(r);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor3f(0.4f, 0.3f, 0.3f);
    glEnable(GL_TEXTURE_2D);
    r->bindTextureIndex(TEX_GLOW_SPRITE);

    const Vec3& eye = r->camera.eye;
    glDepthMask(GL_FALSE);
    glColor3f(0.03f, 0.05f, 0.08f);
    const double size = 60.0;
    for (int i = 0; i < 2; ++i) {
        glPushMatrix();
        glTranslated(eye.x + direction.x * GLOW_DISTANCE, eye.y + direction.y * GLOW_DISTANCE,
                     eye.z + direction.z * GLOW_DISTANCE + 30.0 * i);
        r->drawQuad(0.0, size, size, true);
        glPopMatrix();
    }
    glDepthMask(GL_TRUE);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

void part_game::drawHud(Renderer* r)
{
    r->resetDrawState();
    setPerspective(65.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 12.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glTranslated(-2.4, 0.91, 0.0);

    const double pulse = 1.0 + 0.1 * std::pow(std::max(0.0, std::sin(3.0 * rules.time)), 8.0);
    // Kills score by the frame's length: a day-long frame (a window restored
    // after a day, or a replay of one) could pass what an int holds.
    const int score = static_cast<int>(std::min(rules.score, 2147483647.0));
    const auto draw = [&](double x, double y, double sx, double sy, float red, float grey, const std::string& text) {
        glPushMatrix();
        glTranslated(x, y, 0.0);
        glScaled(sx, sy, 0.1);
        glColor3f(red, grey, grey);
        r->drawText("%s", text.c_str());
        glPopMatrix();
    };
    draw(0.43, 5.18, pulse, 0.85 * pulse, 0.09f, 0.09f, "Score ");
    draw(0.43, 4.58, 1.0, 0.85, 0.2f, 0.1f, std::to_string(score));
    draw(4.43, 5.18, pulse, 0.85 * pulse, 0.09f, 0.09f, "Life ");
    draw(4.43, 4.58, 1.0, 0.85, 0.2f, 0.1f, lifeText(rules.life));
}
