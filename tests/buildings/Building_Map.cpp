// Placing a building on the map and taking it off again: its blocks, the
// terrain under it, the AI tilt map and its owner's counters.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ai/C_ComputerAI.h"
#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "net/C_UnitCommandOutbox.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "tests/buildings/BuildingWorld.h"
#include "tests/support/TestLog.h"
#include "world/C_GameMap.h"
#include "game/C_Selection.h"
#include "world/C_Player.h"

namespace
{
uint8_t TextureAt(int32_t x, int32_t y)
{
    return g_GameMap.cornerTextures[x * MapCornerSide + y];
}

int32_t SightSum(const CPlayer& player)
{
    int32_t sum = 0;
    for (uint8_t count : player.buildingSightCounts)
        sum += count;
    return sum;
}

class BuildingMap : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Gentle hills (steps below the steepest walkable slope) and four
        // textures, so that levelling and restoring show.
        for (int32_t x = 0; x <= g_GameMap.GetWidth(); ++x)
            for (int32_t y = 0; y <= g_GameMap.GetHeight(); ++y)
            {
                g_GameMap.CornerHeight(x, y) = (x * 7 + y * 3) % 21;
                g_GameMap.cornerTextures[x * MapCornerSide + y] = uint8_t((x + 2 * y) % 4 + 1);
            }
        m_Heights.assign(g_GameMap.cornerHeights, g_GameMap.cornerHeights + MapCornerCount);
        m_Textures.assign(g_GameMap.cornerTextures, g_GameMap.cornerTextures + MapCornerCount);
    }

    CBuilding* Create(int32_t player, int32_t cast, int32_t x, int32_t y)
    {
        CBuilding* building = m_World.Player(player).CreateBuilding(cast, -1, -1);
        building->x = x;
        building->y = y;
        m_World.Track(building, false, false);
        return building;
    }

    bool Place(CBuilding* building)
    {
        const bool placed = building->PlaceOnMap();
        if (placed)
        {
            STrackedBuilding* tracked = m_World.Find(building);
            tracked->onMap = true;
            tracked->counted = true;
        }
        return placed;
    }

    void Hide(CBuilding* building)
    {
        building->RemoveFromMap();
        m_World.Find(building)->onMap = false;
    }

    bool TerrainAsAtStart() const
    {
        return std::equal(m_Heights.begin(), m_Heights.end(), g_GameMap.cornerHeights) &&
               std::equal(m_Textures.begin(), m_Textures.end(), g_GameMap.cornerTextures);
    }

    BuildingWorld m_World;
    std::vector<int32_t> m_Heights;
    std::vector<uint8_t> m_Textures;
};
}  // namespace

TEST_F(BuildingMap, PlacingClaimsLevelsAndClearsAndRemovingRestoresEverything)
{
    CBuilding* barracks = Create(1, 2, 10, 10);
    int32_t lowest = g_GameMap.CornerHeight(10, 10);
    int32_t highest = lowest;
    for (int32_t x = 10; x <= 15; ++x)
        for (int32_t y = 10; y <= 16; ++y)
        {
            lowest = std::min(lowest, g_GameMap.CornerHeight(x, y));
            highest = std::max(highest, g_GameMap.CornerHeight(x, y));
        }
    ASSERT_LT(lowest, highest);

    ASSERT_TRUE(Place(barracks));
    EXPECT_EQ(barracks->placed, 1);
    for (int32_t x = 10; x < 15; ++x)
        for (int32_t y = 10; y < 16; ++y)
        {
            EXPECT_EQ(g_GameMap.Block(x, y).building, barracks);
            EXPECT_EQ(g_GameMap.Block(x, y).blocked, 1);
        }
    EXPECT_EQ(g_GameMap.Block(15, 10).building, nullptr);
    EXPECT_EQ(g_GameMap.Block(10, 16).building, nullptr);
    for (int32_t x = 10; x <= 15; ++x)
        for (int32_t y = 10; y <= 16; ++y)
        {
            EXPECT_EQ(g_GameMap.CornerHeight(x, y), (lowest + highest) / 2);
            EXPECT_EQ(TextureAt(x, y), 0);
        }
    EXPECT_EQ(m_World.Player(1).buildingsUnderConstruction[2], 1);
    EXPECT_BUILDINGS_SOUND(m_World);

    Hide(barracks);
    EXPECT_TRUE(TerrainAsAtStart());
    for (int32_t x = 10; x < 15; ++x)
        for (int32_t y = 10; y < 16; ++y)
        {
            EXPECT_EQ(g_GameMap.Block(x, y).building, nullptr);
            EXPECT_EQ(g_GameMap.Block(x, y).blocked, 0);
        }
    // Hidden, not gone: its owner still counts it.
    EXPECT_EQ(m_World.Player(1).buildingsUnderConstruction[2], 1);
    EXPECT_BUILDINGS_SOUND(m_World);
}

TEST_F(BuildingMap, WallsAndDocksNeitherLevelNorRestoreHeights)
{
    CBuilding* wall = Create(2, 9, 5, 5);
    CBuilding* docks = Create(3, 13, 30, 30);
    ASSERT_TRUE(Place(wall));
    ASSERT_TRUE(Place(docks));
    EXPECT_TRUE(TerrainAsAtStart());
    g_GameMap.CornerHeight(6, 6) = 99;
    g_GameMap.CornerHeight(33, 33) = 77;
    g_GameMap.cornerTextures[33 * MapCornerSide + 33] = 9;
    Hide(wall);
    Hide(docks);
    EXPECT_EQ(g_GameMap.CornerHeight(6, 6), 99);
    EXPECT_EQ(g_GameMap.CornerHeight(33, 33), 77);
    // The docks still give back the textures under them.
    EXPECT_EQ(TextureAt(33, 33), m_Textures[33 * MapCornerSide + 33]);
    EXPECT_BUILDINGS_SOUND(m_World);
}

TEST_F(BuildingMap, ClearedCornerMaskResetsOnlyItsCorners)
{
    // The house's mask: rows 1111, 1111, 1110 from its corner.
    CBuilding* house = Create(4, 5, 40, 40);
    ASSERT_TRUE(Place(house));
    EXPECT_EQ(TextureAt(40, 40), 0);
    EXPECT_EQ(TextureAt(43, 41), 0);
    EXPECT_EQ(TextureAt(42, 42), 0);
    EXPECT_EQ(TextureAt(43, 42), m_Textures[43 * MapCornerSide + 42]);
}

TEST_F(BuildingMap, PlacingOverAnotherBuildingTakesItDownOnce)
{
    CBuilding* house = Create(2, 5, 20, 20);
    ASSERT_TRUE(Place(house));
    house->buildProgress = CBuilding::FinishedProgress;
    house->OnFinished();
    m_World.Find(house)->finished = true;
    EXPECT_EQ(m_World.Player(2).buildingCount, 1);
    EXPECT_GT(SightSum(m_World.Player(2)), 0);
    EXPECT_BUILDINGS_SOUND(m_World);

    CBuilding* tower = Create(3, 6, 21, 21);
    ASSERT_TRUE(Place(tower));
    EXPECT_TRUE(house->IsTakenDown());
    EXPECT_EQ(g_GameMap.Block(20, 20).building, nullptr);
    EXPECT_EQ(g_GameMap.Block(21, 21).building, tower);
    EXPECT_EQ(m_World.Player(2).buildingCount, 0);
    EXPECT_EQ(m_World.Player(2).finishedBuildings[5], 0);
    EXPECT_EQ(SightSum(m_World.Player(2)), 0);
    EXPECT_BUILDINGS_SOUND(m_World);
    m_World.Flush();
    EXPECT_BUILDINGS_SOUND(m_World);
}

TEST_F(BuildingMap, FootprintLeavingTheMapIsRefusedAndChangesNothing)
{
    const int32_t side = g_GameMap.GetWidth();
    const int32_t corners[][2] = {{side - 6, 10}, {10, side - 1}, {-1, 10}, {10, -3}, {side, side}};
    for (const auto& corner : corners)
    {
        CBuilding* castle = Create(1, 1, corner[0], corner[1]);
        CTestLog log;
        EXPECT_FALSE(castle->CanPlaceAt(1, 0, 0, 0));
        EXPECT_FALSE(Place(castle));
        EXPECT_TRUE(log.Contains("#DEBUG: Building footprint outside the map"));
        EXPECT_EQ(castle->placed, 0);
        EXPECT_FALSE(castle->IsOnMap());
        castle->RemoveFromMap();
    }
    EXPECT_TRUE(TerrainAsAtStart());
    EXPECT_EQ(m_World.Player(1).buildingsUnderConstruction[1], 0);
    EXPECT_BUILDINGS_SOUND(m_World);
    // The last column and row of the map still take a building.
    CBuilding* fits = Create(1, 1, side - 7, side - 7);
    EXPECT_TRUE(Place(fits));
    EXPECT_BUILDINGS_SOUND(m_World);
}

TEST_F(BuildingMap, BlocksAreClearedOnlyWhereTheyStillHoldTheBuilding)
{
    CBuilding* first = Create(0, 9, 12, 12);
    CBuilding* second = Create(0, 9, 12, 12);
    ASSERT_TRUE(Place(first));
    // Something else has taken the block since, bypassing placement.
    g_GameMap.Block(12, 12).building = second;
    g_GameMap.Block(12, 12).blocked = 1;
    first->RemoveFromMap();
    EXPECT_EQ(g_GameMap.Block(12, 12).building, second);
    EXPECT_EQ(g_GameMap.Block(12, 12).blocked, 1);
    g_GameMap.Block(12, 12).building = nullptr;
    g_GameMap.Block(12, 12).blocked = 0;
    m_World.Find(first)->onMap = false;
    EXPECT_BUILDINGS_SOUND(m_World);
}

TEST_F(BuildingMap, RepeatedPlacingRemovingAndTakingDownChangeNothingTheSecondTime)
{
    CBuilding* castle = Create(0, 1, 20, 20);
    ASSERT_TRUE(Place(castle));
    EXPECT_FALSE(castle->PlaceOnMap());
    EXPECT_EQ(m_World.Player(0).buildingsUnderConstruction[1], 1);
    Hide(castle);
    const std::vector<uint8_t> tilt(g_GameMap.aiTiltMap, g_GameMap.aiTiltMap + MapBlockCount);
    Hide(castle);
    EXPECT_TRUE(std::equal(tilt.begin(), tilt.end(), g_GameMap.aiTiltMap));
    EXPECT_TRUE(std::all_of(tilt.begin(), tilt.end(), [](uint8_t cell) { return cell == 0; }));
    EXPECT_TRUE(TerrainAsAtStart());
    // Shown again it is counted once.
    ASSERT_TRUE(Place(castle));
    EXPECT_EQ(m_World.Player(0).buildingsUnderConstruction[1], 1);
    EXPECT_BUILDINGS_SOUND(m_World);

    CTestLog log;
    EXPECT_TRUE(castle->TakeDown(true));
    EXPECT_EQ(m_World.Player(0).buildingsUnderConstruction[1], 0);
    EXPECT_FALSE(castle->TakeDown(true));
    EXPECT_EQ(m_World.Player(0).buildingsUnderConstruction[1], 0);
    EXPECT_FALSE(log.Contains("Building duplication in garbage collection"));
    EXPECT_FALSE(castle->PlaceOnMap());
    EXPECT_TRUE(TerrainAsAtStart());
    EXPECT_BUILDINGS_SOUND(m_World);
    m_World.Flush();
}

TEST_F(BuildingMap, TakingDownLetsGoOfTheSelectionAndTheResearch)
{
    CBuilding* monastery = Create(0, 8, 10, 40);
    ASSERT_TRUE(Place(monastery));
    CTechnology& technology = m_World.Player(0).technologies[49];
    technology.researchingBuilding = monastery;
    monastery->research = &technology;
    g_Selection.building = monastery;
    monastery->TakeDown(true);
    EXPECT_EQ(g_Selection.building, nullptr);
    EXPECT_EQ(technology.researchingBuilding, nullptr);
    EXPECT_EQ(monastery->research, nullptr);
    m_World.Flush();
}

namespace
{
constexpr int32_t HostRole = 1;

bool HeardOfDestruction(const CComputerAI& ai, const CBuilding* building)
{
    for (const CComputerAI::SNotice& notice : ai.GetNotices())
        if (notice.kind == CComputerAI::ENotice::ObjectDestroyed && notice.object == building)
            return true;
    return false;
}
}  // namespace

// A 3 x 2 house at (20, 20) has its centre, and so its ruin, on block
// (21, 21); a wall on (20, 20) leaves that ruin standing.
TEST_F(BuildingMap, PlacingOverAnotherBuildingDestroysItWithRuinNoticesAndTheNetworkCommand)
{
    CBuilding* house = Create(0, CastHouse, 20, 20);
    ASSERT_TRUE(Place(house));
    g_Particles.Reset();
    g_Config.networkRole = HostRole;
    g_UnitCommandOutbox.Clear();
    CBuilding* wall = Create(3, CastWall, 20, 20);
    ASSERT_TRUE(Place(wall));
    EXPECT_TRUE(house->IsTakenDown());
    EXPECT_EQ(house->health, 0.0f);
    EXPECT_TRUE(g_Particles.HoldsRuin(house));
    EXPECT_TRUE(HeardOfDestruction(m_World.Player(1).computerAI, house));
    EXPECT_FALSE(HeardOfDestruction(m_World.Player(0).computerAI, house));   // not a computer player
    ASSERT_FALSE(g_UnitCommandOutbox.GetSent().empty());
    EXPECT_EQ(g_UnitCommandOutbox.GetSent().back().command, CUnitCommandOutbox::CommandBuildingDestroyed);
    EXPECT_EQ(g_UnitCommandOutbox.GetSent().back().building, house);
    g_Config.networkRole = 0;
    EXPECT_EQ(g_GameMap.Block(20, 20).building, wall);
    EXPECT_EQ(g_GameMap.Block(21, 20).building, nullptr);
    EXPECT_BUILDINGS_SOUND(m_World);
    m_World.Flush();
    EXPECT_BUILDINGS_SOUND(m_World);
}

// The particles standing on the claimed blocks go: a ruin hands its
// building and a corpse its unit to deferred deletion, blood drops vanish;
// those beside the footprint stay.
TEST_F(BuildingMap, PlacingFreesTheParticlesStandingOnItsBlocks)
{
    g_Particles.Reset();
    CBuilding* house = Create(2, CastHouse, 30, 30);   // its ruin on (31, 31)
    ASSERT_TRUE(Place(house));
    house->Destroy(false);
    m_World.Forget(house);   // the ruin holds it now
    ASSERT_TRUE(g_Particles.HoldsRuin(house));
    CUnit* fallen = m_World.Harness().Spawn(1, UNIT_WARRIOR, 32, 31);
    ASSERT_NE(fallen, nullptr);
    fallen->RemoveFromWorld(false);
    fallen->FinishDeath();
    ASSERT_TRUE(g_Particles.HoldsCorpse(fallen));
    g_Particles.AddBlood(false, 31.5f, 32.25f, 0.0f, 8.0f, false);
    g_Particles.AddBlood(false, 34.5f, 31.5f, 0.0f, 8.0f, true);
    CUnit* beside = m_World.Harness().Spawn(1, UNIT_WARRIOR, 34, 34);
    ASSERT_NE(beside, nullptr);
    beside->RemoveFromWorld(false);
    beside->FinishDeath();

    CBuilding* tower = Create(3, CastTower, 31, 31);   // blocks (31..32, 31..32)
    ASSERT_TRUE(Place(tower));
    EXPECT_FALSE(g_Particles.HoldsRuin(house));
    EXPECT_FALSE(g_Particles.HoldsCorpse(fallen));
    EXPECT_TRUE(g_Particles.HoldsCorpse(beside));
    ASSERT_EQ(g_Particles.GetEffects().size(), 1u);
    EXPECT_EQ(g_Particles.GetEffects()[0].x, 34.5f);
    EXPECT_EQ(g_PtrGarbage.FindUnit(1, fallen->uniqueId), fallen);
    EXPECT_EQ(g_PtrGarbage.FindUnit(1, beside->uniqueId), nullptr);
    m_World.Flush();
    EXPECT_BUILDINGS_SOUND(m_World);
}
