#pragma once
// What the tower scenarios check alike: an enemy warrior standing six
// blocks east of a manned tower's middle is shot dead, each arrow at least
// three ticks after the one before.

#include <gtest/gtest.h>

#include <vector>

#include "buildings/C_BuildingTower.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

inline void ExpectTowerShootsAWarriorDead(CMeleeWorld& game, const CBuildingTower& tower, const CPlayer& owner)
{
    CUnit* enemy =
        game.Spawn(1, UNIT_WARRIOR, tower.GetSightCentreX() + 6, tower.GetSightCentreY(), STANCE_STAND_GROUND);
    ASSERT_NE(enemy, nullptr);
    std::vector<int32_t> shotTicks;
    int32_t tick = 0;
    ASSERT_GT(game.FramesUntil(3000, [&] {
        ++tick;
        while (static_cast<int32_t>(shotTicks.size()) < owner.statistics[STAT_ARROWS_SHOT])
            shotTicks.push_back(tick);
        return !enemy->IsAlive();
    }), 0);
    ASSERT_GE(shotTicks.size(), 3u);
    for (size_t i = 1; i < shotTicks.size(); ++i)
        EXPECT_GE(shotTicks[i] - shotTicks[i - 1], 3) << "shot " << i;
    EXPECT_EQ(owner.statistics[STAT_UNITS_KILLED], 1);
}
