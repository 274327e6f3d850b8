// The shooter's statistics of arrows that land: on a unit, on a building,
// or on nothing.

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "effects/C_Particles.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_Player.h"

TEST(ProjectilesArrowHits, ArrowsLandingOnAUnitOrABuildingCountForTheShootersPlayer)
{
    CSimHarness world;
    g_Particles.Reset();
    CUnit* archer = world.Spawn(0, UNIT_ARCHER, 10, 10);
    CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 16, 10);
    ASSERT_TRUE(archer != nullptr && warrior != nullptr && world.Player(1).CreateBuilding(CastHouse, 10, 20));
    auto shoot = [&](CUnit* target, float aimX, float aimY, int32_t kind) {
        g_Particles.AddArrow(false, archer, target, 10.5f, 48.6f, 10.5f, aimX, 40.0f, aimY, kind);
        world.Frame(20);
    };
    const int32_t* stats = world.Player(0).statistics;
    shoot(warrior, 16.5f, 10.5f, CParticles::KindArrow);
    EXPECT_EQ(stats[STAT_ARROWS_HIT_UNIT], 1);
    shoot(nullptr, 10.5f, 20.5f, CParticles::KindFlameArrow);
    EXPECT_EQ(stats[STAT_ARROWS_HIT_BUILDING], 1);
    shoot(nullptr, 30.5f, 30.5f, CParticles::KindArrow);   // nothing there
    EXPECT_EQ(stats[STAT_ARROWS_HIT_UNIT] + stats[STAT_ARROWS_HIT_BUILDING], 2);
    g_Particles.Reset();
}
