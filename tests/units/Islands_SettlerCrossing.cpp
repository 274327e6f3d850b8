// A settlement across the strait: three warriors and a settler board a transport ship on island A, it
// puts them all ashore on island B, the settler founds a keep there, and an enemy war galley then sinks
// the empty ship without touching anyone ashore.  Each frame is one tick, then the invariant check.

#include "TransportShip_Fixture.h"

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "effects/C_Particles.h"

// Two islands across a strait on the harness map: island A (region 1) is x 0..9, the strait (region
// 3) x 10..33 and island B (region 2) x 34 to the map's edge.
namespace TwoIslands
{
constexpr int32_t StraitWest = 10;
constexpr int32_t StraitEast = 34;
constexpr int32_t RegionA = 1;
constexpr int32_t RegionB = 2;
constexpr int32_t RegionStrait = 3;

inline void Lay(int32_t waterLevel)
{
    for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
        for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
        {
            SMapBlock& block = g_GameMap.Block(bx, by);
            const bool strait = bx >= StraitWest && bx < StraitEast;
            block.waterLevel = static_cast<uint16_t>(strait ? waterLevel : 0);
            block.regionId = static_cast<uint16_t>(bx < StraitWest ? RegionA : (strait ? RegionStrait : RegionB));
        }
}
}  // namespace TwoIslands

namespace
{
using Islands = TransportShip;
}  // namespace

TEST_F(Islands, ASettlerCrossesFoundsAKeepAndTheEmptyShipSinksWithoutLosses)
{
    constexpr int32_t MostFrames = 3000;
    TwoIslands::Lay(WaterLevel);
    g_Particles.Reset();
    CUnitTransportShip* ship = static_cast<CUnitTransportShip*>(world.Spawn(0, UNIT_TRANSPORTSHIP, 10, 20));
    CUnit* warriors[3] = {world.Spawn(0, UNIT_WARRIOR, 4, 18), world.Spawn(0, UNIT_WARRIOR, 5, 21),
                          world.Spawn(0, UNIT_WARRIOR, 3, 24)};
    CUnit* settler = world.Spawn(0, UNIT_SETTLER, 4, 27);
    ASSERT_NE(settler, nullptr);
    for (CUnit* passenger : {warriors[0], warriors[1], warriors[2], settler})
        passenger->onCommand(ship, nullptr, nullptr, ship->x, ship->y, CMD_GARRISON_SHIP);
    ship->callIsland = TwoIslands::RegionA;
    ship->InitAction(nullptr, nullptr, nullptr, 4, 18, CMD_MOVE_TO_GARRISON, TARGET_BLOCK, true, false);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return ship->GetCargoCount() == 4; }), 0);

    ship->onCommand(nullptr, nullptr, nullptr, 29, 20, CMD_MOVE_TO);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return ship->x == 29 && ship->currentCommand == CMD_NONE; }), 0);
    ship->onCommand(nullptr, nullptr, nullptr, 0, 0, CMD_UNGARRISON);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return ship->GetCargoCount() == 0; }), 0);
    for (CUnit* landed : {warriors[0], warriors[1], warriors[2], settler})
        EXPECT_TRUE(landed->onMap && landed->GetRegionId() == TwoIslands::RegionB);

    // Inland, clear of the warriors on the beach, the cart founds the keep.
    settler->onCommand(nullptr, nullptr, nullptr, 41, 32, CMD_MOVE_TO);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return settler->currentCommand == CMD_NONE; }), 0);
    const int32_t settlerX = settler->x;
    const int32_t settlerY = settler->y;
    const int32_t buildingsLost = world.Player(0).statistics[STAT_BUILDINGS_LOST];
    settler->onCommand(nullptr, nullptr, nullptr, settlerX, settlerY, CMD_FOUND_SETTLEMENT);
    ASSERT_GT(FramesUntil(1, [&] { return !settler->onMap; }), 0);
    CBuilding* keep = g_GameMap.Block(settlerX - 1, settlerY - 1).building;
    ASSERT_NE(keep, nullptr);
    EXPECT_TRUE(keep->GetBuildCast() == CastKeep && keep->x == settlerX - 1 && keep->y == settlerY - 1);

    // The enemy galley lies eleven blocks off the empty ship and fires.
    CUnit* galley = world.Spawn(1, UNIT_WARGALLEY, 17, 18);
    ASSERT_NE(galley, nullptr);
    galley->onCommand(ship, nullptr, nullptr, ship->x, ship->y, CMD_ATTACK);
    ASSERT_GT(FramesUntil(MostFrames, [&] { return g_Particles.HoldsCorpse(ship); }), 0);
    EXPECT_FALSE(world.Player(0).HasUnit(ship));
    for (CUnit* warrior : warriors)
        EXPECT_TRUE(world.Player(0).HasUnit(warrior) && warrior->IsAlive() && warrior->onMap);
    EXPECT_TRUE(g_GameMap.Block(settlerX - 1, settlerY - 1).building == keep && !keep->IsFinished() &&
                world.Player(0).statistics[STAT_BUILDINGS_LOST] == buildingsLost);
}
