#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingResourceTree.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "game/C_MissionObjectives.h"
#include "tests/units/UnitWorld.h"
#include "units/C_Unit_TransportShip.h"
#include "units/C_Unit_Worker.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t Load = 10;

class WorkerWorld : public UnitWorldTest
{
protected:
    void TearDown() override
    {
        UnitWorldTest::TearDown(), g_MissionObjectives.buildSpeed = CMissionObjectives::DefaultBuildSpeed;
    }

    CUnitWorker* Worker(int32_t x, int32_t y, int32_t player = 0)
    {
        return static_cast<CUnitWorker*>(world.Spawn(player, UNIT_WORKER, x, y));
    }
    CBuilding* Building(int32_t cast, int32_t x, int32_t y, bool finished)
    {
        CBuilding* building = world.Player(0).CreateBuilding(cast, x, y);
        if (building != nullptr && finished) building->Construct(0.0f, true);
        return building;
    }
    // TENUMRESOURCE 2 tree, 3 rock, 4 gold mine (with its amount).
    CBuilding* Site(int32_t kind, int32_t x, int32_t y, int32_t amount = 0)
    {
        return world.Player(0).CreateResource(kind, x, y, amount, 1);
    }
};
}  // namespace

TEST_F(WorkerWorld, AWorkerKeepsHarvestingWoodThenStoneInFullLoads)
{
    ASSERT_NE(Building(CastWarehouse, 2, 2, true), nullptr);
    auto* tree = dynamic_cast<CResourceTree*>(Site(CUnitWorker::KindWood, 11, 3));
    CBuilding* rock = Site(CUnitWorker::KindStone, 11, 9);
    CUnitWorker* worker = Worker(9, 3);
    ASSERT_TRUE(tree != nullptr && rock != nullptr && worker != nullptr);
    CPlayer& owner = world.Player(0);
    const int32_t wood0 = owner.wood, stone0 = owner.stone;
    int32_t felledAt = -1;
    bool steps = true;
    auto watch = [&] {
        if (felledAt < 0 && !tree->IsStanding()) felledAt = tree->amount;
        steps = steps && (owner.wood - wood0) % Load == 0 && (owner.stone - stone0) % Load == 0;
        return false;
    };
    g_Particles.ClearEffects();
    worker->onCommand(nullptr, nullptr, tree, tree->x, tree->y, CMD_HARVEST), FramesUntil(1500, watch);
    // An order onto another kind drops the load.
    worker->carriedAmount = 5, worker->onCommand(nullptr, nullptr, rock, rock->x, rock->y, CMD_HARVEST);
    EXPECT_EQ(worker->carriedAmount, 0);
    FramesUntil(1500, watch);

    EXPECT_TRUE(steps && owner.wood - wood0 >= 2 * Load && owner.stone - stone0 >= 2 * Load);
    // Each load delivered rises over the worker: green wood, grey stone.
    int32_t shown[2] = {0, 0};
    for (const SEffectParticle& e : g_Particles.GetEffects())
        if (e.kind == CParticles::KindFloatingNumber && e.height == 80.0f)
            shown[e.colour == 0x808080u] += e.colour == 0x00FF00u || e.colour == 0x808080u ? e.number : 0;
    // Still at it: mining, or on its way with or for a load.
    EXPECT_TRUE(shown[0] == owner.wood - wood0 && shown[1] == owner.stone - stone0 && felledAt == 95 &&
                worker->currentCommand != CMD_NONE);
    worker->carriedAmount = 0, worker->animType = ANIM_CHOP_TREE, worker->onIdle();   // forgets the kind, stands
    EXPECT_TRUE(worker->animType == ANIM_STAND && worker->carriedKind == CUnitWorker::KindNone);
    // Its model by what it does and carries: standing and walking with nothing, wood, stone, gold, then chopping,
    // breaking stone, building, repairing, dismantling.
    std::vector<int32_t> models;
    using W = CUnitWorker;
    for (const int32_t anim : {ANIM_STAND, ANIM_WALK})
        for (const int32_t kind : {W::KindNone, W::KindWood, W::KindStone, W::KindGold})
            worker->animType = anim, worker->carriedKind = kind, worker->carriedAmount = kind == W::KindNone ? 0 : 1,
            worker->SetModelByAnimation(), models.push_back(worker->model);
    for (const int32_t anim : {ANIM_CHOP_TREE, ANIM_MINE_STONE, ANIM_BUILD, ANIM_REPAIR, ANIM_DISMANTLE})
        worker->animType = anim, worker->SetModelByAnimation(), models.push_back(worker->model);
    EXPECT_EQ(models, (std::vector<int32_t>{0, 3, 4, 5, 1, 6, 7, 8, 9, 10, 2, 2, 2}));
    worker->animType = ANIM_STAND, worker->carriedAmount = 0;
    // A walk back to the harvest point that ends short turns into a search for the nearest resource from there.
    worker->currentCommand = CMD_RETURN_TO_HARVEST_POINT, worker->targetKind = TARGET_BLOCK, worker->orderState = 0;
    worker->targetBuilding = worker->targetObject = rock, worker->onMoveEnd();
    EXPECT_TRUE(worker->currentCommand == CMD_FIND_RESOURCE && worker->targetKind == TARGET_RESOURCE &&
                worker->orderState == 1 && worker->targetObject == nullptr && worker->targetBuilding == nullptr);
}

TEST_F(WorkerWorld, TwoWorkersInAMineWithThreeGoldLeftBothComeOutAndDeliverIt)
{
    ASSERT_NE(Building(CastWarehouse, 2, 2, true), nullptr);
    CBuilding* mine = Site(CUnitWorker::KindGold, 14, 14, 3);
    CUnitWorker *first = Worker(13, 14), *second = Worker(13, 16);
    ASSERT_TRUE(mine != nullptr && first != nullptr && second != nullptr);
    for (CUnitWorker* worker : {first, second})
        worker->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    ASSERT_GT(FramesUntil(20, [&] { return !first->onMap && !second->onMap; }), 0);

    EXPECT_GT(FramesUntil(60, [&] { return first->onMap && second->onMap; }), 0);
    EXPECT_TRUE(mine->GetAmount() == 0 && (first->carriedAmount + second->carriedAmount) == 3);
    EXPECT_GT(FramesUntil(800, [&] { return world.Player(0).gold >= 3 && first->carriedAmount == 0; }), 0);
    ExpectWorldSound(world);
    // The closed mine still counts as gold: an order onto it keeps a gold load.
    second->carriedKind = CUnitWorker::KindGold, second->carriedAmount = 2;
    second->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    EXPECT_TRUE(second->carriedAmount == 2 && second->carriedKind == CUnitWorker::KindGold);
    // There it finds no other mine and takes the load to storage.
    EXPECT_GT(FramesUntil(400, [&] { return second->currentCommand == CMD_RETURN_GOODS; }), 0);
    EXPECT_TRUE(second->carriedAmount == 2 && second->carriedKind == CUnitWorker::KindGold);
    // Looking for storage marks the tile it sets out from as the harvest point to come back to.
    second->harvestX = second->harvestY = 0, second->currentCommand = CMD_FIND_STORAGE, second->onPerformAction();
    EXPECT_TRUE(second->harvestX == second->x && second->harvestY == second->y && second->hasHarvestPoint &&
                second->currentCommand == CMD_RETURN_GOODS);
}

// A full load waits inside while every cell around the mine is blocked; on a
// client the miner asks the host for each stroke and once to come out.
TEST_F(WorkerWorld, AMinerStaysInsideUntilAnExitCellIsFreeAndAClientAsksTheHost)
{
    ASSERT_NE(Building(CastWarehouse, 2, 2, true), nullptr);
    CBuilding* mine = Site(CUnitWorker::KindGold, 14, 14, 50);
    CUnitWorker* worker = Worker(13, 14);
    ASSERT_TRUE(mine != nullptr && worker != nullptr);
    worker->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    ASSERT_GT(FramesUntil(20, [&] { return !worker->onMap; }), 0);
    auto blockRing = [](uint8_t blocked) {
        for (int32_t bx = 13; bx <= 18; ++bx)
            for (int32_t by = 13; by <= 19; ++by)
                if (bx == 13 || bx == 18 || by == 13 || by == 19) g_GameMap.Block(bx, by).blocked = blocked;
    };
    blockRing(1);
    EXPECT_TRUE(FramesUntil(100, [&] { return worker->onMap != 0; }) == -1 && worker->animType == ANIM_MINE_GOLD &&
                worker->carriedAmount == Load);
    blockRing(0);
    EXPECT_TRUE(FramesUntil(10, [&] { return worker->onMap != 0; }) > 0 &&
                (worker->currentCommand == CMD_FIND_STORAGE || worker->currentCommand == CMD_RETURN_GOODS));

    g_Config.networkRole = 2, g_LocalPlayer = 1;
    CUnitWorker* client = Worker(13, 15, 1);
    ASSERT_NE(client, nullptr);
    client->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    ASSERT_GT(FramesUntil(20, [&] { return !client->onMap; }), 0);
    const int32_t asked = SentCommands(CMultiplayerGame::CommandRequestHarvest);
    world.Frame(10);
    EXPECT_EQ(SentCommands(CMultiplayerGame::CommandRequestHarvest) - asked, 2);
    client->carriedAmount = Load, world.Frame(20);
    EXPECT_TRUE(SentCommands(CMultiplayerGame::CommandRequestWorkerLeave) == 1 && client->animType == ANIM_MINE_GOLD);
    client->LeaveToStorage(13, 14);
    EXPECT_EQ(client->currentCommand, CMD_FIND_STORAGE);
}

TEST_F(WorkerWorld, AtBuildSpeedTwoAHouseTakesItsCyclesAndTheBuilderMovesOnToTheNextSite)
{
    g_MissionObjectives.buildSpeed = 2;
    CBuilding *house = Building(CastHouse, 10, 10, false), *next = Building(CastHouse, 10, 16, false);
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
    EXPECT_TRUE(cycles == expected && FramesUntil(300, [&] { return worker->actionTargetBuilding == next; }) > 0 &&
                worker->currentCommand == CMD_BUILD);
    // The two building speed technologies (9, 10) raise the rate by 1.1, then by 1.25, the higher one alone too.
    std::vector<float> rates = {worker->GetWorkRate()};
    for (const auto& [technology, progress] : {std::pair{10, 100.0f}, {10, 0.0f}, {9, 100.0f}, {10, 100.0f}})
        world.Research(0, technology, progress), rates.push_back(worker->GetWorkRate());
    EXPECT_EQ(rates, (std::vector<float>{2.0f, 2.5f, 2.0f, 2.2f, 2.5f}));
}

// A builder looks for the next site 15 steps far (the finder's limit): 13 straight steps off it finds one, 14 not.
TEST_F(WorkerWorld, ABuilderLooksForTheNextSiteFifteenStepsFar)
{
    for (const auto& [offset, found] : {std::pair{14, true}, {15, false}})
    {
        CBuilding* site = Building(CastHouse, 10 + offset, 30, false);
        CUnitWorker* seeker = Worker(10, 30);
        seeker->InitAction(nullptr, nullptr, nullptr, 10, 30, CMD_FIND_UNCOMPLETED_BUILDING, TARGET_BUILDING, true,
                           false);
        FramesUntil(100, [&] { return seeker->currentCommand != CMD_FIND_UNCOMPLETED_BUILDING; });
        EXPECT_EQ(seeker->targetBuilding == site, found) << offset;
        world.Delete(seeker), site->TakeDown(false);
    }
}

TEST_F(WorkerWorld, RepairPaysFromThePurseUntilThePlayerRunsDryAndOnlyMachinesAreRepaired)
{
    UseTexts("MSG_SLAVEOUTOFRES,\"No resources\"\n");
    CUnit *catapult = world.Spawn(0, UNIT_CATAPULT, 10, 10), *warrior = world.Spawn(0, UNIT_WARRIOR, 10, 14);
    CUnitWorker* worker = Worker(12, 10);
    ASSERT_TRUE(catapult != nullptr && warrior != nullptr && worker != nullptr);
    worker->onCommand(warrior, nullptr, nullptr, warrior->x, warrior->y, CMD_REPAIR);
    EXPECT_EQ(worker->currentCommand, CMD_NONE);

    float cost[3] = {0.0f, 0.0f, 0.0f};
    catapult->GetRepairCost(&cost[0], &cost[1], &cost[2]);
    ASSERT_GT(cost[0], 0.0f);
    catapult->health = 50.0f;
    CPlayer& owner = world.Player(0);
    owner.wood = 1, worker->onCommand(catapult, nullptr, nullptr, catapult->x, catapult->y, CMD_REPAIR);
    ASSERT_GT(FramesUntil(2000, [&] { return worker->currentCommand == CMD_NONE; }), 0);
    // One unit went into the purse and paid whole cycles of its cost.
    EXPECT_NEAR(worker->purseWood, 1.0f - cost[0] * std::floor(1.0f / cost[0]), 1e-4f);
    EXPECT_TRUE(owner.wood == 0 && catapult->health > 50.0f && !world.Messages().empty() &&
                world.Messages().back().text == "No resources" && world.Messages().back().colour == 0xFFFF00u);
    // A tower's repair costs one stone a cycle: one stone pays one cycle.
    CBuilding* tower = Building(CastTower, 20, 20, true);
    tower->health = 50.0f, owner.stone = 1, worker->onCommand(nullptr, tower, nullptr, 20, 20, CMD_REPAIR);
    ASSERT_GT(FramesUntil(2000, [&] { return worker->currentCommand == CMD_NONE; }), 0);
    EXPECT_TRUE(owner.stone == 0 && worker->purseStone == 0.0f && tower->health > 50.0f && tower->health < 51.0f)
        << tower->health;
}

TEST_F(WorkerWorld, DismantlingAtHalfHealthRefundsAQuarterOfThePriceAndAHitWorkerFleesBeyondTheAttackersSight)
{
    g_Config.networkRole = 1;   // on the host: the other machines learn that the building is gone
    CBuilding* barracks = Building(CastBarracks, 10, 10, true);
    CUnitWorker *first = Worker(9, 10), *second = Worker(9, 11);
    ASSERT_TRUE(barracks != nullptr && first != nullptr && second != nullptr);
    const CUnitStats* price = barracks->GetPriceRecord();
    ASSERT_NE(price, nullptr);
    barracks->health = 50.0f;
    CPlayer& owner = world.Player(0);
    const int32_t before[3] = {owner.wood, owner.stone, owner.gold};
    const int32_t lost = owner.statistics[STAT_BUILDINGS_LOST];
    g_Selection.SelectBuilding(barracks);
    const float centreX = static_cast<float>(barracks->x) + static_cast<float>(barracks->GetWidth()) * 0.5f;
    for (CUnitWorker* worker : {first, second})
        worker->onCommand(nullptr, barracks, nullptr, barracks->x, barracks->y, CMD_DISMANTLE);
    ASSERT_GT(FramesUntil(1000, [&] { return !owner.HasBuilding(barracks); }), 0);
    EXPECT_EQ(g_Selection.building, nullptr);
    // Gold, stone and wood rise side by side over the barracks' centre.
    const int32_t refunds[3] = {owner.gold - before[2], owner.stone - before[1], owner.wood - before[0]};
    EXPECT_EQ(std::vector<int32_t>(refunds, refunds + 3),
              (std::vector<int32_t>{price->goldCost / 2 * 50 / 100, price->stoneCost / 2 * 50 / 100,
                                    price->woodCost / 2 * 50 / 100}));
    const uint32_t colours[3] = {0xFFFF00, 0x808080, 0x00FF00};
    const SEffectParticle* shown = &g_Particles.GetEffects().back() - 2;
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(shown[i].kind == CParticles::KindFloatingNumber && shown[i].number == refunds[i] &&
                    shown[i].colour == colours[i] && shown[i].x == centreX + 0.5f * (i - 1) &&
                    shown[i].height == 80.0f) << i;
    EXPECT_TRUE(owner.statistics[STAT_WOOD_HARVESTED] == 0 && owner.statistics[STAT_BUILDINGS_LOST] == lost &&
                SentCommands(CMultiplayerGame::CommandResourceRemoved) == 1);
    g_Config.networkRole = 0, world.Frame(1);
    EXPECT_TRUE(first->currentCommand == CMD_NONE && second->actionTargetBuilding == nullptr);

    CUnitWorker* worker = Worker(20, 20);   // hit, it flees beyond the attacker's sight with its load and stays
    CUnit* warrior = world.Spawn(1, UNIT_WARRIOR, 22, 20);
    ASSERT_TRUE(worker != nullptr && warrior != nullptr);
    worker->carriedKind = CUnitWorker::KindWood, worker->carriedAmount = 4;
    worker->TakeHit(warrior, 1, DAMAGE_BLADE, true);
    FramesUntil(300, [] { return false; });
    const int32_t away = std::max(std::abs(worker->x - 22), std::abs(worker->y - 20));
    EXPECT_TRUE(away > warrior->GetSightRadius() / 2 && away <= 2 * warrior->GetSightRadius() &&
                worker->currentCommand == CMD_NONE && worker->carriedAmount == 4) << away;
}

// Land west of column 24, water east: a tree on the shore, the worker beside it, a ship beside the worker.
TEST_F(WorkerWorld, AWorkerOrderedAboardFromItsChopIsOnlyCargoUntilTheShipPutsItAshore)
{
    for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
        for (int32_t bx = 24; bx < g_GameMap.GetWidth(); ++bx) g_GameMap.Block(bx, by).waterLevel = 9;
    CBuilding* tree = Site(CUnitWorker::KindWood, 22, 20);
    CUnitWorker* worker = Worker(23, 20);
    auto* ship = static_cast<CUnitTransportShip*>(world.Spawn(0, UNIT_TRANSPORTSHIP, 24, 20));
    ASSERT_TRUE(tree != nullptr && worker != nullptr && ship != nullptr);
    worker->onCommand(nullptr, nullptr, tree, tree->x, tree->y, CMD_HARVEST);
    ASSERT_GT(FramesUntil(5, [&] { return worker->animType == ANIM_CHOP_TREE; }), 0);
    worker->onCommand(ship, nullptr, nullptr, ship->x, ship->y, CMD_GARRISON_SHIP);
    ASSERT_GT(FramesUntil(5, [&] { return !worker->onMap; }), 0);
    EXPECT_EQ(std::pair(worker->animType, worker->animFrame), std::pair(int32_t(ANIM_STAND), 0.0f));   // no stroke
    const int32_t wood = tree->GetAmount();
    // Many strokes' time aboard: no stroke, no way out, nothing of it on the map.
    EXPECT_EQ(FramesUntil(300, [&] { return worker->onMap || worker->animType != ANIM_STAND; }), -1);
    worker->GoToStorage();   // in no mine to leave
    EXPECT_TRUE(!worker->onMap && ship->IsCarrying(worker) && tree->GetAmount() == wood &&
                g_GameMap.Block(0, 0).unit == nullptr);
    ship->UnloadAll();
    EXPECT_TRUE(worker->onMap && ship->GetCargoCount() == 0 && g_GameMap.Block(worker->x, worker->y).unit == worker &&
                worker->x == 23 && worker->y >= 19 && worker->y <= 23) << worker->x << "," << worker->y;
    worker->GoToStorage();   // ashore: a threaded search for storage from where it stands
    EXPECT_EQ(std::tuple(worker->currentCommand, worker->orderState, worker->targetKind, worker->threaded + 0),
              std::tuple(CMD_FIND_STORAGE, 1, TARGET_BUILDING, 1));
    // A catapult and a priest ordered aboard walk to the ship and are carried.
    for (const int32_t type : {UNIT_CATAPULT, UNIT_PRIEST})
    {
        CUnit* passenger = world.Spawn(0, type, 18, 14);
        ASSERT_NE(passenger, nullptr);
        passenger->onCommand(ship, nullptr, nullptr, ship->x, ship->y, CMD_GARRISON_SHIP);
        EXPECT_GT(FramesUntil(400, [&] { return !passenger->onMap; }), 0);
        EXPECT_TRUE(ship->IsCarrying(passenger) && passenger->currentCommand == CMD_NONE) << type;
    }
}
