#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "game/C_Selection.h"
#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"

namespace
{
constexpr int32_t Neutral = 2, Defeated = 3, Computer = 4;   // players of type 0, 4 and computer
constexpr uint32_t Green = 0x0000FF00;

class Capture : public UnitWorldTest
{
protected:
    Capture() { world.Player(Neutral).type = PLAYER_NONE, world.Player(Defeated).type = PLAYER_DEFEATED; }
    void TearDown() override
    {
        UnitWorldTest::TearDown();
        for (CBuilding* building : buildings) building->TakeDown(false);
        g_PtrGarbage.Flush(), g_LocalPlayer = 0;
    }
    CBuilding* House(int32_t owner, int32_t x, int32_t y, bool finished = true)
    {
        CBuilding* house = buildings.emplace_back(world.Player(owner).CreateBuilding(CastHouse, x, y));
        if (finished) Finish(house);
        return house;
    }
    static void Finish(CBuilding* house) { house->buildProgress = CBuilding::FinishedProgress; house->OnFinished(); }
    // The objects the requests of that command ask for, as references.
    static std::vector<int32_t> Sent(int32_t command)
    {
        std::vector<int32_t> named;
        for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
            if (sent.packet.Command() == command) named.push_back(sent.packet.Value(1));
        return named;
    }

    std::vector<CBuilding*> buildings;
};
}  // namespace

TEST_F(Capture, AWalkerTakesAChainOfTouchingUnitsAndABuilding)
{
    CUnit* walker = Walker(0, 10, 20);
    CUnit* first = world.Spawn(Neutral, UNIT_WARRIOR, 15, 21);    // touches the walker's goal
    CUnit* second = world.Spawn(Defeated, UNIT_WARRIOR, 16, 22);  // touches the first
    CUnit* third = world.Spawn(Neutral, UNIT_WARRIOR, 17, 23);    // touches the second
    CUnit* computers = world.Spawn(Computer, UNIT_WARRIOR, 18, 24);
    CUnit *dying = world.Spawn(Defeated, UNIT_WARRIOR, 14, 22), *apart = world.Spawn(Defeated, UNIT_WARRIOR, 30, 30);
    CBuilding* house = House(Defeated, 18, 21);                   // block (18, 22) touches the third
    dying->RemoveFromWorld(false);
    const int32_t lost = world.Player(Defeated).statistics[STAT_BUILDINGS_LOST];

    MoveTo(walker, 14, 20);
    for (int32_t frame = 0; frame < 80; ++frame)
    {
        ASSERT_TRUE(FrameSound());
        // One block short of the goal nothing touches yet.
        ASSERT_TRUE(walker->x != 13 || first->player == Neutral);
    }
    ASSERT_EQ(walker->x, 14);
    EXPECT_EQ(std::vector<int32_t>({first->player, second->player, third->player, computers->player, dying->player,
                                    apart->player, house->owner}),
              std::vector<int32_t>({0, 0, 0, Computer, Defeated, Defeated, 0}));
    EXPECT_TRUE(world.Player(0).HasBuilding(house) && world.Player(0).finishedBuildings[CastHouse] == 1 &&
                world.Player(Defeated).finishedBuildings[CastHouse] == 0 && g_MultiplayerGame.GetSent().empty() &&
                world.Player(Defeated).statistics[STAT_BUILDINGS_LOST] == lost && world.Messages().size() == 4u);
    // Each takes its new owner's next id: the old owners' ids 0, 0 and 1 are the walker's and each other's.
    EXPECT_EQ((std::vector<int32_t>{walker->uniqueId, first->uniqueId, second->uniqueId, third->uniqueId}),
              (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST_F(Capture, ALongWindingLineChangesSidesInOneStep)
{
    // Rows 10, 12 and 14 of 44 units each, joined at alternate ends.
    for (int32_t row = 0; row < 3; ++row)
    {
        for (int32_t x = 2; x <= 45; ++x) world.Spawn(Defeated, UNIT_WARRIOR, x, 10 + 2 * row);
        if (row < 2) world.Spawn(Defeated, UNIT_WARRIOR, row == 0 ? 45 : 2, 11 + 2 * row);
    }
    ASSERT_EQ(world.Player(Defeated).unitCount, 134);
    world.Spawn(0, UNIT_WARRIOR, 1, 9)->CaptureAdjacent();
    EXPECT_TRUE(world.Player(0).unitCount == 135 && world.Player(Defeated).unitCount == 0 &&
                world.CheckInvariants().empty());
}

TEST_F(Capture, AClientAsksTheHostOnceForEachTouchedObjectAndOnlyForItsOwnUnits)
{
    g_Config.networkRole = 2, g_LocalPlayer = 1;
    CUnit *capturer = world.Spawn(1, UNIT_WARRIOR, 10, 10), *first = world.Spawn(Defeated, UNIT_WARRIOR, 11, 10);
    CUnit* second = world.Spawn(Defeated, UNIT_WARRIOR, 11, 11);
    world.Spawn(Defeated, UNIT_WARRIOR, 12, 11);                   // touches only the second
    CBuilding* house = House(Defeated, 7, 9);                      // blocks 7..9 x 9..10
    CUnit* remote = world.Spawn(5, UNIT_WARRIOR, 12, 9);
    g_MultiplayerGame.ClearSent();

    capturer->SetTile(10, 10), remote->SetTile(12, 9);
    EXPECT_EQ(Sent(CMultiplayerGame::CommandRequestConvertUnit), (std::vector<int32_t>{Ref(first), Ref(second)}));
    EXPECT_EQ(Sent(CMultiplayerGame::CommandConvertBuilding), (std::vector<int32_t>{Ref(house)}));
    for (const CMultiplayer::SSentPacket& sent : g_MultiplayerGame.GetSent())
        EXPECT_TRUE(sent.target == 0 && sent.packet.Value(0) == Ref(capturer));
    EXPECT_EQ(first->player, Defeated);

    // The host's answer converts here; the owner goes on asking from there.
    g_MultiplayerGame.ClearSent();
    capturer->OnNetworkConvertUnit(second, 0x7FFFF), capturer->OnNetworkConvertUnit(first, 0x80000);
    EXPECT_TRUE(second->player == 1 && second->uniqueId == 0x7FFFF && first->player == Defeated &&
                Sent(CMultiplayerGame::CommandRequestConvertUnit).size() == 2u && world.Messages().size() == 1u);
    // The host's own unit converts at once and tells every machine, naming the unit by its old owner and id.
    g_Config.networkRole = 1, g_LocalPlayer = 0;
    CUnit *third = world.Spawn(Defeated, UNIT_WARRIOR, 9, 12), *hosts = world.Spawn(0, UNIT_WARRIOR, 20, 20);
    const int32_t thirdRef = Ref(third);
    g_MultiplayerGame.ClearSent(), hosts->SetTile(8, 11);   // touching the third and the house
    EXPECT_TRUE(Sent(CMultiplayerGame::CommandUnitConverted) == std::vector<int32_t>{thirdRef} && house->owner == 0 &&
                Sent(CMultiplayerGame::CommandBuildingConverted) == std::vector<int32_t>{Ref(house)} && !third->player);
}

TEST_F(Capture, ABuildingTakesItsSightListingAndTheOldOwnersWorkWhenFinished)
{
    CBuilding* unfinished = House(Defeated, 30, 30, false);
    ASSERT_TRUE(unfinished->ConvertToPlayer(0, false));
    EXPECT_TRUE(world.Player(Defeated).buildingsUnderConstruction[CastHouse] == 0 &&
                world.Player(0).buildingsUnderConstruction[CastHouse] == 1 &&
                !world.Player(0).HasBuilding(unfinished) && world.Player(0).buildingCount == 0);

    CBuilding* house = House(Defeated, 10, 10);
    CPlayer& old = world.Player(Defeated);
    const std::vector<uint8_t> sight(old.buildingSightCounts, old.buildingSightCounts + MapBlockCount);
    CTechnology& technology = old.technologies[5];
    technology.researchingBuilding = house, house->research = &technology, house->queue[0] = &g_UnitStats[1];
    house->queueCount = house->productionState = 1, house->progress = 40.0f;
    old.CountUnitInProduction(g_UnitStats[1].unitType, +1);
    ASSERT_TRUE(house->ConvertToPlayer(0, true));
    EXPECT_EQ(std::vector<uint8_t>(old.buildingSightCounts, old.buildingSightCounts + MapBlockCount),
              std::vector<uint8_t>(MapBlockCount, 0));
    EXPECT_EQ(std::vector<uint8_t>(world.Player(0).buildingSightCounts,
                                   world.Player(0).buildingSightCounts + MapBlockCount), sight);
    EXPECT_TRUE(technology.researchingBuilding == nullptr && house->queueCount == 1 && old.queuedUnits == 0 &&
                world.Messages().size() == 1u && !house->ConvertToPlayer(8, true));

    // Listed once, when it is finished.
    Finish(unfinished);
    EXPECT_TRUE(world.Player(0).buildingCount == 2 && world.Player(0).finishedBuildings[CastHouse] == 2 &&
                world.Player(0).buildingSightCounts[30 * MapBlockSide + 30] == 1);
}

// A defeated player keeps its workers, each ending its walk at the next block, and loses its soldiers.
TEST_F(Capture, ADefeatedPlayersWorkerStopsAtItsNextBlockAndItsSoldiersLeave)
{
    world.Player(1).type = PLAYER_REMOTE;
    CUnit *worker = world.Spawn(1, UNIT_WORKER, 10, 10), *soldier = world.Spawn(1, UNIT_WARRIOR, 20, 20);
    ASSERT_TRUE(worker != nullptr && soldier != nullptr);
    worker->onCommand(nullptr, nullptr, nullptr, 40, 10, CMD_MOVE_TO);
    ASSERT_GE(FramesUntil(500, [&] { return worker->x > 12; }), 0);
    const int32_t x = worker->x;
    world.Player(1).SetDefeated(), world.Frame(300);
    EXPECT_TRUE(world.Player(1).HasUnit(worker) && !world.Player(1).HasUnit(soldier) && worker->onMap &&
                worker->animType == ANIM_STAND && worker->x <= x + 1 && worker->currentCommand == CMD_NONE)
        << worker->x << " " << x;
}

TEST_F(Capture, AConvertedUnitChangesListsButIsNoLossAndTheLocalPlayerSeesItUnlessItIsRefused)
{
    g_Particles.Reset();
    CUnit *unit = world.Spawn(1, UNIT_WARRIOR, 10, 10), *second = world.Spawn(1, UNIT_WARRIOR, 20, 20);
    CUnit* hunter = world.Spawn(0, UNIT_WARRIOR, 40, 40);
    ASSERT_TRUE(unit != nullptr && second != nullptr && hunter != nullptr);
    hunter->targetUnit = hunter->attacker = unit, unit->onCommand(nullptr, nullptr, nullptr, 15, 15, CMD_MOVE_TO);
    const int32_t lost = world.Player(1).statistics[STAT_UNITS_LOST];
    const auto explored = [&](int32_t x, int32_t y) { return world.Player(0).exploredMap[x * MapCornerSide + y]; };
    ASSERT_TRUE(explored(10, 10) + explored(13, 10) == 0 && unit->ConvertToPlayer(0, false) && unit->player == 0 &&
                !world.Player(1).HasUnit(unit) && world.Player(0).HasUnit(unit) &&
                world.Player(1).unitsByType[UNIT_WARRIOR] == 1 && world.Player(0).unitsByType[UNIT_WARRIOR] == 2);
    // At once: no loss, its order dropped, the new owner sees around it and its units let it go.
    EXPECT_TRUE(world.Player(1).statistics[STAT_UNITS_LOST] == lost && unit->currentCommand == CMD_NONE &&
                hunter->targetUnit == nullptr && hunter->attacker == nullptr && explored(10, 10) != 0 &&
                explored(13, 10) != 0 && explored(30, 30) == 0);
    // The local player always gets the mark, and the message when asked.
    EXPECT_TRUE(g_Particles.GetTargetMarkCount() == 1 &&
                world.Markers() == (std::vector<int32_t>{10, 10, static_cast<int32_t>(Green)}));
    const size_t messagesBefore = world.Messages().size();
    EXPECT_TRUE(second->ConvertToPlayer(0, true) && g_Particles.GetTargetMarkCount() == 2);
    EXPECT_TRUE(world.Messages().size() == messagesBefore + 1 && world.Messages().back().colour == Green);
    // Given away, it leaves the local player's selection.
    g_Selection.AddUnit(second, 0);
    EXPECT_TRUE(second->ConvertToPlayer(1, false) && g_Selection.unitCount == 0);
    // Refused into a full list, to its own player or to none, off the map and when dying.
    for (int32_t i = 0; i < MaxPlayerUnits; ++i)
        ASSERT_NE(world.Spawn(Defeated, UNIT_WARRIOR, 2 + i % 40, 22 + i / 40), nullptr);
    for (const int32_t player : {Defeated, 0, 8}) EXPECT_FALSE(unit->ConvertToPlayer(player, true)) << player;
    unit->ShowUnit(false);
    EXPECT_TRUE(unit->player == 0 && world.Player(0).HasUnit(unit) && !unit->ConvertToPlayer(2, true));
    unit->x = unit->y = 10, unit->ShowUnit(true), unit->RemoveFromWorld(false);
    EXPECT_TRUE(!unit->ConvertToPlayer(2, true) && unit->player == 0);
    ExpectWorldSound(world), g_Particles.Reset();
}
