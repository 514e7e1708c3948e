// Game rules run headless: volleys and rapid fire, pickups, contacts, hits
// and kills, enemy fire, restarts and a whole simulated level.
#include <gtest/gtest.h>

#include <cmath>

#include "game/game_random.h"
#include "game/game_rules.h"
#include "game/level_layout.h"

namespace {

constexpr double FRAME = 1.0 / 64.0;  // exact in binary, so frame counts are exact

GameControls mouseAt(double x, double y = 0.0, bool left = false, bool right = false)
{
    GameControls c;
    c.mouseX = x;
    c.mouseY = y;
    c.leftButton = left;
    c.rightButton = right;
    return c;
}

// Rules with an empty level, so single entities can be studied alone.
GameRules emptyLevel()
{
    crtSeed(1);
    GameRules rules;
    rules.buildLevel();
    rules.entities.records.clear();
    return rules;
}

GameEntity entityAt(int32_t kind, float lane, float z)
{
    GameEntity e;
    e.kind = kind;
    e.lane = lane;
    e.z = z;
    return e;
}

TEST(Controls, WindowScalingStaysFractional)
{
    FrameInputs in;
    in.mouseX = 2.0;
    in.mouseY = 4.0;
    in.leftButton = 1;
    GameControls c = controlsFromFrameInputs(in, 800, 600);
    EXPECT_DOUBLE_EQ(c.mouseX, 2.0 * 1280.0 / 800.0);
    EXPECT_DOUBLE_EQ(c.mouseY, 4.0 * 1280.0 / 600.0);
    EXPECT_TRUE(c.leftButton);
    EXPECT_FALSE(c.rightButton);
    EXPECT_DOUBLE_EQ(controlsFromFrameInputs(in, 1280, 1280).mouseX, 2.0);
}

TEST(Steering, LanesClampAndRollDecaysToZero)
{
    GameRules rules = emptyLevel();
    rules.beginFrame(FRAME, mouseAt(-3.0, 4.0));
    EXPECT_EQ(rules.lane, 0.0);  // the whole left half steers to the top
    EXPECT_NEAR(rules.playerMarker.y, 20.0f, 1e-5);
    rules.endFrame();
    rules.beginFrame(FRAME, mouseAt(25.0, 30.0));
    EXPECT_EQ(rules.lane, 1.0);
    EXPECT_NEAR(rules.playerMarker.y, -20.0f, 1e-5);
    rules.endFrame();
    rules.beginFrame(FRAME, mouseAt(5.0));  // half a lane span: the craft rolls and banks
    EXPECT_GT(std::abs(rules.roll), 0.5);
    EXPECT_NE(rules.bank, 0.0);
    rules.endFrame();
    for (int i = 0; i < 200; ++i) {
        rules.beginFrame(FRAME, mouseAt(5.0));
        rules.endFrame();
    }
    EXPECT_EQ(rules.roll, 0.0);
}

// Volleys: counts volley cues per frame while the button is held.
TEST(Volleys, FirstPressFiresAtOnceAndHoldingEvery04s)
{
    GameRules rules = emptyLevel();
    // Press and release once, so the latch arms the next press.
    rules.step(FRAME, mouseAt(5.0, 0.0, true));
    rules.step(FRAME, mouseAt(5.0, 0.0, false));
    int before = rules.sound.played[CUE_VOLLEY];
    rules.step(FRAME, mouseAt(5.0, 0.0, true));
    EXPECT_EQ(rules.sound.played[CUE_VOLLEY], before + 1);

    std::vector<int> volleyFrames;
    for (int frame = 1; frame <= 200; ++frame) {
        int count = rules.sound.played[CUE_VOLLEY];
        rules.step(FRAME, mouseAt(5.0, 0.0, true));
        if (rules.sound.played[CUE_VOLLEY] > count)
            volleyFrames.push_back(frame);
    }
    // fireTimer must pass 0.4: 26 frames of 1/64 s (0.406 s).
    ASSERT_GE(volleyFrames.size(), 7u);
    EXPECT_EQ(volleyFrames[0], 26);
    for (size_t i = 1; i < volleyFrames.size(); ++i)
        EXPECT_EQ(volleyFrames[i] - volleyFrames[i - 1], 26);
}

TEST(Volleys, RapidFireFansSixShots)
{
    GameRules rules = emptyLevel();
    for (int i = 0; i < 3; ++i)
        rules.entities.add(entityAt(KIND_OBSTACLE, 0.0f, 5000.0f));
    rules.entities.records[1].alive = 0;
    rules.powerTimer = 5.0;
    rules.fireTimer = 1.0;
    rules.beginFrame(FRAME, mouseAt(5.0, 0.0, true));
    rules.fireVolleys();

    EXPECT_EQ(rules.sound.played[CUE_VOLLEY], 1);  // one cue per fan
    // Shot 0 reuses record 1; the others are appended in order.
    ASSERT_EQ(rules.entities.records.size(), 8u);
    for (size_t i : {1, 3, 4, 5, 6, 7})
        EXPECT_EQ(rules.entities.records[i].kind, KIND_PLAYER_SHOT) << i;
    // The next fan follows 0.05 s later.
    int frames = 0;
    while (rules.sound.played[CUE_VOLLEY] == 1 && frames < 10) {
        rules.step(FRAME, mouseAt(5.0, 0.0, true));
        ++frames;
    }
    EXPECT_EQ(frames, 4);  // 4 / 64 s = 0.0625 s > 0.05
}

TEST(Pickups, LifeRestoresExactlyOneAndRapidFireAlsoHurts)
{
    GameRules rules = emptyLevel();
    rules.life = 0.3;
    rules.beginFrame(FRAME, mouseAt(0.0, 0.0, false, true));
    EXPECT_EQ(rules.life, 1.0);  // the right button refills it too

    rules.entities.add(entityAt(KIND_LIFE_PICKUP, 0.0f, rules.playerMarker.z + 5.0f));
    rules.time = 50.0;
    rules.life = 0.3337;
    rules.updateEntities();
    EXPECT_EQ(rules.life, 1.0);
    EXPECT_FALSE(rules.entities.records[0].alive);

    const size_t rapid = rules.entities.add(entityAt(KIND_RAPID_FIRE_PICKUP, 0.0f, rules.playerMarker.z));
    rules.powerTimer = 2.0;
    rules.updateEntities();
    EXPECT_EQ(rules.powerTimer, RAPID_FIRE_TIME);
    EXPECT_DOUBLE_EQ(rules.life, 1.0 - 0.2 * FRAME);
    ASSERT_LT(rapid, rules.entities.records.size());
    EXPECT_FALSE(rules.entities.records[rapid].alive);
}

TEST(Contacts, NoDamageBeforeFiveSecondsButTheViewJoltsAndSignsAndShotsNeverHurt)
{
    GameRules rules = emptyLevel();
    rules.entities.add(entityAt(KIND_OBSTACLE, 0.0f, 0.0f));
    double lifeBefore = rules.life;
    rules.beginFrame(FRAME, mouseAt(0.0));
    rules.entities.records[0].z = rules.playerMarker.z + 3.0f;
    rules.playEndCueIfDue();
    rules.skyDirection();
    rules.updateWorld();
    EXPECT_EQ(rules.life, lifeBefore);
    EXPECT_NE(rules.roll, 0.0);

    rules.time = 6.0;
    rules.updateEntities();
    EXPECT_DOUBLE_EQ(rules.life, lifeBefore - 0.2 * FRAME);

    GameRules signs = emptyLevel();
    signs.beginFrame(FRAME, mouseAt(0.0));
    for (int kind : {2, 4, 5, 6, 7, 11})
        signs.entities.add(entityAt(kind, 0.0f, signs.playerMarker.z));
    signs.time = 20.0;
    signs.updateEntities();
    EXPECT_EQ(signs.life, 1.0);
    EXPECT_EQ(signs.roll, 0.0);
}

// Holds fire at a target straight ahead and counts the volleys until it dies.
int volleysToKill(GameRules& rules, size_t target, double mouseX)
{
    int volleysAtDeath = -1;
    for (int frame = 0; frame < 600 && volleysAtDeath < 0; ++frame) {
        rules.step(1.0 / 60.0, mouseAt(mouseX, 0.0, true));
        if (!rules.entities.records[target].alive)
            volleysAtDeath = rules.sound.played[CUE_VOLLEY];
    }
    return volleysAtDeath;
}

TEST(Hits, OrdinaryEnemyDiesAfterAboutFourShots)
{
    GameRules rules = emptyLevel();
    rules.fireTimer = 1.0;
    // A slow swayer at the top of its swing stays near lane 1 for seconds.
    GameEntity enemy = entityAt(KIND_ENEMY_DRIFT, 1.0f, 150.0f);
    enemy.spin = 0.0;
    enemy.age = (GAME_PI / 2.0) / 0.15;
    rules.entities.add(enemy);
    int volleys = volleysToKill(rules, 0, 10.0);
    EXPECT_GE(volleys, 4);
    EXPECT_LE(volleys, 6);
    EXPECT_NEAR(rules.score, 2.0 * (1.0 / 60.0) * 30.0, 1e-9);
    EXPECT_GE(rules.sound.played[CUE_HIT], volleys * 2);
}

TEST(Hits, GuardianSurvivesASingleShot)
{
    GameRules rules = emptyLevel();
    rules.fireTimer = 1.0;
    rules.entities.add(entityAt(KIND_GUARDIAN, 0.0f, 120.0f));
    rules.entities.records[0].reload = -1000.0;  // keep it from firing back
    rules.step(1.0 / 60.0, mouseAt(0.0, 0.0, true));
    for (int frame = 0; frame < 120; ++frame)
        rules.step(1.0 / 60.0, mouseAt(0.0, 0.0, false));
    EXPECT_EQ(rules.sound.played[CUE_VOLLEY], 1);
    const GameEntity& guardian = rules.entities.records[0];
    EXPECT_TRUE(guardian.alive);
    EXPECT_LT(guardian.health, 1.0);
    EXPECT_GT(guardian.health, 0.5);
    EXPECT_EQ(rules.score, 0.0);
}

TEST(Hits, EnemyShotsAreHitButNeverDie)
{
    GameRules rules = emptyLevel();
    rules.rawDelta = 1.0 / 60.0;
    rules.entities.add(makeShot(KIND_ENEMY_SHOT, 0.5f, 0.0f, 300.0f));
    GameEntity shot = makeShot(KIND_PLAYER_SHOT, 0.5f, 0.0f, 300.0f);
    for (int frame = 0; frame < 10000; ++frame) {
        rules.shots.assign(3, shot);
        rules.applyHits();
    }
    const GameEntity& enemyShot = rules.entities.records[0];
    EXPECT_TRUE(enemyShot.alive);
    EXPECT_EQ(enemyShot.flash, 1.0);
    EXPECT_LT(enemyShot.health, SHOT_HEALTH);
    EXPECT_EQ(rules.score, 0.0);

    // They end only by age, after 2 s of flight.
    rules.entities.records[0].age = 1.99;
    rules.rawDelta = 0.02;
    rules.updateEntities();
    EXPECT_FALSE(rules.entities.records[0].alive);
}

TEST(Hits, KillScoresOnceEvenWithSeveralShotsOnTarget)
{
    GameRules rules = emptyLevel();
    rules.rawDelta = 0.1;
    GameEntity enemy = entityAt(KIND_ENEMY_WAVE, 0.5f, 300.0f);
    enemy.health = 0.2;
    rules.entities.add(enemy);
    rules.shots.assign(4, makeShot(KIND_PLAYER_SHOT, 0.5f, 0.0f, 300.0f));
    rules.applyHits();
    EXPECT_FALSE(rules.entities.records[0].alive);
    EXPECT_DOUBLE_EQ(rules.score, 1.0 * 0.1 * 30.0);
    EXPECT_EQ(rules.sound.played[CUE_HIT], 2);  // one hit, one kill
}

TEST(EnemyFire, ReseedsFromTheClockAndAimsTheGuardianAtRandomLanes)
{
    GameRules rules = emptyLevel();
    GameEntity guardian = entityAt(KIND_GUARDIAN, 0.0f, 500.0f);
    guardian.reload = 0.25;
    GameEntity wave = entityAt(KIND_ENEMY_WAVE, 0.4f, 600.0f);
    wave.reload = 2.9;  // not ready
    rules.entities.add(guardian);
    rules.entities.add(wave);
    rules.time = 12.345;
    rules.fireEnemies();

    ASSERT_EQ(rules.entities.records.size(), 3u);
    const GameEntity& shot = rules.entities.records[2];
    EXPECT_EQ(shot.kind, KIND_ENEMY_SHOT);
    EXPECT_GE(shot.lane, 0.0f);
    EXPECT_LE(shot.lane, 1.0f);
    EXPECT_EQ(shot.z, 500.0f);
    EXPECT_EQ(shot.health, SHOT_HEALTH);
    EXPECT_EQ(rules.entities.records[0].reload, 0.0);
    EXPECT_EQ(rules.entities.records[1].reload, 2.9);
}

TEST(Restarts, LowLifeRestartsWithScoreZeroEvenWhenTheCourseEnds)
{
    GameRules rules = emptyLevel();
    rules.time = 202.99;
    rules.score = 500.0;
    rules.life = 0.0099;
    rules.step(1.0 / 60.0, mouseAt(0.0));
    EXPECT_EQ(rules.score, 0.0);
    EXPECT_EQ(rules.time, 0.0);
    EXPECT_EQ(rules.life, 1.0);
    EXPECT_EQ(rules.entities.records.size(), LEVEL_RECORD_COUNT);

    GameRules finishing = emptyLevel();
    finishing.time = 202.99;
    finishing.score = 500.0;
    finishing.life = 0.5;
    finishing.step(1.0 / 60.0, mouseAt(0.0));
    EXPECT_EQ(finishing.score, 1500.0);
    EXPECT_EQ(finishing.time, 0.0);
}

TEST(Level, WholeLevelWithRightButtonCompletes)
{
    crtSeed(2024);
    GameRules rules;
    rules.buildLevel();
    double lastTime = 0.0;
    int frames = 0;
    double maxTime = 0.0;
    while (frames < 20000) {
        rules.step(1.0 / 60.0, mouseAt(0.0, 0.0, false, true));
        ++frames;
        if (rules.time < lastTime)
            break;
        lastTime = rules.time;
        maxTime = std::max(maxTime, rules.time);
    }
    // 203 s of game time at 1.1 x 1/60 s per frame.
    EXPECT_EQ(frames, int(std::ceil(203.0 / (1.1 / 60.0))));
    EXPECT_GT(maxTime, 202.9);
    EXPECT_EQ(rules.score, 1000.0);
    EXPECT_EQ(rules.sound.played[CUE_END_OF_COURSE], 1);
    EXPECT_FALSE(rules.musicCueDone);
    EXPECT_EQ(rules.entities.records.size(), LEVEL_RECORD_COUNT);
    EXPECT_EQ(rules.entities.liveCount(), LEVEL_RECORD_COUNT);

    // The new level is laid out from the glows' seed, as in a drawn frame.
    crtSeed(GLOW_SEED);
    randomDirection();
    GameRules expected;
    expected.buildLevel();
    for (size_t i = 0; i < LEVEL_RECORD_COUNT; ++i) {
        EXPECT_EQ(rules.entities.records[i].lane, expected.entities.records[i].lane) << i;
        EXPECT_EQ(rules.entities.records[i].spin, expected.entities.records[i].spin) << i;
        EXPECT_EQ(rules.entities.records[i].reload, expected.entities.records[i].reload) << i;
    }
}

// A drawn frame calls the rule steps between its own draws; whatever the
// rings and stars draw between seedScenery and glowDirection, the game
// unfolds exactly as in the headless step().
TEST(Level, DrawnFramesMatchTheHeadlessSimulation)
{
    crtSeed(99);
    GameRules simulated;
    simulated.buildLevel();
    crtSeed(99);
    GameRules drawn;
    drawn.buildLevel();

    for (int frame = 0; frame < 2000; ++frame) {
        double t = frame / 60.0;
        GameControls c = mouseAt(5.0 + 6.0 * std::sin(t), 3.0, std::fmod(t, 2.0) > 0.1);
        simulated.step(1.0 / 60.0, c);

        drawn.beginFrame(1.0 / 60.0, c);
        drawn.playEndCueIfDue();
        drawn.skyDirection();
        drawn.updateWorld();
        drawn.seedScenery();
        for (int i = 0; i < 92 + 3 * 40 + 4 * 10 + 4 * 3000 + frame % 7; ++i)
            random01();
        drawn.glowDirection();
        drawn.endFrame();
    }
    ASSERT_EQ(drawn.entities.records.size(), simulated.entities.records.size());
    for (size_t i = 0; i < drawn.entities.records.size(); ++i) {
        EXPECT_EQ(drawn.entities.records[i].lane, simulated.entities.records[i].lane) << i;
        EXPECT_EQ(drawn.entities.records[i].z, simulated.entities.records[i].z) << i;
        EXPECT_EQ(drawn.entities.records[i].health, simulated.entities.records[i].health) << i;
    }
    EXPECT_EQ(drawn.score, simulated.score);
    EXPECT_EQ(drawn.roll, simulated.roll);
    EXPECT_GT(simulated.sound.played[CUE_VOLLEY], 10);
}

}  // namespace
