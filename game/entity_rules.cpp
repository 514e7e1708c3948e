// entity_rules.cpp - the player's volleys, the per-kind entity update with
// contacts and pickups, enemy fire and the hits of the player's shots.
#include "game/game_rules.h"

#include <cmath>

#include "game/game_random.h"

void (*onContactDrain)() = nullptr;

namespace {

CoursePoint markerPoint(const Vec3& marker) { return {marker.x, marker.y, marker.z}; }

// Seconds between an enemy's shots; 0 for kinds that never fire.
double fireInterval(int32_t kind)
{
    switch (kind) {
    case KIND_GUARDIAN: return 0.2;
    case KIND_ENEMY_WAVE: return 3.0;
    case KIND_ENEMY_FAST: return 0.8;
    default: return 0.0;
    }
}

bool canBeShot(int32_t kind)
{
    return kind == KIND_ENEMY_WAVE || kind == KIND_ENEMY_DRIFT || kind == KIND_GUARDIAN ||
           kind == KIND_ENEMY_SHOT || kind == KIND_ENEMY_FAST;
}

bool hurtsOnContact(int32_t kind)
{
    switch (kind) {
    case KIND_PLAYER_SHOT:
    case KIND_SIGN_GET_READY:
    case KIND_SIGN_STAGE_2:
    case KIND_SIGN_STAGE_3:
    case KIND_SIGN_STAGE_4:
    case KIND_SIGN_ACCOMPLISHED:
    case KIND_LIFE_PICKUP:
        return false;
    default:
        return true;
    }
}

// The seed of enemy fire: the low 32 bits of trunc(time * scale), computed
// without overflowing a 64-bit integer for any time.
uint32_t fireSeed(double time)
{
    double product = std::trunc(time * FIRE_SEED_SCALE);
    double low = std::fmod(product, 4294967296.0);
    if (low < 0.0)
        low += 4294967296.0;
    return uint32_t(low);
}

}  // namespace

void GameRules::fireVolleys()
{
    fireTimer = clampd(fireTimer + rawDelta, 0.0, 1.0);
    bool down = controls.leftButton;
    if (!down) {
        // A release makes the next press fire at once.
        if (fireLatch) {
            fireTimer = 1.0;
            fireLatch = false;
        }
    } else {
        fireLatch = true;
    }

    double interval = VOLLEY_INTERVAL;
    int volleySize = 1;
    if (powerTimer > 0.001) {
        interval = RAPID_VOLLEY_INTERVAL;
        volleySize = RAPID_VOLLEY_SIZE;
    }

    if (fireTimer > interval && down) {
        for (int i = 0; i < volleySize; ++i) {
            if (i == 0)
                sound.play(CUE_VOLLEY);
            float shotLane = float(lane + 0.05 * i);
            float shotZ = playerMarker.z;
            if (volleySize > 1) {
                shotLane = float(lane + 0.02 * (i - 2));
                shotZ = float(playerMarker.z - 20.0 + 14.0 * std::sin(i * GAME_PI / 5.0));
            }
            entities.add(makeShot(KIND_PLAYER_SHOT, shotLane, 0.0f, shotZ));
        }
        fireLatch = true;
        fireTimer = 0.0;
    }

    entities.dropDeadLast();
    powerTimer = std::max(powerTimer - rawDelta, 0.0);
    shots.clear();
}

void GameRules::touchPlayer(GameEntity& e)
{
    if (e.kind == KIND_PLAYER_SHOT)
        return;
    bool touching = distance(worldPosition(e), markerPoint(playerMarker)) < CONTACT_RADIUS;
    if (!touching)
        return;
    if (hurtsOnContact(e.kind)) {
        if (time > SAFE_START_TIME) {
            life -= 0.2 * rawDelta;
            if (onContactDrain)
                onContactDrain();
        }
        roll = 2.0 * random01() - 1.0;
    }
    if (e.kind == KIND_LIFE_PICKUP) {
        e.alive = 0;
        life = 1.0;
    } else if (e.kind == KIND_RAPID_FIRE_PICKUP) {
        e.alive = 0;
        powerTimer = RAPID_FIRE_TIME;
    }
}

void GameRules::updateEntities()
{
    for (GameEntity& e : entities.records) {
        if (!e.alive)
            continue;
        e.age += (1.0 + 0.1 * e.spin) * rawDelta;
        e.reload += (1.0 + 0.2 * e.spin) * rawDelta;
        e.flash = clampd(e.flash - 1.5 * rawDelta, 0.0, 1.0);

        switch (e.kind) {
        case KIND_ENEMY_WAVE: e.lane = float(0.5 + 0.5 * std::sin(0.5 * (e.spin + 1.0) * e.age)); break;
        case KIND_ENEMY_DRIFT: e.lane = float(0.5 + 0.5 * std::sin(0.15 * (e.spin + 1.0) * e.age)); break;
        case KIND_ENEMY_FAST: e.lane = float(0.5 + 0.5 * std::sin(0.7 * (e.spin + 1.0) * e.age)); break;
        case KIND_PLAYER_SHOT: e.z = float(e.z + SHOT_SPEED * rawDelta); break;
        case KIND_ENEMY_SHOT: e.z = float(e.z - SHOT_SPEED * rawDelta); break;
        case KIND_BOUNCER: e.lift = 30.0 * std::sin(2.0 * (e.spin + 1.0) * e.age) - 33.0; break;
        case KIND_GUARDIAN:
            if (time > GUARDIAN_ADVANCE_TIME)
                e.z = float(e.z + 20.0 * rawDelta);
            break;
        default: break;
        }

        if ((e.kind == KIND_PLAYER_SHOT || e.kind == KIND_ENEMY_SHOT) && e.age > SHOT_LIFETIME)
            e.alive = 0;
        // A shot that has just run out of flight still hits in this frame.
        if (e.kind == KIND_PLAYER_SHOT)
            shots.push_back(e);

        touchPlayer(e);
        if (e.health < DEATH_HEALTH)
            e.alive = 0;
    }
}

void GameRules::fireEnemies()
{
    crtSeed(fireSeed(time));
    // New shots may be appended while the list is walked: index, not iterator.
    for (size_t i = 0; i < entities.records.size(); ++i) {
        GameEntity& shooter = entities.records[i];
        double interval = fireInterval(shooter.kind);
        if (!shooter.alive || interval == 0.0 || shooter.reload < interval)
            continue;
        shooter.reload = 0.0;
        GameEntity shot = makeShot(KIND_ENEMY_SHOT, shooter.lane, shooter.height, shooter.z, shooter.tag);
        if (shooter.kind == KIND_GUARDIAN)
            shot.lane = float(random01());
        entities.add(shot);
    }
}

void GameRules::applyHits()
{
    std::vector<CoursePoint> shotPoints;
    shotPoints.reserve(shots.size());
    for (const GameEntity& s : shots)
        shotPoints.push_back(worldPosition(s));

    for (GameEntity& e : entities.records) {
        if (!e.alive || !canBeShot(e.kind))
            continue;
        if (e.kind == KIND_GUARDIAN && time > GUARDIAN_DECAY_TIME)
            e.health -= 0.1 * rawDelta;
        CoursePoint target = worldPosition(e);
        for (const CoursePoint& shot : shotPoints) {
            if (distance(shot, target) < HIT_RADIUS) {
                e.health -= 5.0 * rawDelta;
                e.flash = 1.0;
                sound.play(CUE_HIT);
                if (e.kind == KIND_GUARDIAN)
                    e.health += 2.0 * rawDelta;
            }
            // One kill per entity: later shots of the frame find it dead.
            if (e.health < DEATH_HEALTH) {
                e.alive = 0;
                score += (e.kind + 1) * rawDelta * 30.0;
                sound.play(CUE_HIT);
                break;
            }
        }
    }
}
