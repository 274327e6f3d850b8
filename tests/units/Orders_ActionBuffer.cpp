// Filling the action buffer, performing it, the reach tests and the return
// to a guard post or a patrol.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "platform/SysClock.h"
#include "tests/support/TestLog.h"
#include "tests/units/UnitWorld.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"

namespace
{
// A building of any footprint and resource kind, never on the map.
class CTestSite : public CBuilding
{
public:
    CTestSite(int32_t x, int32_t y, int32_t side, int32_t resourceKind, int32_t owner)
        : CBuilding(x, y, owner), m_Side(side), m_ResourceKind(resourceKind)
    {
        health = FullHealth;
    }
    int32_t GetWidth() const override { return m_Side; }
    int32_t GetDepth() const override { return m_Side; }
    int32_t GetResourceKind() const override { return m_ResourceKind; }

private:
    int32_t m_Side;
    int32_t m_ResourceKind;
};

class OrdersActionBuffer : public UnitWorldTest
{
};

TEST(ActionBufferLabels, PanelTextsOfCodesKindsAndOrders)
{
    EXPECT_STREQ(CUnitActionBuffer::CommandLabel(-11), "Find ungarrison coast");
    EXPECT_STREQ(CUnitActionBuffer::CommandLabel(-9), "Move to defense pos");
    EXPECT_STREQ(CUnitActionBuffer::CommandLabel(-5), "Finding uncompleted building");
    EXPECT_STREQ(CUnitActionBuffer::CommandLabel(-2), "Move to");
    EXPECT_STREQ(CUnitActionBuffer::CommandLabel(0), "None");
    EXPECT_STREQ(CUnitActionBuffer::CommandLabel(2), "Attack Ground");
    EXPECT_STREQ(CUnitActionBuffer::CommandLabel(13), "Ungarrison 1 unit");
    EXPECT_STREQ(CUnitActionBuffer::CommandLabel(17), "Cast magic");
    for (int32_t unlabelled : {-12, -1, 4, 6, 9, 14, 16, 18, 19})
        EXPECT_EQ(CUnitActionBuffer::CommandLabel(unlabelled), nullptr) << unlabelled;
    EXPECT_STREQ(CUnitActionBuffer::TargetKindLabel(3), "Resource");
    EXPECT_STREQ(CUnitActionBuffer::TargetKindLabel(4), "Block");
    EXPECT_EQ(CUnitActionBuffer::TargetKindLabel(5), nullptr);
    EXPECT_STREQ(CUnitActionBuffer::LastOrderLabel(1), "Guard");
    EXPECT_STREQ(CUnitActionBuffer::LastOrderLabel(2), "Patrol");
    EXPECT_STREQ(CUnitActionBuffer::LastOrderLabel(3), "Unknown");
}

TEST_F(OrdersActionBuffer, ChosenTargetKindFollowsTheTargetsGiven)
{
    CUnit* unit = Walker(0, 10, 10);
    CUnit* other = Walker(1, 20, 20);
    CTestSite tree(30, 30, 1, 2, -1);
    CTestSite barracks(5, 30, 3, 0, 1);
    // A resource site wins over a building, a building over a unit.
    const struct { CUnit* unit; CBuilding* building; CBuilding* resource; int32_t chooser, kind; } cases[] = {
        {other, nullptr, &tree, TARGET_CHOOSE, TARGET_RESOURCE}, {other, nullptr, nullptr, TARGET_CHOOSE, TARGET_UNIT},
        {other, &barracks, nullptr, TARGET_CHOOSE, TARGET_BUILDING}, {nullptr, nullptr, nullptr, TARGET_CHOOSE, TARGET_BLOCK},
        {other, nullptr, nullptr, TARGET_NONE, TARGET_NONE}};
    for (const auto& c : cases)
    {
        unit->InitAction(c.unit, c.building, c.resource, 3, 4, CMD_ATTACK, c.chooser, false, false);
        EXPECT_EQ(unit->targetKind, c.kind) << c.kind;
    }
    unit->InitAction(other, nullptr, &tree, 3, 4, CMD_HARVEST, TARGET_CHOOSE, false, false);
    EXPECT_EQ(unit->targetObject, &tree);
    EXPECT_EQ(unit->objectResourceKind, 2);
}

TEST_F(OrdersActionBuffer, RangedAttackOnALargeBuildingReachesFurther)
{
    CUnit* archer = world.Spawn(0, UNIT_ARCHER, 10, 10);
    ASSERT_NE(archer, nullptr);
    int32_t base = 0;
    int32_t bonus = 0;
    const int32_t range = archer->GetAttackRange(&base, &bonus);
    CTestSite keep(30, 20, 4, 0, 1);
    archer->onCommand(nullptr, &keep, nullptr, 30, 20, CMD_ATTACK);
    EXPECT_EQ(archer->ranged, 1);
    EXPECT_EQ(archer->maxRange, range + 2);   // (4 + 4) / 4
    EXPECT_EQ(archer->minRange, archer->GetMinAttackRange() + 2);
    EXPECT_EQ(archer->approachX, 32);
    EXPECT_EQ(archer->approachY, 22);
    CTestSite hut(30, 20, 1, 0, 1);
    archer->onCommand(nullptr, &hut, nullptr, 30, 20, CMD_ATTACK);
    EXPECT_EQ(archer->maxRange, range);   // (1 + 1) / 4 is 0
    // A move is not ranged: no ranges, the clicked block stays the goal.
    archer->onCommand(nullptr, &keep, nullptr, 30, 20, CMD_MOVE_TO);
    EXPECT_EQ(archer->ranged, 0);
    EXPECT_EQ(archer->maxRange, 0);
    EXPECT_EQ(archer->approachX, 30);
}

TEST_F(OrdersActionBuffer, TypesKeepTheirTargetsAndRanges)
{
    CUnit* warrior = world.Spawn(0, UNIT_WARRIOR, 7, 5);
    CUnit* catapult = world.Spawn(0, UNIT_CATAPULT, 9, 5);
    CUnit* priest = world.Spawn(0, UNIT_PRIEST, 12, 5);
    CUnit* king = world.Spawn(0, UNIT_KING, 14, 5);
    CUnit* tower = world.Spawn(0, UNIT_TOWERARCHER, 16, 5);
    catapult->onCommand(nullptr, nullptr, nullptr, 30, 30, CMD_ATTACK_GROUND);
    EXPECT_EQ(catapult->ranged, 1);
    priest->onCommand(warrior, nullptr, nullptr, 7, 5, CMD_HEAL);
    EXPECT_EQ(priest->ranged, 1);
    priest->onCommand(warrior, nullptr, nullptr, 7, 5, CMD_MOVE_TO);
    EXPECT_EQ(priest->ranged, 0);
    king->onCommand(nullptr, nullptr, nullptr, 30, 30, CMD_ENTER_KEEP);
    EXPECT_EQ(king->targetKind, TARGET_NONE);
    EXPECT_EQ(king->currentCommand, CMD_ENTER_KEEP);
    tower->onCommand(nullptr, nullptr, nullptr, 30, 30, CMD_MOVE_TO);
    EXPECT_EQ(tower->orderState, 0);
    EXPECT_EQ(tower->currentCommand, CMD_NONE);
}

TEST_F(OrdersActionBuffer, ShipUnloadingStartsWithACoastSearchWhereItLies)
{
    for (int32_t x = 0; x < CSimHarness::DefaultMapSide; ++x)
        for (int32_t y = 0; y < 12; ++y)
            g_GameMap.Block(x, y).waterLevel = 10;
    CUnit* ship = world.Spawn(0, UNIT_TRANSPORTSHIP, 4, 4);
    ASSERT_NE(ship, nullptr);
    CUnit* passenger = world.Spawn(0, UNIT_WARRIOR, 20, 20);
    ship->onCommand(passenger, nullptr, nullptr, 40, 40, CMD_UNGARRISON_ONE);
    EXPECT_EQ(ship->currentCommand, CMD_FIND_UNGARRISON_COAST);
    EXPECT_EQ(ship->targetUnit, passenger);
    EXPECT_EQ(ship->targetKind, TARGET_NONE);
    EXPECT_EQ(ship->threaded, 1);
    EXPECT_EQ(ship->targetX, 4);
    EXPECT_EQ(ship->targetY, 4);
}

TEST_F(OrdersActionBuffer, PlayersOrderClearsTheGuardMemoryAndAFollowUpKeepsIt)
{
    CUnit* unit = Walker(0, 10, 10);
    CUnit* enemy = Walker(1, 20, 20);
    unit->lastOrder = LAST_ORDER_GUARD;
    unit->returnX = 8;
    unit->returnY = 9;
    unit->attacker = enemy;
    unit->InitAction(enemy, nullptr, nullptr, 20, 20, CMD_ATTACK, TARGET_CHOOSE, true, false);
    EXPECT_EQ(unit->lastOrder, LAST_ORDER_GUARD);
    EXPECT_EQ(unit->returnX, 8);
    EXPECT_EQ(unit->attacker, enemy);
    unit->InitAction(nullptr, nullptr, nullptr, 20, 20, CMD_MOVE_TO, TARGET_CHOOSE, false, false);
    EXPECT_EQ(unit->lastOrder, LAST_ORDER_NONE);
    EXPECT_EQ(unit->returnX, -1);
    EXPECT_EQ(unit->returnY, -1);
    EXPECT_EQ(unit->attacker, nullptr);
}

TEST_F(OrdersActionBuffer, OrdersForAnotherMachineOrAHiddenUnitAreReported)
{
    CUnit* remote = Walker(1, 10, 10);
    world.Player(1).type = PLAYER_REMOTE;
    CTestLog log;
    remote->InitAction(nullptr, nullptr, nullptr, 20, 20, CMD_MOVE_TO, TARGET_CHOOSE, false, false);
    EXPECT_TRUE(log.Contains("#DEBUG: No thread command for computer player"));
    world.Player(1).type = PLAYER_COMPUTER;

    CUnit* hidden = Walker(0, 12, 10);
    hidden->ShowUnit(false);
    hidden->InitAction(nullptr, nullptr, nullptr, 20, 20, CMD_MOVE_TO, TARGET_CHOOSE, false, false);
    EXPECT_TRUE(log.Contains("#DEBUG: InitAction buffer on invisible unit"));
    EXPECT_EQ(hidden->orderState, 0);
    EXPECT_EQ(hidden->currentCommand, CMD_NONE);
}

TEST_F(OrdersActionBuffer, PerformingWaitsForStateReadinessPhaseDeadlineAndTheHost)
{
    CTestWalker* unit = Walker(0, 10, 10);
    EXPECT_FALSE(unit->PerformAction(false));   // nothing pending
    unit->InitAction(nullptr, nullptr, nullptr, 10, 10, CMD_MOVE_TO, TARGET_CHOOSE, false, false);
    // A player's order is not performed by the follow-up pass.
    EXPECT_FALSE(unit->PerformAction(true));
    unit->ready = 0;
    EXPECT_FALSE(unit->PerformAction(false));
    unit->ready = 1;
    unit->deadline = SysClock::TickCount() + 100;
    EXPECT_FALSE(unit->PerformAction(false));
    world.Tick(4);   // 112 ms
    EXPECT_TRUE(unit->PerformAction(false));
    EXPECT_EQ(unit->performCalls, 1);
    EXPECT_EQ(unit->orderState, 0);
    EXPECT_EQ(unit->performed, 1);
    EXPECT_EQ(unit->threaded, 1);
    EXPECT_EQ(unit->deadline, 0u);
    // Awaiting the host's answer holds the action in a network game.
    unit->InitAction(nullptr, nullptr, nullptr, 10, 10, CMD_MOVE_TO, TARGET_CHOOSE, false, false);
    unit->awaitingMoveAnswer = 1;
    g_Config.networkRole = 1;
    EXPECT_FALSE(unit->PerformAction(false));
    g_Config.networkRole = 0;
    EXPECT_TRUE(unit->PerformAction(false));
}

TEST_F(OrdersActionBuffer, DeadlineAcrossTheClockWrapStillWaits)
{
    CTestWalker* unit = Walker(0, 10, 10);
    SysClock::UseTestClock(0xFFFFFF00u);
    unit->InitAction(nullptr, nullptr, nullptr, 10, 10, CMD_MOVE_TO, TARGET_CHOOSE, false, false);
    unit->deadline = 0xFFFFFF00u + 500;   // wraps to 244
    EXPECT_FALSE(unit->PerformAction(false));
    SysClock::AdvanceTestClock(600);
    EXPECT_TRUE(unit->PerformAction(false));
}

TEST_F(OrdersActionBuffer, PerformingAHiddenUnitStopsIt)
{
    CTestWalker* unit = Walker(0, 10, 10);
    unit->InitAction(nullptr, nullptr, nullptr, 12, 10, CMD_MOVE_TO, TARGET_CHOOSE, false, false);
    unit->ShowUnit(false);
    unit->orderState = 1;   // hiding dropped it; a stale one is left
    CTestLog log;
    EXPECT_FALSE(unit->PerformAction(false));
    EXPECT_TRUE(log.Contains("#DEBUG: PerformAction on invisible unit"));
    EXPECT_EQ(unit->orderState, 0);
    EXPECT_EQ(unit->performCalls, 0);
}

TEST_F(OrdersActionBuffer, PlayersOrdersArePerformedBeforeFollowUps)
{
    CTestWalker* first = Walker(0, 10, 10);
    CTestWalker* second = Walker(0, 12, 10);
    second->InitAction(nullptr, nullptr, nullptr, 12, 10, CMD_MOVE_TO, TARGET_CHOOSE, true, false);
    first->InitAction(nullptr, nullptr, nullptr, 10, 10, CMD_MOVE_TO, TARGET_CHOOSE, false, false);
    // One action per call: the order of the list does not decide.
    EXPECT_TRUE(world.Player(0).UpdateUnitsTimeSliced());
    EXPECT_EQ(first->performCalls, 1);
    EXPECT_EQ(second->performCalls, 0);
    world.Player(0).UpdateUnitsTimeSliced();
    EXPECT_EQ(second->performCalls, 1);
}

TEST_F(OrdersActionBuffer, RangedReachIsABandWithATolerance)
{
    CUnit* archer = world.Spawn(0, UNIT_ARCHER, 10, 10);
    CUnit* target = Walker(1, 10, 16);
    archer->InitAction(target, nullptr, nullptr, 10, 16, CMD_ATTACK, TARGET_CHOOSE, false, true);
    archer->minRange = 3;
    archer->maxRange = 5;
    // 6 blocks apart: within 5 + 1.
    EXPECT_TRUE(archer->IsTargetReached());
    target->SetTile(10, 17);   // 7 blocks
    EXPECT_FALSE(archer->IsTargetReached());
    target->pathFlag = 1;      // a moving target gets 2
    EXPECT_TRUE(archer->IsTargetReached());
    target->pathFlag = 0;
    target->SetTile(10, 12);   // 2 blocks: within 3 - 1
    EXPECT_TRUE(archer->IsTargetReached());
    target->SetTile(10, 11);   // 1 block
    EXPECT_FALSE(archer->IsTargetReached());
    EXPECT_EQ(archer->approachY, 11);
}

TEST_F(OrdersActionBuffer, ReachTestsNeverReadAMissingTarget)
{
    CUnit* unit = Walker(0, 10, 10);
    for (bool isRanged : {false, true})
        for (int32_t kind : {TARGET_UNIT, TARGET_BUILDING, TARGET_RESOURCE})
        {
            unit->InitAction(nullptr, nullptr, nullptr, 10, 10, CMD_ATTACK, kind, true, isRanged);
            EXPECT_FALSE(unit->IsTargetReached()) << kind << " " << isRanged;
        }
    // A computer player's unit boarding a ship that is gone.
    CUnit* computerUnit = Walker(1, 20, 20);
    computerUnit->InitAction(nullptr, nullptr, nullptr, 20, 20, CMD_GARRISON_SHIP, TARGET_UNIT, true, false);
    EXPECT_FALSE(computerUnit->IsTargetReached());
    CUnit* ship = Walker(1, 25, 20);
    computerUnit->targetUnit = ship;
    EXPECT_TRUE(computerUnit->IsTargetReached());   // 5 blocks: below 7
}

TEST_F(OrdersActionBuffer, CloseReachByKind)
{
    CUnit* unit = Walker(0, 10, 10);
    CUnit* other = Walker(1, 11, 11);
    unit->InitAction(nullptr, nullptr, nullptr, 3, 3, CMD_NONE, TARGET_NONE, true, false);
    EXPECT_TRUE(unit->IsTargetReached());
    unit->InitAction(nullptr, nullptr, nullptr, 10, 10, CMD_MOVE_TO, TARGET_BLOCK, true, false);
    EXPECT_TRUE(unit->IsTargetReached());
    unit->InitAction(nullptr, nullptr, nullptr, 10, 11, CMD_MOVE_TO, TARGET_BLOCK, true, false);
    EXPECT_FALSE(unit->IsTargetReached());
    unit->InitAction(other, nullptr, nullptr, 11, 11, CMD_ATTACK, TARGET_CHOOSE, true, false);
    EXPECT_TRUE(unit->IsTargetReached());   // diagonal neighbours touch
    unit->InitAction(nullptr, nullptr, nullptr, 0, 0, CMD_ATTACK, 7, true, false);
    EXPECT_FALSE(unit->IsTargetReached());
}

TEST_F(OrdersActionBuffer, TouchingGapIsBelowThreeTenthsOrNineTenthsForAMover)
{
    CUnit* unit = Walker(0, 10, 10);
    CUnit* other = Walker(1, 20, 20);
    unit->centreX = 10.5f;
    unit->centreY = 10.5f;
    other->centreY = 10.5f;
    other->centreX = 11.79f;   // gap 0.29
    EXPECT_TRUE(unit->IsTouchingUnit(*other));
    other->centreX = 11.81f;   // gap 0.31
    EXPECT_FALSE(unit->IsTouchingUnit(*other));
    other->pathFlag = 1;
    other->centreX = 12.39f;   // gap 0.89
    EXPECT_TRUE(unit->IsTouchingUnit(*other));
    other->centreX = 12.41f;
    EXPECT_FALSE(unit->IsTouchingUnit(*other));
    other->pathFlag = 0;
}

TEST_F(OrdersActionBuffer, AdjacencyToABuildingAndARegionWalksTheContactRing)
{
    CUnit* unit = Walker(0, 10, 10);
    CTestSite hut(11, 11, 1, 0, 1);
    g_GameMap.Block(11, 11).building = &hut;
    EXPECT_TRUE(unit->IsAdjacentToBuilding(&hut));
    EXPECT_FALSE(unit->IsAdjacentToBuilding(nullptr));
    g_GameMap.Block(11, 11).building = nullptr;
    g_GameMap.Block(12, 12).building = &hut;
    EXPECT_FALSE(unit->IsAdjacentToBuilding(&hut));
    g_GameMap.Block(12, 12).building = nullptr;
    g_GameMap.Block(9, 10).regionId = 77;
    EXPECT_TRUE(unit->IsAdjacentToRegion(77));
    EXPECT_FALSE(unit->IsAdjacentToRegion(78));
    // At the map's corner the ring's outer cells are skipped.
    CUnit* cornered = Walker(0, 0, 0);
    EXPECT_FALSE(cornered->IsAdjacentToRegion(78));
}
}  // namespace
