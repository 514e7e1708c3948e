// game_rules.h - the game's rules without any drawing: clock, steering,
// volleys, entity behaviour, enemy fire, hits, pickups, contacts, restarts.
//
// The rules share the random generator with the drawing, which reseeds it and
// draws from it at fixed places in the frame. The frame must therefore call
// these operations in exactly this order (step() does the same without GL, so
// a simulated level equals a played one):
//
//   controls = controlsFromFrameInputs(inputs, windowWidth, windowHeight)
//   *frameDelta = rules.beginFrame(*frameDelta, controls)
//       camera from cameraZ, swing and playerMarker.x, then bank applied
//   -- scene --
//   rules.playEndCueIfDue()                 scene step 2
//   rules.skyDirection()                    scene step 3, before any other draw
//   ... box, craft: no random numbers ...
//   rules.updateWorld()                     scene step 6
//   ... box, entities: no random numbers ...
//   rules.seedScenery()                     scene step 9
//   ... rings and stars draw freely with random01() ...
//   rules.glowDirection()                   scene step 12 (reseeds)
//   ... head-up display: no random numbers ...
//   rules.endFrame()                        scene step 14, then prevLane = lane
//
// Between skyDirection() and updateWorld(), and between glowDirection() and
// endFrame(), the drawing must not touch the generator. What it draws between
// seedScenery() and glowDirection() does not matter to the rules, because the
// glows reseed before the restart rules can lay out a new level.
#pragma once

#include <cstdint>
#include <vector>

#include "base/frame_inputs.h"
#include "base/vec3.h"
#include "game/game_entity.h"
#include "game/game_sound.h"

// The inputs the rules read, with the mouse already scaled to the window.
struct GameControls {
    double mouseX = 0.0;
    double mouseY = 0.0;
    bool leftButton = false;
    bool rightButton = false;
};

// The shell's mouse divided by (window size / 1280), in floating point.
GameControls controlsFromFrameInputs(const FrameInputs& inputs, int windowWidth, int windowHeight);

constexpr double GAME_SPEED = 1.1;          // game time per second of frame time
constexpr double COURSE_SPEED = 30.0;       // course units per second of game time
constexpr double LEVEL_END_TIME = 203.0;
constexpr double END_CUE_TIME = 166.0;
constexpr double SAFE_START_TIME = 5.0;     // no contact damage before this
constexpr double GUARDIAN_ADVANCE_TIME = 165.0;
constexpr double GUARDIAN_DECAY_TIME = 185.0;
constexpr double COMPLETION_BONUS = 1000.0;
constexpr double RESTART_LIFE = 0.01;       // life below this restarts the level
constexpr double VOLLEY_INTERVAL = 0.4;
constexpr double RAPID_VOLLEY_INTERVAL = 0.05;
constexpr int RAPID_VOLLEY_SIZE = 6;
constexpr double RAPID_FIRE_TIME = 5.0;
constexpr double CONTACT_RADIUS = 10.0;
constexpr double HIT_RADIUS = 5.0;
constexpr double SHOT_SPEED = 200.0;
constexpr double SHOT_LIFETIME = 2.0;

constexpr uint32_t SKY_SEED = 2342342;      // the sky glow's fixed direction
constexpr uint32_t SCENERY_SEED = 423423423;
constexpr int SCENERY_WARMUP_DRAWS = 100;
constexpr uint32_t GLOW_SEED = 42342461;
constexpr double FIRE_SEED_SCALE = 42342342343424.0;

// Called each time a contact drains life (the shell rumbles a pad with it).
// Null by default; nothing in the rules depends on it.
extern void (*onContactDrain)();

class GameRules {
public:
    // Clock and camera path.
    double time = 0.0;
    double lastTime = 0.0;
    double rawDelta = 0.0;
    int32_t frameCount = 0;
    double cameraZ = 0.0;   // 30 * time: what the camera looks at, before the pull-back
    double courseZ = 0.0;   // after the pull-back: the player's z
    double swing = 0.0;     // end-of-course camera swing, 0 ... 1
    double roll = 0.0;
    double bank = 0.0;

    // Player.
    GameControls controls;
    double lane = 0.0;
    double prevLane = 0.0;
    Vec3 playerMarker{VEC_PLAIN, 0.0f, 0.0f, 0.0f};
    double fireTimer = 0.0;
    bool fireLatch = false;
    double powerTimer = 0.0;

    // Level.
    double life = 1.0;
    double score = 0.0;
    bool musicCueDone = false;
    LevelList entities;
    std::vector<GameEntity> shots;  // this frame's player shots, for the hits

    GameSound sound;

    // Bookkeeping for replays and checks; no rule reads it.
    int32_t levelsCompleted = 0;
    int32_t levelsLost = 0;
    uint32_t levelSeed = 0;  // the generator state the current level was laid out from

    // Starts a level: rewinds the music, lays out the 337 records, resets
    // life, time, steering and the fire latch.
    void buildLevel();

    // Frame steps before the scene: clock (returns the game delta the shell
    // keeps), lane and marker, pull-back, roll and bank.
    double beginFrame(double frameDelta, const GameControls& frameControls);
    // Scene step 2: the end-of-course cue, once per level after time 166.
    void playEndCueIfDue();
    // Scene step 3: reseeds and returns the sky glow's direction.
    Vec3 skyDirection();
    // Scene step 6: volleys, entity update with contacts, enemy fire, hits.
    void updateWorld();
    // Scene step 9: reseeds so the scenery is the same every frame.
    void seedScenery();
    // Scene step 12: reseeds and returns the glows' direction.
    Vec3 glowDirection();
    // Scene step 14 and the end of the frame: restart rules, prevLane = lane.
    void endFrame();

    // One whole frame without drawing, the random draws of the drawing included.
    double step(double frameDelta, const GameControls& frameControls);

    // Parts of updateWorld, in its order.
    void fireVolleys();
    void updateEntities();
    void fireEnemies();
    void applyHits();

private:
    void touchPlayer(GameEntity& e);
};
