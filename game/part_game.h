// part_game.h - the game part: the shooter along the half-pipe.
//
// init loads the assets and starts the first level; draw runs one frame: the
// rules (game/game_rules.h) at their fixed places, the scene into render
// target 0 with two outputs, the post chain of screen passes, and the
// composite onto the window.
#pragma once

#include <cstdint>

#include "assets/motion_path.h"
#include "assets/obj_mesh.h"
#include "base/frame_inputs.h"
#include "game/game_rules.h"
#include "game/parts.h"

// Texture indices of the game (relative to the texture base).
constexpr int32_t TEX_PICTURE = 0;       // scene picture, render target 0 output 0
constexpr int32_t TEX_QUARTER = 2;       // quarter-size work picture, target 1
constexpr int32_t TEX_HALF = 3;          // half-size blur picture, target 2
constexpr int32_t TEX_GLOW = 11;         // scene glow picture, target 0 output 1
constexpr int32_t TEX_FLOOR_BASE = 7000; // the part's own textures; + 90 is the projected picture
constexpr int32_t TEX_PROJECTED = 7090;
constexpr int32_t TEX_GLOW_SPRITE = 7020;
constexpr int32_t TEX_CLOUDS = 7030;

// The box scene and the programs (a ShaderPair occupies k and k + 1).
constexpr int32_t MODEL_BOX = 7000;
constexpr int32_t PAIR_BOX_MODEL = 7002;
constexpr int32_t PAIR_SCENERY = 7034;
constexpr int32_t PAIR_BOX = 7042;
constexpr int32_t PAIR_ENTITY = 7046;
constexpr int32_t PROGRAM_BLUR = 7023;
constexpr int32_t PROGRAM_BLUR_FOV = 7029;
constexpr int32_t PROGRAM_BLUR_CIRCULAR = 7021;
constexpr int32_t PROGRAM_BEND = 7031;
constexpr int32_t PROGRAM_COMBINE = 7027;

constexpr int ENTITY_KINDS = 16;

class part_game final : public parts {
public:
    FrameInputs frameInputs;  // this frame's copy of the shell's record
    GameRules rules;
    MotionPath motion;        // recorded hand-held camera motion, 35 samples per second

    ObjMesh craft;            // objects: tail rotor, main rotor, body
    ObjMesh gear;             // ring pieces of the half-pipe
    ObjMesh gears2;           // overhead ring pieces
    ObjMesh entityMeshes[ENTITY_KINDS];

    // Camera shake of this frame, handed to the bend pass.
    double shakeScale = 0.0;
    double shakeUp = 0.0;

    void draw(double* frameDelta, Renderer* renderer, FrameInputs* inputs) override;
    void init(Renderer* renderer) override;

    // Stages of init, in its order.
    void loadTextures(Renderer* r);
    void loadMeshes();
    void loadScene(Renderer* r);
    void loadShaders(Renderer* r);
    void loadSound();  // camera motion, samples (music starts), first level

    // Pieces of the frame, in their order.
    void placeCamera(Renderer* r);
    void drawScene(Renderer* r);
    void runPostChain(Renderer* r);
    void composite(Renderer* r);

    // Pieces of the scene.
    void drawSky(Renderer* r, const Vec3& skyDirection);
    void drawBox(Renderer* r, int32_t pair, bool fill);
    void drawCraft(Renderer* r);
    void drawEntities(Renderer* r);
    void drawSign(Renderer* r, const GameEntity& e);
    void drawRings(Renderer* r);
    void drawStars(Renderer* r);
    void drawGlows(Renderer* r, const Vec3& glowDirection);
    void drawHud(Renderer* r);
};
