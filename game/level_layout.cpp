// level_layout.cpp - where everything stands along the course.
#include "game/level_layout.h"

#include "game/game_random.h"

namespace {

enum class LaneRule { Fixed, Random, Slalom };

struct LayoutRow {
    int32_t kind;
    int count;
    float firstZ;
    float stepZ;
    LaneRule laneRule;
    bool randomReload;
};

void appendRecord(LevelList& list, int32_t kind, float z, float fixedLane, LaneRule laneRule, bool randomReload)
{
    GameEntity e;
    e.kind = kind;
    e.z = z;
    e.spin = random01();
    if (laneRule == LaneRule::Random)
        e.lane = float(random01());
    else if (laneRule == LaneRule::Slalom)
        e.lane = float(0.3 + 0.2 * random01());
    else
        e.lane = fixedLane;
    if (randomReload)
        e.reload = 8.0 * random01();
    list.records.push_back(e);
}

// Rows 6 to 15: evenly spaced rows with random lanes.
const LayoutRow kSpacedRows[] = {
    {KIND_ENEMY_WAVE, 25, 220, 30, LaneRule::Slalom, true},
    {KIND_ENEMY_DRIFT, 85, 920, 11, LaneRule::Random, true},
    {KIND_ENEMY_WAVE, 85, 3900, 5, LaneRule::Random, true},
    {KIND_BOUNCER, 35, 2000, 20, LaneRule::Random, true},
    {KIND_ENEMY_WAVE, 25, 4700, 10, LaneRule::Random, true},
    {KIND_ENEMY_WAVE, 18, 3000, 1, LaneRule::Random, true},
    {KIND_BOUNCER, 14, 4020, 40, LaneRule::Random, true},
    {KIND_OBSTACLE, 12, 3015, 30, LaneRule::Random, true},
    {KIND_OBSTACLE, 4, 3018, 36, LaneRule::Random, true},
    {KIND_ENEMY_WAVE, 15, 2360, 90, LaneRule::Random, true},
};

}  // namespace

void appendLevelLayout(LevelList& list)
{
    // Rows 1 to 5: pickups at fixed lanes; they keep reload 0.
    appendRecord(list, KIND_LIFE_PICKUP, 1230, 0.3f, LaneRule::Fixed, false);
    appendRecord(list, KIND_LIFE_PICKUP, 1230, 0.8f, LaneRule::Fixed, false);
    appendRecord(list, KIND_LIFE_PICKUP, 3730, 0.6f, LaneRule::Fixed, false);
    appendRecord(list, KIND_LIFE_PICKUP, 4230, 0.8f, LaneRule::Fixed, false);
    for (float z : {800.0f, 3800.0f})
        for (float lane : {0.2f, 0.4f, 0.6f, 0.8f})
            appendRecord(list, KIND_RAPID_FIRE_PICKUP, z, lane, LaneRule::Fixed, false);

    for (const LayoutRow& row : kSpacedRows)
        for (int i = 0; i < row.count; ++i)
            appendRecord(list, row.kind, row.firstZ + row.stepZ * float(i), 0.0f, row.laneRule, row.randomReload);

    // Rows 16 to 19: signs and the guardian, lane 0.
    appendRecord(list, KIND_SIGN_GET_READY, 130, 0.0f, LaneRule::Fixed, true);
    appendRecord(list, KIND_SIGN_STAGE_2, 1350, 0.0f, LaneRule::Fixed, true);
    appendRecord(list, KIND_SIGN_STAGE_3, 2650, 0.0f, LaneRule::Fixed, true);
    appendRecord(list, KIND_SIGN_STAGE_4, 3950, 0.0f, LaneRule::Fixed, true);
    appendRecord(list, KIND_GUARDIAN, 5380, 0.0f, LaneRule::Fixed, true);
    appendRecord(list, KIND_SIGN_ACCOMPLISHED, 6000, 0.0f, LaneRule::Fixed, true);
    appendRecord(list, KIND_SIGN_TITLE, 50, 0.0f, LaneRule::Fixed, true);
}
