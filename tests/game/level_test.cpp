// The level list's slot reuse, the 337-record layout and its reproducibility,
// the course mapping and the easing curve.
#include <gtest/gtest.h>

#include <cstring>
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

bool sameRecords(const std::vector<GameEntity>& a, const std::vector<GameEntity>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const GameEntity& x = a[i];
        const GameEntity& y = b[i];
        if (x.tag != y.tag || x.lane != y.lane || x.height != y.height || x.z != y.z || x.kind != y.kind ||
            x.alive != y.alive || x.health != y.health || x.age != y.age || x.spin != y.spin ||
            x.lift != y.lift || x.reload != y.reload || x.flash != y.flash)
            return false;
    }
    return true;
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
    EXPECT_EQ(perKind[KIND_ENEMY_WAVE], 25 + 85 + 25 + 18 + 15);
    EXPECT_EQ(perKind[KIND_ENEMY_DRIFT], 85);
    EXPECT_EQ(perKind[KIND_BOUNCER], 35 + 14);
    EXPECT_EQ(perKind[KIND_OBSTACLE], 16);
    EXPECT_EQ(perKind[KIND_LIFE_PICKUP], 4);
    EXPECT_EQ(perKind[KIND_RAPID_FIRE_PICKUP], 8);
    for (int kind : {4, 5, 6, 7, 8, 11, 12})
        EXPECT_EQ(perKind[kind], 1) << "kind " << kind;

    // First and last rows, and the slalom of row 6.
    EXPECT_EQ(level[0].z, 1230.0f);
    EXPECT_EQ(level[0].lane, 0.3f);
    EXPECT_EQ(level[0].reload, 0.0);
    EXPECT_EQ(level[11].z, 3800.0f);
    EXPECT_EQ(level[11].lane, 0.8f);
    for (int i = 12; i < 12 + 25; ++i) {
        EXPECT_EQ(level[i].z, 220.0f + 30.0f * (i - 12));
        EXPECT_GE(level[i].lane, 0.3f);
        EXPECT_LE(level[i].lane, 0.5f);
    }
    EXPECT_EQ(level[330].kind, KIND_SIGN_GET_READY);
    EXPECT_EQ(level[334].z, 5380.0f);
    EXPECT_EQ(level[336].kind, KIND_SIGN_TITLE);
    EXPECT_EQ(level[336].z, 50.0f);
}

TEST(LevelLayout, DrawsRandomNumbersInFieldOrder)
{
    std::vector<GameEntity> level = layoutFromSeed(777);
    crtSeed(777);
    std::vector<double> draws;
    for (int i = 0; i < 40; ++i)
        draws.push_back(random01());
    // Rows 1 to 5: one draw each (spin).
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(level[i].spin, draws[i]);
    // Row 6: spin, lane, reload.
    EXPECT_EQ(level[12].spin, draws[12]);
    EXPECT_EQ(level[12].lane, float(0.3 + 0.2 * draws[13]));
    EXPECT_EQ(level[12].reload, 8.0 * draws[14]);
    EXPECT_EQ(level[13].spin, draws[15]);
}

TEST(LevelLayout, IsReproducibleFromTheGeneratorState)
{
    std::vector<GameEntity> a = layoutFromSeed(42);
    std::vector<GameEntity> b = layoutFromSeed(42);
    EXPECT_TRUE(sameRecords(a, b));

    std::vector<GameEntity> c = layoutFromSeed(43);
    ASSERT_EQ(c.size(), a.size());
    EXPECT_FALSE(sameRecords(a, c));
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].kind, c[i].kind);
        EXPECT_EQ(a[i].z, c[i].z);
    }
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

TEST(CourseMath, LanesRunAroundTheHalfCircle)
{
    CoursePoint top = coursePoint(0.0, 5.0, 0.0);
    CoursePoint left = coursePoint(0.5, 5.0, 0.0);
    CoursePoint bottom = coursePoint(1.0, 5.0, 2.0);
    EXPECT_NEAR(top.x, 0.0, 1e-12);
    EXPECT_NEAR(top.y, 20.0, 1e-12);
    EXPECT_NEAR(left.x, -20.0, 1e-12);
    EXPECT_NEAR(left.y, 0.0, 1e-12);
    EXPECT_NEAR(bottom.y, -18.0, 1e-12);
    EXPECT_EQ(bottom.z, 5.0);
    // Lanes outside [0, 1] stay on the half circle.
    EXPECT_NEAR(coursePoint(1.3, 0, 0).y, -20.0, 1e-12);
    EXPECT_NEAR(coursePoint(-0.2, 0, 0).y, 20.0, 1e-12);
}

TEST(CourseMath, EaseRunsFromZeroToOne)
{
    for (double k : {0.5, 1.0, 2.0, 4.0}) {
        EXPECT_NEAR(ease(0.0, k), 0.0, 1e-12) << k;
        EXPECT_NEAR(ease(1.0, k), 1.0, 1e-12) << k;
    }
    EXPECT_NEAR(ease(0.5, 1.0), 0.5, 1e-12);
    EXPECT_NEAR(ease(0.25, 1.0), (1.0 - std::cos(GAME_PI * 0.25)) / 2.0, 1e-12);
}

}  // namespace

namespace {

TEST(CourseMath, JitterNeedsTwoMotionSamples)
{
    EXPECT_EQ(jitterSampleIndex(10.0, 0), -1);
    EXPECT_EQ(jitterSampleIndex(10.0, 1), -1);
    EXPECT_EQ(jitterSampleIndex(10.0, 2), 0);
    EXPECT_EQ(jitterSampleIndex(0.0, 101), (300000L * 35L) % 100L);
    EXPECT_EQ(jitterSampleIndex(1.0, 101), (300001L * 35L) % 100L);
    for (double t = 0.0; t < 210.0; t += 0.37) {
        long i = jitterSampleIndex(t, 57);
        EXPECT_GE(i, 0);
        EXPECT_LT(i, 56);
    }
}

}  // namespace
