// level_layout.h - the course's fixed layout of 19 rows, 337 records.
//
// Every record draws its random numbers in field order (spin, then lane when
// the row's lane is random, then reload from row 6 on), so the same generator
// state always lays out the same level.
#pragma once

#include "game/game_entity.h"

constexpr size_t LEVEL_RECORD_COUNT = 337;

// Appends the layout's records to the list, row by row.
void appendLevelLayout(LevelList& list);
