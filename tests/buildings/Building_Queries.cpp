// Exit cells, the placement test, finishing and the small queries of a
// building.

#include <gtest/gtest.h>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/TestLog.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
class BuildingQueries : public ::testing::Test
{
protected:
    CBuilding* Make(int32_t player, int32_t cast, int32_t x, int32_t y, bool place)
    {
        CBuilding* building = m_World.Player(player).CreateBuilding(cast, -1, -1);
        building->x = x;
        building->y = y;
        m_World.Track(building, place, place);
        if (place)
        {
            EXPECT_TRUE(building->PlaceOnMap());
        }
        return building;
    }

    void Finish(CBuilding* building)
    {
        building->buildProgress = CBuilding::FinishedProgress;
        building->OnFinished();
        m_World.Find(building)->finished = true;
    }

    void Flatten(int32_t height)
    {
        for (int32_t x = 0; x <= g_GameMap.GetWidth(); ++x)
            for (int32_t y = 0; y <= g_GameMap.GetHeight(); ++y)
                g_GameMap.CornerHeight(x, y) = height;
    }

    BuildingWorld m_World;
};

int32_t SightSum(const CPlayer& player)
{
    int32_t sum = 0;
    for (uint8_t count : player.buildingSightCounts)
        sum += count;
    return sum;
}
}  // namespace

TEST_F(BuildingQueries, ExitCellSearchStartsOnTheFarSideAndGoesRound)
{
    CBuilding* barracks = Make(0, 2, 10, 10, true);
    int32_t point[2] = {-1, -1};
    ASSERT_TRUE(barracks->FindExitCell(1, AreaKindLand, point));
    EXPECT_EQ(point[0], 9);
    EXPECT_EQ(point[1], 16);
    g_GameMap.Block(9, 16).blocked = 1;
    point[0] = point[1] = -1;
    ASSERT_TRUE(barracks->FindExitCell(1, AreaKindLand, point));
    EXPECT_EQ(point[0], 10);
    EXPECT_EQ(point[1], 16);
    // The whole far side blocked: down the far x side from the far corner.
    for (int32_t x = 9; x <= 15; ++x)
        g_GameMap.Block(x, 16).blocked = 1;
    point[0] = point[1] = -1;
    ASSERT_TRUE(barracks->FindExitCell(1, AreaKindLand, point));
    EXPECT_EQ(point[0], 15);
    EXPECT_EQ(point[1], 15);
    // A usable start point is kept as it is.
    point[0] = 30;
    point[1] = 31;
    ASSERT_TRUE(barracks->FindExitCell(2, AreaKindLand, point));
    EXPECT_EQ(point[0], 30);
    EXPECT_EQ(point[1], 31);
}

TEST_F(BuildingQueries, WalledInBuildingHasNoExitAndNeverLeavesTheMap)
{
    CBuilding* tower = Make(0, 6, 0, 0, true);
    int32_t point[2] = {-1, -1};
    ASSERT_TRUE(tower->FindExitCell(1, AreaKindLand, point));
    EXPECT_EQ(point[0], 0);
    EXPECT_EQ(point[1], 2);
    for (int32_t x = 0; x <= 3; ++x)
        for (int32_t y = 0; y <= 3; ++y)
            if (x >= 2 || y >= 2)
                g_GameMap.Block(x, y).blocked = 1;
    point[0] = point[1] = -1;
    EXPECT_FALSE(tower->FindExitCell(1, AreaKindLand, point));
    // No land exit on water-only ground either.
    EXPECT_FALSE(tower->FindExitCell(1, AreaKindWater, point));
}

TEST_F(BuildingQueries, PlacementTakesASpreadOfFortyEightAndRefusesWaterUnitsAndBlockedBlocks)
{
    Flatten(0);
    CBuilding* house = Make(1, 5, 20, 20, false);
    EXPECT_TRUE(house->CanPlaceAt(1, 0, 0, 0));
    for (const int32_t height : {48, 49, -49})
    {
        g_GameMap.CornerHeight(21, 21) = height;
        EXPECT_EQ(house->CanPlaceAt(1, 0, 0, 0), height == 48) << height;
    }
    g_GameMap.CornerHeight(21, 21) = 0;
    g_GameMap.Block(22, 21).waterLevel = 1;
    EXPECT_FALSE(house->CanPlaceAt(1, 0, 0, 0));
    g_GameMap.Block(22, 21).waterLevel = 0;
    g_GameMap.Block(20, 20).blocked = 1;
    EXPECT_FALSE(house->CanPlaceAt(1, 0, 0, 0));
    g_GameMap.Block(20, 20).blocked = 0;
    CUnit* worker = m_World.Harness().Spawn(1, 1, 21, 20);
    ASSERT_NE(worker, nullptr);
    EXPECT_FALSE(house->CanPlaceAt(1, 0, 0, 0));
    m_World.Harness().Delete(worker);
    EXPECT_TRUE(house->CanPlaceAt(1, 0, 0, 0));
}

TEST_F(BuildingQueries, UnexploredGroundStopsOnlyTheLocalPlayerWhoAsks)
{
    Flatten(0);
    CBuilding* house = Make(0, 5, 20, 20, false);
    EXPECT_FALSE(house->CanPlaceAt(0, 0, 0, 1));
    EXPECT_TRUE(house->CanPlaceAt(0, 0, 0, 0));
    EXPECT_TRUE(house->CanPlaceAt(1, 0, 0, 1));
    m_World.Player(0).RevealArea(18, 18, 24, 24, 255);
    EXPECT_TRUE(house->CanPlaceAt(0, 0, 0, 1));
}

TEST_F(BuildingQueries, MarginRingToleratesSingleBlockBuildingsOnly)
{
    Flatten(0);
    CBuilding* house = Make(1, 5, 20, 20, false);
    CBuilding* wall = Make(1, 9, 24, 21, true);
    EXPECT_TRUE(house->CanPlaceAt(1, 2, 0, 0));
    wall->TakeDown(false);
    m_World.Flush();
    CBuilding* tower = Make(1, 6, 24, 21, true);
    EXPECT_FALSE(house->CanPlaceAt(1, 2, 0, 0));
    EXPECT_TRUE(house->CanPlaceAt(1, 1, 0, 0));
    // The tower's reserved ring (clearance 0) is its footprint: outside the
    // house's footprint and margin 1 nothing is reserved.
    EXPECT_TRUE(house->CanPlaceAt(1, 1, 1, 0));
    tower->TakeDown(false);
    m_World.Flush();
    // A castle reserves three blocks round itself.
    Make(1, 1, 25, 20, true);
    EXPECT_FALSE(house->CanPlaceAt(1, 0, 1, 0));
    EXPECT_TRUE(house->CanPlaceAt(1, 0, 0, 0));
}

TEST_F(BuildingQueries, FinishingCountsOnceAndHidingTakesTheSightAway)
{
    CBuilding* warehouse = Make(3, 7, 30, 30, true);
    CPlayer& player = m_World.Player(3);
    EXPECT_EQ(player.buildingsUnderConstruction[7], 1);
    EXPECT_EQ(SightSum(player), 0);
    EXPECT_FALSE(warehouse->IsStorage());
    Finish(warehouse);
    EXPECT_TRUE(warehouse->IsStorage());
    EXPECT_EQ(player.buildingsUnderConstruction[7], 0);
    EXPECT_EQ(player.finishedBuildings[7], 1);
    EXPECT_EQ(player.buildingCount, 1);
    const int32_t sight = SightSum(player);
    EXPECT_GE(sight, 4);
    warehouse->OnFinished();
    EXPECT_EQ(player.finishedBuildings[7], 1);
    EXPECT_EQ(player.buildingCount, 1);
    EXPECT_EQ(SightSum(player), sight);
    EXPECT_BUILDINGS_SOUND(m_World);

    warehouse->RemoveFromMap();
    m_World.Find(warehouse)->onMap = false;
    EXPECT_EQ(SightSum(player), 0);
    ASSERT_TRUE(warehouse->PlaceOnMap());
    m_World.Find(warehouse)->onMap = true;
    EXPECT_EQ(SightSum(player), sight);
    EXPECT_BUILDINGS_SOUND(m_World);

    warehouse->TakeDown(true);
    EXPECT_EQ(SightSum(player), 0);
    EXPECT_EQ(player.buildingCount, 0);
    EXPECT_EQ(player.finishedBuildings[7], 0);
    m_World.Flush();
    EXPECT_BUILDINGS_SOUND(m_World);
}

TEST_F(BuildingQueries, TowerWithoutArchersReportsAndStillFinishes)
{
    g_Config.fogOfWar = 1;
    CBuilding* tower = Make(0, 6, 12, 30, true);
    CTestLog log;
    // The completion step alone: a finished tower gets its first archer first.
    tower->buildProgress = CBuilding::FinishedProgress;
    tower->BuildingFinished();
    m_World.Find(tower)->finished = true;
    EXPECT_TRUE(log.Contains("#DEBUG: The tower doesn't contain any archers. InitTower() should be called before "
                             "BuildingFinished()"));
    EXPECT_TRUE(log.Contains("#DEBUG: breakpoint reached"));
    EXPECT_EQ(m_World.Player(0).finishedBuildings[6], 1);
    EXPECT_BUILDINGS_SOUND(m_World);
}

TEST_F(BuildingQueries, NeutralBuildingIsEveryonesFriend)
{
    CBuilding* rock = m_World.Player(0).BuildingFactory(10, 3, 0, 0);
    m_World.Track(rock, false, false);
    for (int32_t p = -1; p < MaxPlayers; ++p)
        EXPECT_TRUE(rock->IsFriendTo(p));
    EXPECT_EQ(rock->GetOwnerColour(), -1);
    CBuilding* castle = Make(1, 1, -1, -1, false);
    EXPECT_TRUE(castle->IsFriendTo(-1));
    EXPECT_TRUE(castle->IsFriendTo(1));
    EXPECT_FALSE(castle->IsFriendTo(2));
    EXPECT_FALSE(castle->IsFriendTo(8));
    EXPECT_EQ(castle->GetOwnerColour(), m_World.Player(1).colourScheme);
}

TEST_F(BuildingQueries, FootprintMaskOutsideTheFootprintIsClear)
{
    CBuilding* ally = m_World.Player(0).BuildingFactory(18, 0, 0, 74);
    m_World.Track(ally, false, false);
    // "100001100001", six per row.
    const struct { int32_t x, y; bool set; } cells[] = {{0, 0, true},  {1, 0, false}, {5, 0, true},  {0, 1, true}, {5, 1, true},
                                                      {6, 0, false}, {-1, 0, false}, {0, 2, false}, {0, -1, false}};
    for (const auto& cell : cells)
        EXPECT_EQ(ally->IsFootprintMaskSet(cell.x, cell.y), cell.set) << cell.x << "," << cell.y;
}

TEST_F(BuildingQueries, FirePositionsStopAtTheirCapacity)
{
    CBuilding* wall = Make(0, 9, -1, -1, false);
    EXPECT_EQ(wall->fireCapacity, 0);
    CTestLog log;
    wall->AddFirePosition(50, 1, 2, 3, 4);
    EXPECT_TRUE(log.Contains("#DEBUG: Too many firepos"));
    EXPECT_EQ(wall->fireCount, 0);
    wall->InitFirePositions(1);
    wall->AddFirePosition(50, 1, 2, 3, 4);
    EXPECT_EQ(wall->fireCount, 1);
    EXPECT_EQ(wall->firePositions[0].particle, -1);
}

TEST_F(BuildingQueries, TargetPositionOfTheBaseOnlyLogs)
{
    CBuilding plain;
    CTestLog log;
    float position[3] = {1, 2, 3};
    plain.GetTargetPosition(position);
    EXPECT_TRUE(log.Contains("#DEBUG: CBuilding::GetTargetPosition"));
    EXPECT_FLOAT_EQ(position[0], 1.0f);
}
