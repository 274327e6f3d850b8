// Standing orders walked out on a small map: patrols between two blocks,
// the return to a guard post, following a leader and Shift waypoints.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/GlobalFunc.h"
#include "tests/support/SimHarness.h"
#include "tests/support/TestWalker.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"

namespace
{
class OrdersGuardPatrol : public ::testing::Test
{
protected:
    CTestWalker* Walker(int32_t player, int32_t x, int32_t y, int32_t sight = -1)
    {
        CTestWalker* unit = new CTestWalker(0.1f);
        unit->sightOverride = sight;
        return static_cast<CTestWalker*>(world.Adopt(player, unit, x, y));
    }
    // Runs frames of one tick until the condition holds; false after the limit.
    template <typename Condition>
    bool RunUntil(Condition condition, int32_t limit = 600)
    {
        for (int32_t tick = 0; tick < limit; ++tick)
        {
            world.Frame(1);
            const std::vector<std::string> faults = world.CheckInvariants();
            if (!faults.empty())
            {
                ADD_FAILURE() << faults.front();
                return false;
            }
            if (condition())
                return true;
        }
        return false;
    }

    CSimHarness world;
};

bool StandsAt(const CUnit* unit, int32_t x, int32_t y)
{
    return unit->x == x && unit->y == y && unit->routeEnd == 0 && unit->stepTicks == 0;
}

TEST_F(OrdersGuardPatrol, PatrolStoresBothEndsAndTheUnitWalksBackAndForth)
{
    CUnit* unit = Walker(0, 10, 10);
    unit->onCommand(nullptr, nullptr, nullptr, 15, 12, CMD_PATROL);
    EXPECT_EQ(unit->patrolAX, 15);
    EXPECT_EQ(unit->patrolAY, 12);
    EXPECT_EQ(unit->patrolBX, 10);
    EXPECT_EQ(unit->patrolBY, 10);
    ASSERT_TRUE(RunUntil([unit] { return unit->x == 15 && unit->y == 12; }));
    ASSERT_TRUE(RunUntil([unit] { return unit->x == 10 && unit->y == 10; }));
    EXPECT_EQ(unit->currentCommand, CMD_PATROL);
    ASSERT_TRUE(RunUntil([unit] { return unit->x == 15 && unit->y == 12; }));
    EXPECT_EQ(unit->currentCommand, CMD_PATROL);
    EXPECT_EQ(unit->lastOrder, LAST_ORDER_PATROL);
}

TEST_F(OrdersGuardPatrol, ResumingAPatrolKeepsEndB)
{
    CUnit* unit = Walker(0, 10, 10);
    unit->onCommand(nullptr, nullptr, nullptr, 15, 10, CMD_PATROL);
    // Drawn away by a fight, two blocks off the line.
    unit->StoreReturnPoint();
    EXPECT_EQ(unit->returnX, 10);
    unit->SetTile(12, 14);
    unit->ResumeGuardOrPatrol();
    EXPECT_EQ(unit->currentCommand, CMD_PATROL);
    EXPECT_EQ(unit->targetX, 15);
    EXPECT_EQ(unit->patrolAX, 15);
    EXPECT_EQ(unit->patrolBX, 10);
    EXPECT_EQ(unit->patrolBY, 10);
    EXPECT_EQ(unit->returnX, -1);
    EXPECT_EQ(unit->threaded, 1);
    ASSERT_TRUE(RunUntil([unit] { return unit->x == 15 && unit->y == 10; }));
    ASSERT_TRUE(RunUntil([unit] { return unit->x == 10 && unit->y == 10; }));
}

TEST_F(OrdersGuardPatrol, OnlyADefensiveGuardReturnsToItsPostAfterAFight)
{
    CUnit* unit = Walker(0, 10, 10);
    // Aggressive, or defensive without a guard order: no post.
    unit->lastOrder = LAST_ORDER_GUARD;
    unit->stance = STANCE_AGGRESSIVE;
    unit->StoreReturnPoint();
    EXPECT_EQ(unit->returnX, -1);
    unit->lastOrder = LAST_ORDER_NONE;
    unit->stance = STANCE_DEFENSIVE;
    unit->StoreReturnPoint();
    EXPECT_EQ(unit->returnX, -1);
    unit->ResumeGuardOrPatrol();
    EXPECT_EQ(unit->orderState, 0);

    unit->lastOrder = LAST_ORDER_GUARD;
    unit->StoreReturnPoint();
    ASSERT_EQ(unit->returnX, 10);
    ASSERT_EQ(unit->returnY, 10);
    // A later fight does not move the post.
    unit->SetTile(13, 12);
    unit->StoreReturnPoint();
    EXPECT_EQ(unit->returnX, 10);
    unit->ResumeGuardOrPatrol();
    EXPECT_EQ(unit->currentCommand, CMD_MOVE_TO_DEFENSE_POS);
    EXPECT_EQ(unit->targetKind, TARGET_BLOCK);
    EXPECT_EQ(unit->threaded, 1);
    EXPECT_EQ(unit->lastOrder, LAST_ORDER_GUARD);
    ASSERT_TRUE(RunUntil([unit] { return StandsAt(unit, 10, 10); }));
    // Back on the post, the memory of it is let go.
    unit->ResumeGuardOrPatrol();
    EXPECT_EQ(unit->returnX, -1);
}

TEST_F(OrdersGuardPatrol, FollowerFarOutOfSightIsSentAfterItsLeader)
{
    CTestWalker* follower = Walker(0, 10, 10, 8);
    CUnit* leader = Walker(0, 22, 10);
    follower->followedUnit = leader;
    follower->followCountdown = 1;
    follower->UpdateFollow(1);
    EXPECT_EQ(follower->followCountdown, 64);
    EXPECT_EQ(follower->currentCommand, CMD_MOVE_TO);
    EXPECT_EQ(follower->targetUnit, leader);
    EXPECT_EQ(follower->targetKind, TARGET_UNIT);
    EXPECT_EQ(follower->ranged, 1);
    EXPECT_EQ(follower->threaded, 1);
    EXPECT_EQ(follower->minRange, 0);
    EXPECT_EQ(follower->maxRange, 6);
    // It walks until it is within two blocks less than its sight.
    ASSERT_TRUE(RunUntil([follower] { return follower->orderState == 0 && follower->routeEnd == 0; }));
    const int32_t blocks = GlobalFunc::Distance(follower->GetCentreCellX(), follower->GetCentreCellY(),
                                                leader->GetCentreCellX(), leader->GetCentreCellY()) /
                           10;
    EXPECT_LE(blocks, 7);
    EXPECT_GE(blocks, 5);
}

TEST_F(OrdersGuardPatrol, FollowerWithinSightWaitsForTheNextCheck)
{
    CTestWalker* follower = Walker(0, 10, 10, 8);
    CUnit* leader = Walker(0, 17, 10);
    follower->followedUnit = leader;
    follower->followCountdown = 1;
    follower->UpdateFollow(1);
    EXPECT_EQ(follower->orderState, 0);
    EXPECT_EQ(follower->followCountdown, 64);
    leader->SetTile(30, 10);
    follower->UpdateFollow(63);
    EXPECT_EQ(follower->orderState, 0);
    follower->UpdateFollow(1);
    EXPECT_EQ(follower->orderState, 1);
    EXPECT_EQ(follower->targetUnit, leader);
}

TEST_F(OrdersGuardPatrol, ShiftWaypointsAreTakenFromTheEndOfTheList)
{
    CUnit* unit = Walker(0, 10, 10);
    unit->onCommand(nullptr, nullptr, nullptr, 30, 30, CMD_MOVE_TO);
    unit->AddWaypoint(10, 20);
    unit->AddWaypoint(16, 14);
    std::vector<std::pair<int32_t, int32_t>> stops;
    ASSERT_TRUE(RunUntil(
        [unit, &stops] {
            if (stops.empty() || stops.back() != std::make_pair(unit->x, unit->y))
                stops.emplace_back(unit->x, unit->y);
            return unit->orderState == 0 && unit->routeEnd == 0 && unit->waypointCount == 0 &&
                   unit->currentCommand == CMD_NONE;
        },
        1200));
    // Through the last waypoint first, then the first one; the order's own
    // block is never the goal once waypoints are queued.
    EXPECT_NE(std::find(stops.begin(), stops.end(), std::make_pair(16, 14)), stops.end());
    EXPECT_EQ(std::find(stops.begin(), stops.end(), std::make_pair(30, 30)), stops.end());
    EXPECT_EQ(stops.back(), std::make_pair(10, 20));
    EXPECT_EQ(unit->x, 10);
    EXPECT_EQ(unit->y, 20);
}
}  // namespace
