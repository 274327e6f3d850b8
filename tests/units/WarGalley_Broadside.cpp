// The war galley through the real simulation step on open water: it turns
// its side to an empty transport ship and fires two shots a cycle until the
// ship sinks, then cools down.

#include <gtest/gtest.h>

#include <vector>

#include "effects/C_Particles.h"
#include "tests/units/Melee_World.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_WarGalley.h"
#include "world/C_GameMap.h"

TEST(WarGalleyBroadside, AGalleySinksAnEmptyTransportShipTwoShotsACycle)
{
    CMeleeWorld sea;
    for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
        for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
            g_GameMap.Block(bx, by).waterLevel = 9;
    g_Particles.Reset();
    // Centre blocks (10, 10) and (21, 10): eleven blocks apart.
    auto* galley = static_cast<CUnitWarGalley*>(sea.Spawn(0, UNIT_WARGALLEY, 8, 8, STANCE_STAND_GROUND));
    CUnit* ship = sea.Spawn(1, UNIT_TRANSPORTSHIP, 20, 9, STANCE_STAND_GROUND);
    ASSERT_TRUE(galley != nullptr && ship != nullptr);
    galley->facing = galley->shownFacing = 90;
    galley->onCommand(ship, nullptr, nullptr, ship->x, ship->y, CMD_ATTACK);
    std::vector<int32_t> shots;
    size_t seen = 0;
    int32_t frame = 0;
    int32_t facingAtFirstShot = -1;
    size_t shotsAtSinking = 0;
    ASSERT_GT(sea.FramesUntil(5000, [&] {
        ++frame;
        const auto& flying = g_Particles.GetProjectiles();
        for (size_t i = seen; i < flying.size(); ++i)
        {
            shots.push_back(frame);
            if (facingAtFirstShot < 0)
                facingAtFirstShot = galley->shownFacing;
            EXPECT_EQ(flying[i].kind, CParticles::KindCannonball);
            EXPECT_EQ(flying[i].aimHeight, 40.0f);
        }
        seen = flying.size();
        if (shotsAtSinking == 0 && ship->IsDying())
            shotsAtSinking = shots.size();
        return g_Particles.HoldsCorpse(ship);
    }), 0);
    // The ship lies due east (90 degrees): the side faces it at 90 + 270.
    EXPECT_EQ(facingAtFirstShot, 0);
    ASSERT_GE(shots.size(), 3u);
    EXPECT_EQ(shots[1] - shots[0], 29);
    EXPECT_EQ(shots[2] - shots[0], CUnitWarGalley::CycleTicks);
    EXPECT_FALSE(sea.world.Player(1).HasUnit(ship));
    // The rest of the cycle cools down; no shot follows the sinking ship.
    EXPECT_GT(sea.FramesUntil(CUnitWarGalley::CycleTicks,
                              [&] { return galley->animType == ANIM_STAND && galley->currentCommand == CMD_NONE; }),
              0);
    EXPECT_EQ(shots.size(), shotsAtSinking);
    EXPECT_TRUE(sea.world.Player(0).HasUnit(galley));
    EXPECT_EQ(sea.firstFault, "");
}
