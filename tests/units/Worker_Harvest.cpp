// The harvest loop on a small map: wood and stone delivered in full loads,
// the tree felled by its stroke below 96, the way back from the far side of
// a tree, the gold mine whose last units two workers inside share, the
// closed mine that counts as gold, and a miner waiting inside for a way out.

#include "Worker_World.h"

#include "buildings/C_BuildingResourceTree.h"
#include "net/C_UnitCommandOutbox.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t Load = 10;
}

TEST_F(WorkerWorld, AWorkerKeepsHarvestingWoodThenStoneInFullLoads)
{
    ASSERT_NE(Building(CastWarehouse, 2, 2, true), nullptr);
    auto* tree = dynamic_cast<CResourceTree*>(Site(CUnitWorker::KindWood, 11, 3));
    CBuilding* rock = Site(CUnitWorker::KindStone, 11, 9);
    CUnitWorker* worker = Worker(9, 3);
    ASSERT_TRUE(tree != nullptr && rock != nullptr && worker != nullptr);
    CPlayer& owner = world.Player(0);
    const int32_t wood0 = owner.wood;
    const int32_t stone0 = owner.stone;
    int32_t felledAt = -1;
    bool steps = true;
    auto watch = [&] {
        if (felledAt < 0 && !tree->IsStanding())
            felledAt = tree->amount;
        steps = steps && (owner.wood - wood0) % Load == 0 && (owner.stone - stone0) % Load == 0;
        return false;
    };
    worker->onCommand(nullptr, nullptr, tree, tree->x, tree->y, CMD_HARVEST);
    FramesUntil(1500, watch);
    // An order onto another kind drops the load.
    worker->carriedAmount = 5;
    worker->onCommand(nullptr, nullptr, rock, rock->x, rock->y, CMD_HARVEST);
    EXPECT_EQ(worker->carriedAmount, 0);
    FramesUntil(1500, watch);

    EXPECT_TRUE(steps);
    EXPECT_GE(owner.wood - wood0, 2 * Load);
    EXPECT_GE(owner.stone - stone0, 2 * Load);
    EXPECT_EQ(felledAt, 95);
    // Still at it: mining, or on its way with or for a load.
    EXPECT_NE(worker->currentCommand, CMD_NONE);
    ExpectSound();
}

TEST_F(WorkerWorld, AfterDeliveringFromTheFarSideTheWorkerHarvestsAgainFromTheNearSide)
{
    ASSERT_NE(Building(CastWarehouse, 2, 2, true), nullptr);
    CBuilding* tree = Site(CUnitWorker::KindWood, 11, 3);
    CUnitWorker* worker = Worker(12, 3);
    ASSERT_TRUE(tree != nullptr && worker != nullptr);
    worker->carriedKind = CUnitWorker::KindWood;
    worker->carriedAmount = Load;
    const int32_t wood0 = world.Player(0).wood;
    worker->GoToStorage();
    ASSERT_GT(FramesUntil(600, [&] { return worker->carriedAmount == 0; }), 0);
    ASSERT_EQ(worker->currentCommand, CMD_RETURN_TO_HARVEST_POINT);
    EXPECT_GT(FramesUntil(600, [&] { return worker->animType == ANIM_CHOP_TREE; }), 0);
    EXPECT_LT(worker->x, tree->x);
    EXPECT_EQ(world.Player(0).wood, wood0 + Load);
}

TEST_F(WorkerWorld, TwoWorkersInAMineWithThreeGoldLeftBothComeOutAndDeliverIt)
{
    ASSERT_NE(Building(CastWarehouse, 2, 2, true), nullptr);
    CBuilding* mine = Site(CUnitWorker::KindGold, 14, 14, 3);
    CUnitWorker* first = Worker(13, 14);
    CUnitWorker* second = Worker(13, 16);
    ASSERT_TRUE(mine != nullptr && first != nullptr && second != nullptr);
    for (CUnitWorker* worker : {first, second})
        worker->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    ASSERT_GT(FramesUntil(20, [&] { return !first->onMap && !second->onMap; }), 0);

    EXPECT_GT(FramesUntil(60, [&] { return first->onMap && second->onMap; }), 0);
    EXPECT_EQ(mine->GetResourceAmount(), 0);
    EXPECT_EQ(first->carriedAmount + second->carriedAmount, 3);
    EXPECT_GT(FramesUntil(800, [&] { return world.Player(0).gold >= 3 && first->carriedAmount == 0; }), 0);
    ExpectSound();
    // The closed mine still counts as gold: an order onto it keeps a gold load.
    second->carriedKind = CUnitWorker::KindGold;
    second->carriedAmount = 2;
    second->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    EXPECT_EQ(second->carriedAmount, 2);
    EXPECT_EQ(second->carriedKind, CUnitWorker::KindGold);
}

TEST_F(WorkerWorld, AWorkerInsideStaysInMiningUntilAnExitCellIsFree)
{
    ASSERT_NE(Building(CastWarehouse, 2, 2, true), nullptr);
    CBuilding* mine = Site(CUnitWorker::KindGold, 14, 14, 50);
    CUnitWorker* worker = Worker(13, 14);
    ASSERT_TRUE(mine != nullptr && worker != nullptr);
    worker->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    ASSERT_GT(FramesUntil(20, [&] { return !worker->onMap; }), 0);
    // Every cell around the mine blocked: the full load waits inside.
    auto blockRing = [](uint8_t blocked) {
        for (int32_t bx = 13; bx <= 18; ++bx)
            for (int32_t by = 13; by <= 19; ++by)
                if (bx == 13 || bx == 18 || by == 13 || by == 19)
                    g_GameMap.Block(bx, by).blocked = blocked;
    };
    blockRing(1);
    EXPECT_EQ(FramesUntil(100, [&] { return worker->onMap != 0; }), -1);
    EXPECT_EQ(worker->animType, ANIM_MINE_GOLD);
    EXPECT_EQ(worker->carriedAmount, worker->GetCarryLimit());
    blockRing(0);
    EXPECT_GT(FramesUntil(10, [&] { return worker->onMap != 0; }), 0);
    EXPECT_TRUE(worker->currentCommand == CMD_FIND_STORAGE || worker->currentCommand == CMD_RETURN_GOODS)
        << worker->currentCommand;
    ExpectSound();
}

TEST_F(WorkerWorld, OnAClientTheMinerAsksTheHostForEachStrokeAndOnceToComeOut)
{
    constexpr int32_t Client = 2;
    g_Config.networkRole = Client;
    g_LocalPlayer = 1;
    CBuilding* mine = Site(CUnitWorker::KindGold, 14, 14, 50);
    CUnitWorker* worker = Worker(13, 14, 1);
    ASSERT_TRUE(mine != nullptr && worker != nullptr);
    worker->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    ASSERT_GT(FramesUntil(20, [&] { return !worker->onMap; }), 0);
    auto sent = [](int32_t command) {
        int32_t count = 0;
        for (const CUnitCommandOutbox::SCommand& entry : g_UnitCommandOutbox.GetSent())
            count += entry.command == command ? 1 : 0;
        return count;
    };
    world.Frame(10);
    EXPECT_EQ(sent(CUnitCommandOutbox::CommandRequestHarvest), 2);
    worker->carriedAmount = worker->GetCarryLimit();
    world.Frame(20);
    EXPECT_EQ(sent(CUnitCommandOutbox::CommandRequestWorkerLeave), 1);
    EXPECT_EQ(worker->animType, ANIM_MINE_GOLD);
    worker->LeaveToStorage(13, 14);
    EXPECT_EQ(worker->onMap, 1);
    EXPECT_EQ(worker->currentCommand, CMD_FIND_STORAGE);
}
