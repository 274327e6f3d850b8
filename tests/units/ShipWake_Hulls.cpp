// Each hull leaves its own wake: a lying ship turned to 90 degrees makes
// seven waves after 128 ticks, the last from its stern, due west of the
// centre by the stern row's length.

#include <gtest/gtest.h>

#include "effects/C_Particles.h"
#include "tests/support/SimHarness.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

TEST(ShipWake, EveryHullLeavesItsOwnSternWave)
{
    const struct
    {
        int32_t type;
        float sternBlocks;
    } hulls[] = {{UNIT_TRANSPORTSHIP, 60.0f / 32.0f}, {UNIT_WARGALLEY, 80.0f / 32.0f}};
    for (const auto& hull : hulls)
    {
        CSimHarness world;
        for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
            for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
                g_GameMap.Block(bx, by).waterLevel = 9;
        CUnit* ship = world.Spawn(0, hull.type, 20, 20);
        ASSERT_NE(ship, nullptr);
        ship->facing = 90;
        g_Particles.ClearEffects();
        ship->Animate(128);
        const auto& waves = g_Particles.GetEffects();
        ASSERT_EQ(waves.size(), 7u) << hull.type;
        EXPECT_NEAR(waves[6].x - ship->centreX, -hull.sternBlocks, 1e-4f) << hull.type;
        EXPECT_NEAR(waves[6].y - ship->centreY, 0.0f, 1e-4f) << hull.type;
    }
}
