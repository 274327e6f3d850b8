// The players' create operations with the game's own factories, and what
// the map gives back when it frees the buildings standing on it.

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "core/C_PtrGarbage.h"
#include "tests/buildings/BuildingWorld.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t Rock = 3;
constexpr int32_t GoldMine = 4;
constexpr int32_t PlainDecoration = 2;
constexpr int32_t House = 5;
constexpr int32_t Neutral = -1;
} // namespace

TEST(PlayerObjects, ResourceSitesAndDecorationsBelongToNobody)
{
    BuildingWorld world;
    CPlayer& player = world.Player(3);
    CBuilding* rock = player.CreateResource(Rock, 10, 10, 0, 0);
    CBuilding* mine = player.CreateResource(GoldMine, 20, 10, 650, 0);
    CBuilding* decoration = player.CreateDecorationBuilding(PlainDecoration, 30, 30);
    ASSERT_TRUE(rock != nullptr && mine != nullptr && decoration != nullptr);
    EXPECT_EQ(rock->owner, Neutral);
    EXPECT_EQ(mine->owner, Neutral);
    EXPECT_EQ(decoration->owner, Neutral);
    EXPECT_EQ(rock->GetResourceAmount(), 800);
    EXPECT_EQ(mine->GetResourceAmount(), 650);
    EXPECT_EQ(g_GameMap.Block(10, 10).building, rock);
    EXPECT_EQ(g_GameMap.Block(20, 10).building, mine);
    EXPECT_EQ(player.buildingCount, 0);
    // The map frees all three when the world ends.
}

TEST(PlayerObjects, APlacingOutsideTheMapGivesNoBuilding)
{
    BuildingWorld world;
    CPlayer& player = world.Player(2);
    EXPECT_EQ(player.CreateBuilding(House, g_GameMap.GetWidth() - 1, 7), nullptr);
    EXPECT_EQ(player.CreateBuilding(House, 7, g_GameMap.GetHeight()), nullptr);
    EXPECT_EQ(player.buildingsUnderConstruction[House], 0);
    EXPECT_EQ(g_GameMap.Block(g_GameMap.GetWidth() - 1, 7).building, nullptr);
    EXPECT_EQ(g_PtrGarbage.GetCount(), 2);
    world.Flush();
    EXPECT_EQ(g_PtrGarbage.GetCount(), 0);
}

// Freeing the map takes every building down: the owner's counts, list and
// score are as before the buildings came, and an unfinished site, whose
// points were never added, takes none away.
TEST(PlayerObjects, FreeingTheMapGivesBackWhatItsBuildingsCounted)
{
    BuildingWorld world;
    CPlayer& player = world.Player(4);
    CBuilding* site = player.CreateBuilding(House, 10, 10);
    CBuilding* home = player.CreateBuilding(House, 20, 20);
    ASSERT_TRUE(site != nullptr && home != nullptr);
    home->buildProgress = CBuilding::FinishedProgress;
    home->BuildingFinished();
    const int32_t points = home->GetPointValue();
    ASSERT_GT(points, 0);
    EXPECT_EQ(player.buildingsUnderConstruction[House], 1);
    EXPECT_EQ(player.finishedBuildings[House], 1);
    EXPECT_EQ(player.score, points);

    g_GameMap.Free();
    EXPECT_EQ(player.buildingsUnderConstruction[House], 0);
    EXPECT_EQ(player.finishedBuildings[House], 0);
    EXPECT_EQ(player.buildingCount, 0);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(g_PtrGarbage.GetCount(), 0);
}
