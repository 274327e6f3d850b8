// The worker's work on buildings and machines: a house built in the cycles
// its build speed gives, a machine repaired from the purse until the player
// runs dry, a building dismantled for half its price by its health; and
// the flight of a worker that is hit.

#include "Worker_World.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "world/C_UnitStats.h"

namespace
{
constexpr uint32_t Yellow = 0xFFFF00;
}

TEST_F(WorkerWorld, AtBuildSpeedTwoAHouseTakesItsCyclesAndTheBuilderMovesOnToTheNextSite)
{
    g_MissionObjectives.buildSpeed = 2;
    CBuilding* house = Building(CastHouse, 10, 10, false);
    CBuilding* next = Building(CastHouse, 10, 16, false);
    CUnitWorker* worker = Worker(9, 10);
    ASSERT_TRUE(house != nullptr && next != nullptr && worker != nullptr);
    const float step = 2.0f * house->GetRepairRate();
    const int32_t expected = static_cast<int32_t>(std::ceil((100.0f - house->buildProgress) / step));
    worker->onCommand(nullptr, house, nullptr, house->x, house->y, CMD_BUILD);
    int32_t cycles = 0;
    float last = house->buildProgress;
    auto countCycles = [&] {
        cycles += std::exchange(last, house->buildProgress) != house->buildProgress ? 1 : 0;
        return house->IsFinished();
    };
    ASSERT_GT(FramesUntil(expected * 40 + 40, countCycles), 0);
    EXPECT_EQ(cycles, expected);
    EXPECT_GT(FramesUntil(300, [&] { return worker->actionTargetBuilding == next; }), 0);
    EXPECT_EQ(worker->currentCommand, CMD_BUILD);
    ExpectSound();
}

TEST_F(WorkerWorld, RepairPaysFromThePurseUntilThePlayerRunsDryAndOnlyMachinesAreRepaired)
{
    const std::string text = "MSG_SLAVEOUTOFRES,\"No resources\"\n";
    ASSERT_TRUE(g_Localizer.LoadLocaleText("worker", text.c_str(), int(text.size())));
    CUnit* catapult = world.Spawn(0, UNIT_CATAPULT, 10, 10);
    CUnit* warrior = world.Spawn(0, UNIT_WARRIOR, 10, 14);
    CUnitWorker* worker = Worker(12, 10);
    ASSERT_TRUE(catapult != nullptr && warrior != nullptr && worker != nullptr);
    worker->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_REPAIR);
    EXPECT_EQ(worker->currentCommand, CMD_NONE);

    float cost[3] = {0.0f, 0.0f, 0.0f};
    catapult->GetRepairCost(&cost[0], &cost[1], &cost[2]);
    ASSERT_GT(cost[0], 0.0f);
    catapult->health = 50.0f;
    CPlayer& owner = world.Player(0);
    owner.wood = 1;
    worker->onCommand(catapult, nullptr, nullptr, catapult->x, catapult->y, CMD_REPAIR);
    ASSERT_GT(FramesUntil(2000, [&] { return worker->currentCommand == CMD_NONE; }), 0);
    // One unit went into the purse and paid whole cycles of its cost.
    EXPECT_EQ(owner.wood, 0);
    EXPECT_NEAR(worker->purseWood, 1.0f - cost[0] * std::floor(1.0f / cost[0]), 1e-4f);
    EXPECT_GT(catapult->health, 50.0f);
    ASSERT_FALSE(world.Messages().empty());
    EXPECT_EQ(world.Messages().back().text, "No resources");
    EXPECT_EQ(world.Messages().back().colour, Yellow);
    ExpectSound();
}

TEST_F(WorkerWorld, DismantlingAtHalfHealthRefundsAQuarterOfThePriceAndCountsNoLoss)
{
    CBuilding* barracks = Building(CastBarracks, 10, 10, true);
    CUnitWorker* first = Worker(9, 10);
    CUnitWorker* second = Worker(9, 11);
    ASSERT_TRUE(barracks != nullptr && first != nullptr && second != nullptr);
    const CUnitStats* price = barracks->GetPriceRecord();
    ASSERT_NE(price, nullptr);
    barracks->health = 50.0f;
    CPlayer& owner = world.Player(0);
    const int32_t before[3] = {owner.wood, owner.stone, owner.gold};
    const int32_t lost = owner.statistics[STAT_BUILDINGS_LOST];
    for (CUnitWorker* worker : {first, second})
        worker->onCommand(nullptr, barracks, nullptr, barracks->x, barracks->y, CMD_DISMANTLE);
    // Deleted with its frame: only its absence is seen.
    ASSERT_GT(FramesUntil(1000, [&] { return !owner.HasBuilding(barracks); }), 0);

    EXPECT_EQ(owner.wood - before[0], price->woodCost / 2 * 50 / 100);
    EXPECT_EQ(owner.stone - before[1], price->stoneCost / 2 * 50 / 100);
    EXPECT_EQ(owner.gold - before[2], price->goldCost / 2 * 50 / 100);
    EXPECT_EQ(owner.statistics[STAT_WOOD_HARVESTED], 0);
    EXPECT_EQ(owner.statistics[STAT_BUILDINGS_LOST], lost);
    world.Frame(1);
    EXPECT_EQ(first->currentCommand, CMD_NONE);
    EXPECT_EQ(second->actionTargetBuilding, nullptr);
    ExpectSound();
}

TEST_F(WorkerWorld, AHitWorkerFleesBeyondTheAttackersSightWithItsLoadAndStaysThere)
{
    CUnitWorker* worker = Worker(20, 20);
    CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 22, 20);
    ASSERT_TRUE(worker != nullptr && warrior != nullptr);
    worker->carriedKind = CUnitWorker::KindWood;
    worker->carriedAmount = 4;
    worker->TakeHit(warrior, 1, 1, true);
    FramesUntil(300, [] { return false; });
    const int32_t away = std::max(std::abs(worker->x - 22), std::abs(worker->y - 20));
    EXPECT_GT(away, warrior->GetSightRadius() / 2);
    EXPECT_LE(away, 2 * warrior->GetSightRadius());
    EXPECT_EQ(worker->currentCommand, CMD_NONE);
    EXPECT_EQ(worker->carriedAmount, 4);
}
