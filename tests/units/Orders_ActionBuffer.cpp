// The action buffer's labels, performing it, the reach tests, and standing orders walked out on a small map:
// patrols and following a leader; facing and turning of a unit, and the search for an enemy over a ring of cells.

#include <utility>

#include "buildings/C_Building.h"
#include "core/GlobalFunc.h"
#include "platform/SysClock.h"
#include "tests/support/TestLog.h"
#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"
#include "world/C_RangeTable.h"

namespace
{
class OrdersActionBuffer : public UnitWorldTest
{
protected:
    // One-tick frames until the unit stands there; false after 600 or at a fault.
    bool RunTo(const CUnit* unit, int32_t x, int32_t y)
    {
        return FramesUntil(600, [=] { return unit->x == x && unit->y == y; }) > 0;
    }
    static void Order(CUnit* unit, int32_t command, int32_t x, int32_t y, bool player = false, CUnit* target = nullptr,
                      int32_t kind = TARGET_CHOOSE, bool ranged = false)
    {
        unit->InitAction(target, nullptr, nullptr, x, y, command, kind, !player, ranged);
    }
};

TEST(ActionBufferLabels, PanelTextsOfCodesKindsAndOrders)
{
    const struct { int32_t command; const char* label; } commands[] = {
        {-11, "Find ungarrison coast"}, {-9, "Move to defense pos"}, {-5, "Finding uncompleted building"},
        {-2, "Move to"}, {0, "None"}, {2, "Attack Ground"}, {13, "Ungarrison 1 unit"}, {17, "Cast magic"},
        {-12, nullptr}, {-1, nullptr}, {4, nullptr}, {14, nullptr}, {18, nullptr}};
    for (const auto& c : commands)
        EXPECT_STREQ(CUnitActionBuffer::CommandLabel(c.command), c.label) << c.command;
    EXPECT_EQ(CUnitActionBuffer::TargetKindLabel(5), nullptr);
    EXPECT_EQ((std::vector<std::string>{CUnitActionBuffer::TargetKindLabel(3), CUnitActionBuffer::TargetKindLabel(4),
                                        CUnitActionBuffer::LastOrderLabel(2), CUnitActionBuffer::LastOrderLabel(3)}),
              (std::vector<std::string>{"Resource", "Block", "Patrol", "Unknown"}));
}

TEST_F(OrdersActionBuffer, OrdersForAnotherMachineAndHiddenUnitsAreReportedAndDropped)
{
    CTestLog log;
    CUnit* remote = Walker(1, 10, 10);
    world.Player(1).type = PLAYER_REMOTE;
    Order(remote, CMD_MOVE_TO, 20, 20, true);
    EXPECT_TRUE(log.Contains("#DEBUG: No thread command for computer player"));
    world.Player(1).type = PLAYER_COMPUTER;
    CTestWalker* hidden = Walker(0, 12, 10);
    hidden->ShowUnit(false);
    Order(hidden, CMD_MOVE_TO, 20, 20, true);
    EXPECT_TRUE(log.Contains("#DEBUG: InitAction buffer on invisible unit"));
    EXPECT_TRUE(hidden->orderState == 0 && hidden->currentCommand == CMD_NONE);
    hidden->orderState = 1;   // a stale order left when hiding
    EXPECT_FALSE(hidden->PerformAction(false));
    EXPECT_TRUE(log.Contains("#DEBUG: PerformAction on invisible unit") && log.Contains("#DEBUG: unit log - END"));
    EXPECT_TRUE(hidden->orderState == 0 && hidden->performCalls == 0);
    // A computer player's unit that finds no way tells its opponent once, then tries again by itself.
    CTestWalker* boxed = Walker(1, 30, 30);
    for (int32_t cell = 0; cell < 9; ++cell)
        g_GameMap.Block(29 + cell % 3, 29 + cell / 3).blocked = cell != 4;
    world.Player(1).computerAI.ClearNotices();
    boxed->aiOrderPending = 1;
    MoveTo(boxed, 40, 40);
    FramesUntil(40, [] { return false; });
    const auto& notices = world.Player(1).computerAI.GetNotices();
    EXPECT_TRUE(notices.size() == 1u && notices[0].kind == CComputerAI::ENotice::OrderDone &&
                notices[0].object == boxed && boxed->aiOrderPending == 0 && boxed->performCalls >= 2);
}

TEST_F(OrdersActionBuffer, PerformingWaitsForStateReadinessPhaseDeadlineAndTheHost)
{
    CTestWalker* unit = Walker(0, 10, 10);
    EXPECT_FALSE(unit->PerformAction(false));   // nothing pending
    Order(unit, CMD_MOVE_TO, 10, 10, true);
    // A player's order is not performed by the follow-up pass.
    EXPECT_FALSE(unit->PerformAction(true));
    unit->ready = 0;
    EXPECT_FALSE(unit->PerformAction(false));
    unit->ready = 1;
    unit->deadline = SysClock::TickCount() + 100;
    EXPECT_FALSE(unit->PerformAction(false));
    world.Tick(4);   // 112 ms
    EXPECT_TRUE(unit->PerformAction(false));
    EXPECT_TRUE(unit->performCalls == 1 && unit->orderState == 0 && unit->performed == 1 && unit->threaded == 1 &&
                unit->deadline == 0u);
    // Awaiting the host's answer holds the action in a network game.
    Order(unit, CMD_MOVE_TO, 10, 10, true);
    unit->awaitingMoveAnswer = 1;
    g_Config.networkRole = 1;
    EXPECT_FALSE(unit->PerformAction(false));
    g_Config.networkRole = 0;
    EXPECT_TRUE(unit->PerformAction(false));
    // A deadline across the clock's wrap still waits.
    SysClock::UseTestClock(0xFFFFFF00u);
    Order(unit, CMD_MOVE_TO, 10, 10, true);
    unit->deadline = 0xFFFFFF00u + 500;   // wraps to 244
    EXPECT_FALSE(unit->PerformAction(false));
    SysClock::AdvanceTestClock(600);
    EXPECT_TRUE(unit->PerformAction(false));
}

TEST_F(OrdersActionBuffer, ReachIsABandForRangedOrdersATouchForCloseOnesAndNeverAMissingTarget)
{
    CUnit* archer = world.Spawn(0, UNIT_ARCHER, 10, 10);
    CUnit* target = Walker(1, 10, 16);
    Order(archer, CMD_ATTACK, 10, 16, true, target, TARGET_CHOOSE, true);
    archer->minRange = 3;
    archer->maxRange = 5;
    // Within 5 + 1 blocks (2 for a moving target) and 3 - 1.
    const struct { int32_t y; uint8_t moving; bool reached; } band[] = {
        {16, 0, true}, {17, 0, false}, {17, 1, true}, {12, 0, true}, {11, 0, false}};
    for (const auto& c : band)
    {
        target->SetTile(10, c.y);
        target->pathFlag = c.moving;
        EXPECT_EQ(archer->IsTargetReached(), c.reached) << c.y - 10 << " blocks, moving " << int(c.moving);
    }
    target->pathFlag = 0;
    EXPECT_EQ(archer->approachY, 11);

    CUnit* unit = Walker(0, 20, 20);
    CUnit* other = Walker(1, 21, 21);
    for (bool isRanged : {false, true})
        for (int32_t kind : {TARGET_UNIT, TARGET_BUILDING, TARGET_RESOURCE})
        {
            Order(unit, CMD_ATTACK, 20, 20, false, nullptr, kind, isRanged);
            EXPECT_FALSE(unit->IsTargetReached()) << kind << " " << isRanged;
        }
    const struct { CUnit* target; int32_t x, y, command, kind; bool reached; } close[] = {
        {nullptr, 3, 3, CMD_NONE, TARGET_NONE, true}, {nullptr, 20, 20, CMD_MOVE_TO, TARGET_BLOCK, true},
        {nullptr, 20, 21, CMD_MOVE_TO, TARGET_BLOCK, false},
        {other, 21, 21, CMD_ATTACK, TARGET_CHOOSE, true},   // diagonal neighbours touch
        {nullptr, 0, 0, CMD_ATTACK, 7, false}};
    for (const auto& c : close)
    {
        Order(unit, c.command, c.x, c.y, false, c.target, c.kind);
        EXPECT_EQ(unit->IsTargetReached(), c.reached) << c.command << " at " << c.x << "," << c.y;
    }
    // A computer player's unit boarding a ship that is gone, then one 5 blocks off.
    Order(other, CMD_GARRISON_SHIP, 21, 21, false, nullptr, TARGET_UNIT);
    const bool reachedGone = other->IsTargetReached();
    other->targetUnit = Walker(1, 26, 21);
    EXPECT_TRUE(!reachedGone && other->IsTargetReached());

    // Touching: a gap below three tenths, or nine tenths to a mover.
    unit->centreX = unit->centreY = target->centreY = 10.5f;
    const struct { float centreX; uint8_t moving; bool touching; } gaps[] = {
        {11.79f, 0, true}, {11.81f, 0, false}, {12.39f, 1, true}, {12.41f, 1, false}};
    for (const auto& c : gaps)
    {
        target->centreX = c.centreX;
        target->pathFlag = c.moving;
        EXPECT_EQ(unit->IsTouchingUnit(*target), c.touching) << c.centreX;
    }
}

TEST_F(OrdersActionBuffer, APatrolWalksBackAndForthAndIsResumedFromAfarWithItsEndsAndWaypointsGoLastFirst)
{
    CUnit* unit = Walker(0, 10, 10);
    unit->onCommand(nullptr, nullptr, nullptr, 15, 12, CMD_PATROL);
    EXPECT_TRUE(unit->patrolAX == 15 && unit->patrolAY == 12 && unit->patrolBX == 10 && unit->patrolBY == 10);
    // Another, drawn away by a fight two blocks off its line.
    CUnit* drawn = Walker(0, 10, 20);
    drawn->onCommand(nullptr, nullptr, nullptr, 15, 20, CMD_PATROL);
    drawn->StoreReturnPoint();
    EXPECT_EQ(drawn->returnX, 10);
    drawn->SetTile(12, 24);
    drawn->ResumeGuardOrPatrol();
    EXPECT_TRUE(drawn->currentCommand == CMD_PATROL && drawn->targetX == 15 && drawn->threaded == 1 &&
                drawn->patrolAX == 15 && drawn->patrolBX == 10 && drawn->patrolBY == 20 && drawn->returnX == -1);

    ASSERT_TRUE(RunTo(unit, 15, 12) && RunTo(unit, 10, 10) && RunTo(unit, 15, 12));
    EXPECT_TRUE(unit->currentCommand == CMD_PATROL && unit->lastOrder == LAST_ORDER_PATROL);
    ASSERT_TRUE(RunTo(drawn, 10, 20));
    // Shift waypoints queue behind an order; each path leads to the one queued last, so they are walked in
    // the reverse of their order, and the first one queued ends the walk.
    CUnit* queued = Walker(0, 30, 30);
    MoveTo(queued, 40, 40);
    for (const auto& [x, y] : {std::pair{30, 34}, std::pair{34, 34}, std::pair{34, 30}})
        queued->AddWaypoint(x, y);
    ASSERT_TRUE(RunTo(queued, 34, 30));
    EXPECT_EQ(queued->waypointCount, 2);
    ASSERT_TRUE(RunTo(queued, 34, 34) && RunTo(queued, 30, 34));
    ASSERT_GT(FramesUntil(600, [queued] { return queued->pathFlag == 0; }), 0);
    EXPECT_TRUE(queued->x == 30 && queued->y == 34);
}

TEST_F(OrdersActionBuffer, AFollowerWaitsWithinSightAndIsSentAfterItsLeaderBeyondIt)
{
    CTestWalker* follower = Walker(0, 10, 10);
    follower->sightOverride = 8;
    CUnit* leader = Walker(0, 17, 10);
    follower->followedUnit = leader;
    follower->followCountdown = 1;
    follower->UpdateFollow(1);
    EXPECT_TRUE(follower->orderState == 0 && follower->followCountdown == 64);
    leader->SetTile(18, 10);   // as far as it sees
    follower->UpdateFollow(63);
    EXPECT_EQ(follower->orderState, 0);
    follower->UpdateFollow(1);
    EXPECT_TRUE(follower->orderState == 1 && follower->followCountdown == 64 &&
                follower->currentCommand == CMD_MOVE_TO && follower->targetUnit == leader);
    EXPECT_TRUE(follower->targetKind == TARGET_UNIT && follower->ranged == 1 && follower->threaded == 1 &&
                follower->minRange == 0 && follower->maxRange == 6);
    // It walks until it is within two blocks less than its sight.
    ASSERT_GT(FramesUntil(600, [=] { return follower->orderState == 0 && follower->routeEnd == 0; }), 0);
    const int32_t blocks = GlobalFunc::Distance(follower->GetCentreCellX(), follower->GetCentreCellY(),
                                                leader->GetCentreCellX(), leader->GetCentreCellY()) / 10;
    EXPECT_TRUE(blocks >= 5 && blocks <= 7) << blocks;
}

class FacingTurning : public UnitWorldTest
{
protected:
    FacingTurning() { pattern.InitRing(0, 6, 0); }
    ~FacingTurning() override
    {
        for (const auto& building : m_Buildings)
            g_GameMap.Block(building->x, building->y).building = nullptr;
    }
    // A building standing on one block only, for the search to meet.
    CBuildingDouble* Building(int32_t x, int32_t y, int32_t owner, int32_t cast)
    {
        m_Buildings.push_back(std::make_unique<CBuildingDouble>(x, y, owner, cast));
        g_GameMap.Block(x, y).building = m_Buildings.back().get();
        return m_Buildings.back().get();
    }
    const void* Found(CUnit* seeker, bool buildingsFirst, const CRangeTable& cells)
    {
        CUnit* unit = nullptr;
        CBuilding* building = nullptr;
        seeker->FindTargetInRange(cells, &unit, &building, buildingsFirst);
        EXPECT_TRUE(unit == nullptr || building == nullptr);
        return building != nullptr ? static_cast<const void*>(building) : unit;
    }

    CRangeTable pattern;

private:
    std::vector<std::unique_ptr<CBuildingDouble>> m_Buildings;
};

TEST_F(FacingTurning, AnyAngleIsBroughtIntoOneTurnTurningTakesTheShortWayAndTurningTowardsRoundsToEightDirections)
{
    CUnit* unit = Walker(0, 10, 10);
    const struct { int32_t angle, facing; } cases[] = {{-90, 270}, {370, 10}, {0, 0}, {359, 359}, {360, 0},
        {-360, 0}, {719, 359}, {5000, 320}, {-5000, 40}, {INT32_MIN, 232}, {INT32_MAX, 127}};
    for (const auto& c : cases)
    {
        unit->SetDirection(c.angle, false);
        EXPECT_EQ(unit->facing, c.facing) << c.angle;
    }
    // Shown facing at the start (-1: where the last row left it), facing, ticks, shown after.
    const struct { int32_t from, facing, ticks, shown; } steps[] = {{350, 10, 1, 0}, {-1, 10, 1, 10},
        {0, 180, 17, 170}, {-1, 180, 1, 180}, {-1, 180, 5, 180}, {-1, 185, 1, 185},
        // A facing changed half-way still turns the short way, counting on past 20 + 360.
        {20, 300, 2, 360}, {-1, 300, 6, 300}};
    for (const auto& step : steps)
    {
        if (step.from >= 0)
            unit->shownFacing = step.from;
        unit->SetDirection(step.facing, false);
        unit->TurnStep(step.ticks);
        EXPECT_EQ(unit->shownFacing, step.shown) << step.from << " to " << step.facing;
    }
    // Towards the eight neighbours of its centre (10.5, 10.5), then east (90) plus the extra: rounded unless
    // asked for the exact angle.  A negative extra rounds down as positive angles do: -30 is nearest to 315.
    const struct { bool exact; float dx, dy, extra; int32_t facing; } towards[] = {
        {false, 0, -1, 0, 180}, {false, 1, -1, 0, 135}, {false, 1, 0, 0, 90}, {false, 1, 1, 0, 45},
        {false, 0, 1, 0, 0}, {false, -1, 1, 0, 315}, {false, -1, 0, 0, 270}, {false, -1, -1, 0, 225},
        {false, 10, 0, 10, 90}, {false, 10, 0, 22.5f, 135}, {true, 10, 0, 10, 100}, {false, 0, 10, -30, 315}};
    for (const auto& c : towards)
    {
        unit->TurnTowards(c.exact, 10.5f + c.dx, 10.5f + c.dy, c.extra);
        EXPECT_EQ(unit->facing, c.facing) << c.dx << "," << c.dy << " extra " << c.extra;
    }
}

TEST_F(FacingTurning, TheSearchRanksUnitsOrTowersKeepsAndCastlesFirstAndSkipsWhatItMayNotAttack)
{
    CUnit* seeker = Walker(0, 10, 10);
    CUnit* enemy = Walker(1, 11, 10);
    CBuildingDouble* tower = Building(11, 10, 1, 6);   // on the enemy's cell
    EXPECT_TRUE(Found(seeker, false, pattern) == enemy && Found(seeker, true, pattern) == tower);
    // Towers, keeps, castles, then any; none with no hit points left or its own.
    CBuildingDouble* house = Building(10, 12, 1, 3);
    CBuildingDouble* castle = Building(10, 13, 1, 1);
    CBuildingDouble* keep = Building(13, 10, 1, 11);
    tower->health = 0.0f;
    EXPECT_EQ(Found(seeker, true, pattern), keep);
    keep->owner = 0;
    EXPECT_EQ(Found(seeker, true, pattern), castle);
    castle->owner = 0;
    EXPECT_EQ(Found(seeker, true, pattern), house);
    house->owner = 0;
    EXPECT_EQ(Found(seeker, true, pattern), enemy);

    // Walls, traps, allies, its own and the dead are never chosen.
    enemy->health = 0.0f;
    Building(12, 11, 1, 9);
    Building(9, 11, 1, 12);
    Walker(2, 12, 12);
    world.Player(0).allied[2] = 1;
    Walker(0, 9, 10);
    EXPECT_TRUE(Found(seeker, false, pattern) == nullptr && Found(seeker, true, pattern) == nullptr);
    enemy->health = 100.0f;
}
}  // namespace
