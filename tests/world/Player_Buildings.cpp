// Buildings, resource sites and decorations joining and leaving a player.

#include "Player_Fixture.h"
#include "core/C_PtrGarbage.h"

using PlayerBuildings = PlayerTest;

TEST_F(PlayerBuildings, PlacedFinishedAndRemovedCounts)
{
    CPlayer& player = Player(1);
    auto* barracks = static_cast<TestBuilding*>(player.CreateBuilding(2, 4, 4));
    EXPECT_EQ(g_GameMap.Block(5, 5).building, barracks);
    player.OnBuildingPlaced(barracks);
    EXPECT_EQ(player.buildingsUnderConstruction[2], 1);
    EXPECT_EQ(player.buildingCount, 0);
    barracks->buildProgress = 100.0f;
    player.OnBuildingFinished(barracks);
    EXPECT_EQ(player.buildingsUnderConstruction[2], 0);
    EXPECT_EQ(player.finishedBuildings[2], 1);
    EXPECT_EQ(player.buildings[0], barracks);
    EXPECT_EQ(player.statistics[STAT_BUILDINGS_BUILT], 1);
    EXPECT_EQ(player.score, 4);
    ASSERT_TRUE(player.RemoveBuilding(barracks, 1));
    EXPECT_EQ(player.finishedBuildings[2], 0);
    EXPECT_EQ(player.buildingCount, 0);
    EXPECT_EQ(player.statistics[STAT_BUILDINGS_LOST], 1);
    EXPECT_EQ(player.score, 0);
    EXPECT_FALSE(player.RemoveBuilding(barracks, 1));
    EXPECT_TRUE(Log().Has("#DEBUG: Building is missing from player's list"));
    EXPECT_EQ(player.statistics[STAT_BUILDINGS_LOST], 1);
}

TEST_F(PlayerBuildings, FinishingTellsTheScriptThreeTimes)
{
    CPlayer& player = Player(1);
    g_GameMap.Block(11, 21).regionId = 9;
    auto* docks = static_cast<TestBuilding*>(player.CreateBuilding(13, 10, 20));
    docks->width = 3;
    docks->buildProgress = 100.0f;
    player.OnBuildingFinished(docks);
    const auto& events = player.script.GetEvents();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, CScript::EEvent::BuildingBuilt);
    EXPECT_EQ(events[1].kind, CScript::EEvent::BuildingInRange);
    EXPECT_EQ(events[1].values[1], 11);
    EXPECT_EQ(events[1].values[2], 21);
    EXPECT_EQ(events[2].kind, CScript::EEvent::BuildingInRegion);
    EXPECT_EQ(events[2].values[1], 9);
}

// The points of a building come with its completion, so a site that never
// finished takes none away (the test house is worth 10).
TEST_F(PlayerBuildings, UnfinishedRemovalLowersTheConstructionCountAndKeepsTheScore)
{
    CPlayer& player = Player(1);
    auto* site = static_cast<TestBuilding*>(player.CreateBuilding(5, -1, -1));
    player.OnBuildingPlaced(site);
    site->buildProgress = 40.0f;
    ASSERT_TRUE(player.RemoveBuilding(site, 1));
    EXPECT_EQ(player.buildingsUnderConstruction[5], 0);
    EXPECT_EQ(player.finishedBuildings[5], 0);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(player.statistics[STAT_BUILDINGS_LOST], 1);
    // Walls and traps are not counted as built or lost.
    TestBuilding* wall = Finish(player, 9);
    TestBuilding* trap = Finish(player, 12);
    EXPECT_EQ(player.statistics[STAT_BUILDINGS_BUILT], 0);
    player.RemoveBuilding(wall, 1);
    player.RemoveBuilding(trap, 1);
    EXPECT_EQ(player.statistics[STAT_BUILDINGS_LOST], 1);
}

TEST_F(PlayerBuildings, ARefusedPlacingGivesNoBuilding)
{
    CPlayer& player = Player(1);
    // The 2 x 2 test footprint would reach past the last column.
    EXPECT_EQ(player.CreateBuilding(5, MapSide - 1, 4), nullptr);
    EXPECT_EQ(g_GameMap.Block(MapSide - 1, 4).building, nullptr);
    EXPECT_EQ(player.buildingsUnderConstruction[5], 0);
    EXPECT_TRUE(Services().createdBuildings.empty());
    EXPECT_EQ(g_PtrGarbage.GetCount(), 1);
    g_PtrGarbage.Flush();
    TestBuilding* fits = Finish(player, 5, MapSide - 2, 4);
    ASSERT_NE(fits, nullptr);
    EXPECT_EQ(g_GameMap.Block(MapSide - 1, 5).building, fits);
    // Unknown casts give none either.
    EXPECT_EQ(player.CreateBuilding(14, 3, 3), nullptr);
    EXPECT_EQ(g_GameMap.Block(3, 3).building, nullptr);
}

TEST_F(PlayerBuildings, AFullListKeepsTheBuildingCountedButUnlisted)
{
    CPlayer& player = Player(1);
    TestBuilding filler(7, 0, 0);
    filler.buildProgress = 100.0f;
    for (int32_t i = 0; i < MaxPlayerBuildings; ++i)
        player.buildings[i] = &filler;
    player.buildingCount = MaxPlayerBuildings;
    TestBuilding* late = Finish(player, 2);
    EXPECT_EQ(player.finishedBuildings[2], 1);
    EXPECT_FALSE(player.HasBuilding(late));
    player.buildingCount = 0;
}

TEST_F(PlayerBuildings, ConvertedBuildingsJoinFinished)
{
    CPlayer& player = Player(1);
    TestBuilding* house = Finish(Player(2), 5);
    Player(2).RemoveBuilding(house, 0);
    house->owner = 1;
    player.AddBuilding(house);
    EXPECT_EQ(player.finishedBuildings[5], 1);
    EXPECT_EQ(player.buildingsAdded, 1);
    EXPECT_EQ(player.score, 10);
    EXPECT_TRUE(player.HasBuilding(house));
}

TEST_F(PlayerBuildings, ResourceSitesAreMarkedOnlyWhereTheyLieOnTheMap)
{
    CPlayer& player = Player(1);
    g_GameMap.Block(30, 30).decorationModel = 12;
    auto* mine = static_cast<TestBuilding*>(player.CreateResource(4, 30, 30, 700, 0));
    EXPECT_EQ(mine->amount, 700);
    for (int32_t dx = 0; dx < 2; ++dx)
        for (int32_t dy = 0; dy < 2; ++dy)
        {
            const SMapBlock& block = g_GameMap.Block(30 + dx, 30 + dy);
            EXPECT_EQ(block.building, mine);
            EXPECT_EQ(block.blocked, 1);
            EXPECT_EQ(block.decorationModel, NoDecoration);
        }
    // At the far corner only the one block on the map is marked; nothing
    // spills into the next column of the grid.
    auto* tree = player.CreateResource(2, MapSide - 1, MapSide - 1, 100, 3);
    EXPECT_EQ(static_cast<TestBuilding*>(tree)->amount, 0);
    EXPECT_EQ(g_GameMap.Block(MapSide - 1, MapSide - 1).building, tree);
    EXPECT_EQ(g_GameMap.Block(MapSide, 0).building, nullptr);
    EXPECT_EQ(g_GameMap.Block(MapSide - 1, MapSide).building, nullptr);
    auto* west = player.CreateResource(3, -1, 5, 0, 0);
    (void)west;
    EXPECT_EQ(g_GameMap.Block(0, 5).building, nullptr);
}

TEST_F(PlayerBuildings, DecorationsMarkTheirMaskWithinTheMap)
{
    CPlayer& player = Player(1);
    auto* rock = player.CreateDecorationBuilding(7, 40, 40);
    EXPECT_EQ(static_cast<TestBuilding*>(rock)->decorationKind, 7);
    // The test mask is a checker board: (dx + dy) even.
    EXPECT_EQ(g_GameMap.Block(40, 40).building, rock);
    EXPECT_EQ(g_GameMap.Block(41, 40).building, nullptr);
    EXPECT_EQ(g_GameMap.Block(41, 41).building, rock);
    EXPECT_EQ(g_GameMap.Block(41, 41).blocked, 1);
    auto* edge = player.CreateDecorationBuilding(7, MapSide - 2, 0);
    EXPECT_EQ(g_GameMap.Block(MapSide - 2, 0).building, edge);
    EXPECT_EQ(g_GameMap.Block(MapSide, 0).building, nullptr);
}

