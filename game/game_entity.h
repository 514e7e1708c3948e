// game_entity.h - the record of every thing in a level, and the level list.
//
// Enemies, obstacles, pickups, signs and shots in flight all live in one list
// of fixed-size records. A dead record is a free slot: a new shot takes the
// first one, so the list does not grow with every shot fired.
#pragma once

#include <cstdint>
#include <vector>

#include "game/game_math.h"

enum EntityKind : int32_t {
    KIND_ENEMY_WAVE = 0,       // sways, fires every 3 s
    KIND_ENEMY_DRIFT = 1,      // sways slowly, never fires
    KIND_PLAYER_SHOT = 2,
    KIND_BOUNCER = 3,          // bouncing obstacle
    KIND_SIGN_GET_READY = 4,
    KIND_SIGN_STAGE_2 = 5,
    KIND_SIGN_STAGE_3 = 6,
    KIND_SIGN_STAGE_4 = 7,
    KIND_GUARDIAN = 8,
    KIND_ENEMY_SHOT = 9,
    KIND_ENEMY_FAST = 10,      // sways fast, fires every 0.8 s
    KIND_SIGN_ACCOMPLISHED = 11,
    KIND_SIGN_TITLE = 12,
    KIND_OBSTACLE = 13,
    KIND_LIFE_PICKUP = 14,
    KIND_RAPID_FIRE_PICKUP = 15,
};

constexpr double SHOT_HEALTH = 1000000.0;
constexpr double DEATH_HEALTH = 0.0001;  // below this an entity dies

struct GameEntity {
    int32_t tag = 1;       // tag, lane, height and z are copied together when an enemy fires
    float lane = 0.0f;     // used clamped to [0, 1]
    float height = 0.0f;
    float z = 0.0f;
    int32_t kind = 0;
    uint8_t alive = 1;
    double health = 1.0;
    double age = 0.0;
    double spin = 0.0;     // random in [0, 1], varies speeds and spins
    double lift = 0.0;     // added to the world y
    double reload = 0.0;   // enemy fire timer
    double flash = 0.0;    // 1 on a hit, fading
};

inline CoursePoint worldPosition(const GameEntity& e) { return coursePoint(e.lane, e.z, e.lift); }

// A fresh shot record of the given kind: alive, health SHOT_HEALTH, age 0,
// everything else 0, so every shot flies exactly 2 s.
GameEntity makeShot(int32_t kind, float lane, float height, float z, int32_t tag = 1);

struct LevelList {
    std::vector<GameEntity> records;

    // Puts a record in the first dead slot or appends it; returns its index.
    size_t add(const GameEntity& record);
    // Removes the last record when it is dead (the list shrinks by at most one).
    void dropDeadLast();
    size_t liveCount() const;
};
