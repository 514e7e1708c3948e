// The level list's slot reuse, the 337-record layout and its reproducibility,
// and the camera jitter's sample index.
#include <gtest/gtest.h>

#include <map>

#include "game/game_random.h"
#include "game/game_rules.h"
#include "game/level_layout.h"

namespace {

std::vector<GameEntity> layoutFromSeed(uint32_t seed)
{
    crtSeed(seed);
    GameRules rules;
    rules.buildLevel();
    return rules.entities.records;
}

TEST(LevelList, ShotTakesTheFirstDeadRecordOrIsAppended)
{
    LevelList list;
    for (int i = 0; i < 5; ++i)
        list.add(makeShot(KIND_ENEMY_SHOT, 0.1f * i, 0, float(i)));
    list.records[3].alive = 0;
    list.records[1].alive = 0;

    EXPECT_EQ(list.add(makeShot(KIND_PLAYER_SHOT, 0.5f, 0, 99)), 1u);
    EXPECT_EQ(list.records.size(), 5u);
    EXPECT_EQ(list.records[1].kind, KIND_PLAYER_SHOT);
    EXPECT_EQ(list.records[1].z, 99.0f);
    EXPECT_EQ(list.add(makeShot(KIND_PLAYER_SHOT, 0.5f, 0, 98)), 3u);
    EXPECT_EQ(list.add(makeShot(KIND_PLAYER_SHOT, 0.5f, 0, 97)), 5u);
    EXPECT_EQ(list.records.size(), 6u);
}

TEST(LevelList, DropsOnlyOneDeadLastRecord)
{
    LevelList list;
    for (int i = 0; i < 4; ++i)
        list.add(makeShot(KIND_PLAYER_SHOT, 0, 0, 0));
    list.records[1].alive = 0;
    list.records[2].alive = 0;
    list.records[3].alive = 0;
    list.dropDeadLast();
    EXPECT_EQ(list.records.size(), 3u);
    list.dropDeadLast();
    EXPECT_EQ(list.records.size(), 2u);
    list.records[1].alive = 1;
    list.dropDeadLast();
    EXPECT_EQ(list.records.size(), 2u);
}

TEST(LevelList, ReusedRecordKeepsNothingOfTheDeadOne)
{
    LevelList list;
    GameEntity old;
    old.spin = 0.9;
    old.flash = 1.0;
    old.lift = -40.0;
    old.reload = 7.0;
    old.alive = 0;
    list.records.push_back(old);
    list.add(makeShot(KIND_PLAYER_SHOT, 0.2f, 0, 10));
    const GameEntity& e = list.records[0];
    EXPECT_EQ(e.spin, 0.0);
    EXPECT_EQ(e.flash, 0.0);
    EXPECT_EQ(e.lift, 0.0);
    EXPECT_EQ(e.reload, 0.0);
    EXPECT_EQ(e.health, SHOT_HEALTH);
    EXPECT_TRUE(e.alive);
}

TEST(LevelLayout, HasTheRowsOfTheCourse)
{
    std::vector<GameEntity> level = layoutFromSeed(12345);
    ASSERT_EQ(level.size(), LEVEL_RECORD_COUNT);
    std::map<int, int> perKind;
    for (const GameEntity& e : level) {
        ++perKind[e.kind];
        EXPECT_EQ(e.tag, 1);
        EXPECT_EQ(e.height, 0.0f);
        EXPECT_TRUE(e.alive);
        EXPECT_EQ(e.health, 1.0);
        EXPECT_EQ(e.age, 0.0);
        EXPECT_EQ(e.lift, 0.0);
        EXPECT_GE(e.spin, 0.0);
        EXPECT_LE(e.spin, 1.0);
        EXPECT_GE(e.reload, 0.0);
        EXPECT_LE(e.reload, 8.0);
    }
    // One of each sign and the guardian; every kind of enemy, obstacle and pickup.
    for (int kind : {4, 5, 6, 7, 8, 11, 12})
        EXPECT_EQ(perKind[kind], 1) << "kind " << kind;
    for (int kind : {KIND_ENEMY_WAVE, KIND_ENEMY_DRIFT, KIND_BOUNCER, KIND_OBSTACLE, KIND_LIFE_PICKUP,
                     KIND_RAPID_FIRE_PICKUP})
        EXPECT_GT(perKind[kind], 0) << "kind " << kind;
}

TEST(LevelLayout, IsReproducibleFromTheGeneratorState)
{
    // The rows are fixed; only the draws (lanes, spins, reloads) follow the seed.
    const std::vector<GameEntity> a = layoutFromSeed(42);
    const std::vector<GameEntity> b = layoutFromSeed(42);
    const std::vector<GameEntity> c = layoutFromSeed(43);
    ASSERT_EQ(c.size(), a.size());
    int lanesDiffering = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].lane, b[i].lane);
        EXPECT_EQ(a[i].spin, b[i].spin);
        EXPECT_EQ(a[i].reload, b[i].reload);
        EXPECT_EQ(a[i].kind, c[i].kind);
        EXPECT_EQ(a[i].z, c[i].z);
        lanesDiffering += a[i].lane != c[i].lane;
    }
    EXPECT_GT(lanesDiffering, 0);
}

TEST(LevelLayout, NewLevelHas337RecordsWhateverThePreviousLeft)
{
    GameRules rules;
    rules.buildLevel();
    for (int i = 0; i < 500; ++i)
        rules.entities.add(makeShot(KIND_ENEMY_SHOT, 0, 0, 0));
    for (size_t i = 0; i < rules.entities.records.size(); i += 3)
        rules.entities.records[i].alive = 0;
    rules.life = 0.2;
    rules.time = 99.0;
    rules.lane = 0.7;
    rules.fireLatch = true;
    rules.musicCueDone = true;
    rules.buildLevel();
    EXPECT_EQ(rules.entities.records.size(), LEVEL_RECORD_COUNT);
    EXPECT_EQ(rules.entities.liveCount(), LEVEL_RECORD_COUNT);
    EXPECT_EQ(rules.life, 1.0);
    EXPECT_EQ(rules.time, 0.0);
    EXPECT_EQ(rules.lane, 0.0);
    EXPECT_FALSE(rules.fireLatch);
    EXPECT_FALSE(rules.musicCueDone);
}

TEST(CourseMath, JitterNeedsTwoMotionSamples)
{
    EXPECT_EQ(jitterSampleIndex(10.0, 0), -1);
    EXPECT_EQ(jitterSampleIndex(10.0, 1), -1);
    EXPECT_EQ(jitterSampleIndex(10.0, 2), 0);
    for (double t = 0.0; t < 210.0; t += 0.37) {
        long i = jitterSampleIndex(t, 57);
        EXPECT_GE(i, 0);
        EXPECT_LT(i, 56);
    }
}

}  // namespace
