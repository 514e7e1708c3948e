// game_entity.cpp - shot records and the level list's slot reuse.
#include "game/game_entity.h"

GameEntity makeShot(int32_t kind, float lane, float height, float z, int32_t tag)
{
    GameEntity shot;
    shot.tag = tag;
    shot.lane = lane;
    shot.height = height;
    shot.z = z;
    shot.kind = kind;
    shot.alive = 1;
    shot.health = SHOT_HEALTH;
    return shot;
}

size_t LevelList::add(const GameEntity& record)
{
    for (size_t i = 0; i < records.size(); ++i) {
        if (!records[i].alive) {
            records[i] = record;
            return i;
        }
    }
    records.push_back(record);
    return records.size() - 1;
}

void LevelList::dropDeadLast()
{
    if (!records.empty() && !records.back().alive)
        records.pop_back();
}

size_t LevelList::liveCount() const
{
    size_t n = 0;
    for (const GameEntity& e : records)
        n += e.alive ? 1 : 0;
    return n;
}
