// A building changing hands, finished or under construction, and what the
// old owner had started in it.

#include <gtest/gtest.h>

#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_PtrGarbage.h"
#include "tests/support/SimHarness.h"
#include "world/C_GameMap.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr int32_t Defeated = 3;

CBuilding* House(CSimHarness& world, int32_t x, int32_t y, bool finished)
{
    CBuilding* house = world.Player(Defeated).CreateBuilding(CastHouse, x, y);
    if (finished)
    {
        house->buildProgress = CBuilding::FinishedProgress;
        house->OnFinished();
    }
    return house;
}
}  // namespace

TEST(BuildingCapture, AnUnfinishedBuildingMovesUnlistedAndIsListedOnceWhenFinished)
{
    CSimHarness world;
    CBuilding* house = House(world, 10, 10, false);

    ASSERT_TRUE(house->ConvertToPlayer(0, false));
    EXPECT_EQ(world.Player(Defeated).buildingsUnderConstruction[CastHouse], 0);
    EXPECT_EQ(world.Player(0).buildingsUnderConstruction[CastHouse], 1);
    EXPECT_FALSE(world.Player(0).HasBuilding(house));
    EXPECT_EQ(world.Player(0).buildingSightCounts[10 * MapBlockSide + 10], 0);

    house->buildProgress = CBuilding::FinishedProgress;
    house->OnFinished();
    EXPECT_EQ(world.Player(0).buildingCount, 1);
    EXPECT_EQ(world.Player(0).finishedBuildings[CastHouse], 1);
    EXPECT_EQ(world.Player(0).buildingSightCounts[10 * MapBlockSide + 10], 1);
    house->TakeDown(false);
    g_PtrGarbage.Flush();
}

TEST(BuildingCapture, AFinishedBuildingTakesItsSightAndEndsTheOldOwnersWork)
{
    CSimHarness world;
    CBuilding* house = House(world, 10, 10, true);
    CPlayer& old = world.Player(Defeated);
    const std::vector<uint8_t> sight(old.buildingSightCounts, old.buildingSightCounts + MapBlockCount);
    CTechnology& technology = old.technologies[5];
    technology.researchingBuilding = house;
    house->research = &technology;
    house->queue[0] = &g_UnitStats[1];
    house->queueCount = 1;
    house->productionState = 1;
    house->progress = 40.0f;
    old.CountUnitInProduction(g_UnitStats[1].unitType, +1);

    ASSERT_TRUE(house->ConvertToPlayer(0, true));

    for (int32_t cell = 0; cell < MapBlockCount; ++cell)
    {
        ASSERT_EQ(old.buildingSightCounts[cell], 0) << cell;
        ASSERT_EQ(world.Player(0).buildingSightCounts[cell], sight[cell]) << cell;
    }
    EXPECT_EQ(technology.researchingBuilding, nullptr);
    EXPECT_EQ(house->queueCount, 0);
    EXPECT_EQ(old.queuedUnits, 0);
    EXPECT_EQ(world.Messages().size(), 1u);
    EXPECT_FALSE(house->ConvertToPlayer(8, true));
    house->TakeDown(false);
    g_PtrGarbage.Flush();
}
