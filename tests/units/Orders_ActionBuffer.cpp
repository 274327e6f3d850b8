#include <limits>
#include <tuple>
#include <utility>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/GlobalFunc.h"
#include "platform/SysClock.h"
#include "tests/support/TestLog.h"
#include "tests/units/UnitWorld.h"
#include "units/C_Unit_Worker.h"
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
    for (const auto& c : commands) EXPECT_STREQ(CUnitActionBuffer::CommandLabel(c.command), c.label) << c.command;
    EXPECT_EQ(CUnitActionBuffer::TargetKindLabel(5), nullptr);
    EXPECT_EQ((std::vector<std::string>{CUnitActionBuffer::TargetKindLabel(3), CUnitActionBuffer::TargetKindLabel(4),
                                        CUnitActionBuffer::LastOrderLabel(2), CUnitActionBuffer::LastOrderLabel(3)}),
              (std::vector<std::string>{"Resource", "Block", "Patrol", "Unknown"}));
}

TEST_F(OrdersActionBuffer, OrdersForAnotherMachineAndHiddenUnitsAreReportedAndDropped)
{
    CTestLog log;
    CUnit* remote = Walker(1, 10, 10);
    world.Player(1).type = PLAYER_REMOTE, Order(remote, CMD_MOVE_TO, 20, 20, true);
    EXPECT_TRUE(log.Contains("#DEBUG: No thread command for computer player"));
    world.Player(1).type = PLAYER_COMPUTER;
    CTestWalker* hidden = Walker(0, 12, 10);
    hidden->ShowUnit(false), Order(hidden, CMD_MOVE_TO, 20, 20, true);
    EXPECT_TRUE(log.Contains("#DEBUG: InitAction buffer on invisible unit") && hidden->orderState == 0 &&
                hidden->currentCommand == CMD_NONE);
    hidden->orderState = 1;   // a stale order left when hiding
    EXPECT_TRUE(!hidden->PerformAction(false) && log.Contains("#DEBUG: PerformAction on invisible unit") &&
                log.Contains("#DEBUG: unit log - END") && hidden->orderState == 0 && hidden->performCalls == 0);
    // A computer player's unit that finds no way tells its opponent once, then tries again by itself.
    CTestWalker* boxed = Walker(1, 30, 30);
    for (int32_t cell = 0; cell < 9; ++cell) g_GameMap.Block(29 + cell % 3, 29 + cell / 3).blocked = cell != 4;
    world.Player(1).computerAI.ClearNotices(), boxed->aiOrderPending = 1, MoveTo(boxed, 40, 40);
    FramesUntil(40, [] { return false; });
    const auto& notices = world.Player(1).computerAI.GetNotices();
    EXPECT_TRUE(notices.size() == 1u && notices[0].kind == CComputerAI::ENotice::OrderDone &&
                notices[0].object == boxed && boxed->aiOrderPending == 0 && boxed->performCalls >= 2);
    // Another machine's unit performs nothing; its check names the line its type has always reported, as does a
    // king sent into a house.
    g_Config.networkRole = 1;
    const std::tuple<int32_t, int32_t, std::string> checks[] = {   // the demon's second row: the spell's order
        {UNIT_KING, 197, "King"},     {UNIT_SETTLER, 222, "Settler"},         {UNIT_GIANT, 262, "Giant"},
        {UNIT_UNDEAD, 219, "Undead"}, {UNIT_HEROCAVALRY, 263, "HeroCavalry"}, {UNIT_DEMON, 303, "Demon"},
        {UNIT_DEMON, 303, "Demon"},   {UNIT_KING, 400, "King"}};
    CBuilding* house = world.Player(1).CreateBuilding(CastHouse, 30, 40);
    for (int32_t k = 0; k < int32_t(std::size(checks)); ++k)
    {
        const auto& [type, line, name] = checks[k];
        CUnit* unit = world.Spawn(1, type, 40, 4 + 4 * k);
        unit->currentCommand = k == 6 ? CMD_CAST_MAGIC : CMD_ATTACK, log.Clear();
        if (k == 7) EXPECT_TRUE(!unit->EnterBuilding(house) && unit->onMap);
        else unit->onPerformAction();
        const std::vector<std::string> lines = log.Lines();
        EXPECT_TRUE(lines.size() == 3u && lines[2].starts_with(std::to_string(line) + " in ") &&
                    lines[0] == (k == 7 ? "#DEBUG: Only keep is allowed"
                                        : "#DEBUG: Unit action performed on non-local mulitplayer unit") &&
                    lines[2].ends_with("_" + name + ".cpp")) << k;
    }
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
    unit->ready = 1, unit->deadline = SysClock::TickCount() + 100;
    EXPECT_FALSE(unit->PerformAction(false));
    world.Tick(4);   // 112 ms
    EXPECT_TRUE(unit->PerformAction(false) && unit->performCalls == 1 && unit->orderState == 0 &&
                unit->performed == 1 && unit->threaded == 1 && unit->deadline == 0u);
    // Awaiting the host's answer holds the action in a network game.
    Order(unit, CMD_MOVE_TO, 10, 10, true);
    unit->awaitingMoveAnswer = 1, g_Config.networkRole = 1;
    EXPECT_FALSE(unit->PerformAction(false));
    g_Config.networkRole = 0;
    EXPECT_TRUE(unit->PerformAction(false));
    // A deadline across the clock's wrap still waits.
    SysClock::UseTestClock(0xFFFFFF00u), Order(unit, CMD_MOVE_TO, 10, 10, true);
    unit->deadline = 0xFFFFFF00u + 500;   // wraps to 244
    EXPECT_FALSE(unit->PerformAction(false));
    SysClock::AdvanceTestClock(600);
    EXPECT_TRUE(unit->PerformAction(false));
}

TEST_F(OrdersActionBuffer, ReachIsABandForRangedOrdersATouchForCloseOnesAndNeverAMissingTarget)
{
    CUnit *archer = world.Spawn(0, UNIT_ARCHER, 10, 10), *target = Walker(1, 10, 16);
    Order(archer, CMD_ATTACK, 10, 16, true, target, TARGET_CHOOSE, true);
    archer->minRange = 3, archer->maxRange = 5;
    // Within 5 + 1 blocks (2 for a moving target) and 3 - 1.
    const struct { int32_t y; uint8_t moving; bool reached; } band[] = {
        {16, 0, true}, {17, 0, false}, {17, 1, true}, {12, 0, true}, {11, 0, false}};
    for (const auto& c : band)
    {
        target->SetTile(10, c.y), target->pathFlag = c.moving;
        EXPECT_EQ(archer->IsTargetReached(), c.reached) << c.y - 10 << " blocks, moving " << int(c.moving);
    }
    target->pathFlag = 0;
    EXPECT_EQ(archer->approachY, 11);
    // A building wins over a unit: its block plus half its width and depth (a barracks is 5 x 6).
    archer->InitAction(target, world.Player(1).CreateBuilding(CastBarracks, 14, 22), nullptr, 14, 22, CMD_ATTACK,
                       TARGET_CHOOSE, false, true);
    EXPECT_EQ(std::pair(archer->approachX, archer->approachY), std::pair(16, 25));

    CUnit *unit = Walker(0, 20, 20), *other = Walker(1, 21, 21);
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
        target->centreX = c.centreX, target->pathFlag = c.moving;
        EXPECT_EQ(unit->IsTouchingUnit(*target), c.touching) << c.centreX;
    }
}

// Sent with a resource site as the object, only the king and the settler keep it; each type's own ranged orders
// stand off, and the king's and settler's own orders act on the spot.
TEST_F(OrdersActionBuffer, EachTypeKeepsTheObjectOfAnOrderAndReachesItsTargetAsItsRuleSays)
{
    CBuildingDouble tree(30, 30, -1, 10, 2);
    const struct { int32_t type, command; bool keeps, ranged; int32_t kind; } rows[] = {
        {UNIT_ARCHER, CMD_ATTACK, false, true, TARGET_BLOCK}, {UNIT_ARCHER, CMD_MOVE_TO, false, false, TARGET_BLOCK},
        {UNIT_CATAPULT, CMD_ATTACK_GROUND, false, true, TARGET_BLOCK}, {UNIT_WARHOUND, CMD_ATTACK, false, true, TARGET_BLOCK},
        {UNIT_PRIEST, CMD_HEAL, false, true, TARGET_BLOCK}, {UNIT_DEMON, CMD_CAST_MAGIC, false, true, TARGET_BLOCK},
        {UNIT_KING, CMD_MOVE_TO, true, false, TARGET_RESOURCE}, {UNIT_KING, CMD_ENTER_KEEP, true, false, TARGET_NONE},
        {UNIT_SETTLER, CMD_FOUND_SETTLEMENT, true, false, TARGET_NONE}};
    for (const auto& r : rows)
    {
        CUnit* unit = world.Spawn(0, r.type, 10, 10);
        ASSERT_NE(unit, nullptr) << r.type;
        unit->onCommand(nullptr, nullptr, &tree, 30, 30, r.command);
        EXPECT_EQ(std::tuple(unit->targetObject == &tree, unit->ranged == 1, unit->targetKind, unit->currentCommand),
                  std::tuple(r.keeps, r.ranged, r.kind, r.command)) << r.type << " " << r.command;
        world.Delete(unit);
    }
}

TEST_F(OrdersActionBuffer, APatrolWalksBackAndForthAndIsResumedFromAfarWithItsEndsAndWaypointsGoLastFirst)
{
    CUnit* unit = Walker(0, 10, 10);
    unit->onCommand(nullptr, nullptr, nullptr, 15, 12, CMD_PATROL);
    EXPECT_TRUE(unit->patrolAX == 15 && unit->patrolAY == 12 && unit->patrolBX == 10 && unit->patrolBY == 10);
    // Another, drawn away by a fight two blocks off its line.
    CUnit* drawn = Walker(0, 10, 20);
    drawn->onCommand(nullptr, nullptr, nullptr, 15, 20, CMD_PATROL), drawn->StoreReturnPoint();
    EXPECT_EQ(drawn->returnX, 10);
    drawn->SetTile(12, 24), drawn->ResumeGuardOrPatrol();
    EXPECT_TRUE(drawn->currentCommand == CMD_PATROL && drawn->targetX == 15 && drawn->threaded == 1 &&
                drawn->patrolAX == 15 && drawn->patrolBX == 10 && drawn->patrolBY == 20 && drawn->returnX == -1);

    ASSERT_TRUE(RunTo(unit, 15, 12) && RunTo(unit, 10, 10) && RunTo(unit, 15, 12) &&
                unit->currentCommand == CMD_PATROL && unit->lastOrder == LAST_ORDER_PATROL && RunTo(drawn, 10, 20));
    // Shift waypoints queue behind an order; each path leads to the one queued last, so they are walked in
    // the reverse of their order, and the first one queued ends the walk.
    CUnit* queued = Walker(0, 30, 30);
    MoveTo(queued, 40, 40);
    for (const auto& [x, y] : {std::pair{30, 34}, std::pair{34, 34}, std::pair{34, 30}}) queued->AddWaypoint(x, y);
    ASSERT_TRUE(RunTo(queued, 34, 30) && queued->waypointCount == 2 && RunTo(queued, 34, 34) && RunTo(queued, 30, 34));
    ASSERT_GT(FramesUntil(600, [queued] { return queued->pathFlag == 0; }), 0);
    EXPECT_TRUE(queued->x == 30 && queued->y == 34);
}

TEST_F(OrdersActionBuffer, AFollowerWaitsWithinSightAndIsSentAfterItsLeaderBeyondIt)
{
    CTestWalker* follower = Walker(0, 10, 10);
    follower->sightOverride = 8;
    CUnit* leader = Walker(0, 17, 10);
    follower->followedUnit = leader, follower->followCountdown = 1, follower->UpdateFollow(1);
    EXPECT_TRUE(follower->orderState == 0 && follower->followCountdown == 64);
    leader->SetTile(18, 10);   // as far as it sees
    follower->UpdateFollow(63);
    EXPECT_EQ(follower->orderState, 0);
    follower->UpdateFollow(1);
    EXPECT_TRUE(follower->orderState == 1 && follower->followCountdown == 64 &&
                follower->currentCommand == CMD_MOVE_TO && follower->targetUnit == leader &&
                follower->targetKind == TARGET_UNIT && follower->ranged == 1 && follower->threaded == 1 &&
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
        for (const auto& building : m_Buildings) g_GameMap.Block(building->x, building->y).building = nullptr;
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
        if (step.from >= 0) unit->shownFacing = step.from;
        unit->SetDirection(step.facing, false), unit->TurnStep(step.ticks);
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
    CUnit *seeker = Walker(0, 10, 10), *enemy = Walker(1, 11, 10);
    CBuildingDouble* tower = Building(11, 10, 1, 6);   // on the enemy's cell
    EXPECT_TRUE(Found(seeker, false, pattern) == enemy && Found(seeker, true, pattern) == tower);
    // Towers, keeps, castles, then any; none with no hit points left or its own.
    CBuildingDouble *house = Building(10, 12, 1, 3), *castle = Building(10, 13, 1, 1), *keep = Building(13, 10, 1, 11);
    tower->health = 0.0f;
    for (CBuildingDouble* next : {keep, castle, house})
    {
        EXPECT_EQ(Found(seeker, true, pattern), next);
        next->owner = 0;
    }
    EXPECT_EQ(Found(seeker, true, pattern), enemy);

    // Walls, traps, allies, its own and the dead are never chosen.
    enemy->health = 0.0f;
    Building(12, 11, 1, 9), Building(9, 11, 1, 12), Walker(2, 12, 12);
    world.Player(0).allied[2] = 1, Walker(0, 9, 10);
    EXPECT_TRUE(Found(seeker, false, pattern) == nullptr && Found(seeker, true, pattern) == nullptr);
    enemy->health = 100.0f;
}

TEST(WalkStepTicks, FollowTheSpeedInThirtyTwoBitFloatAndAreNeitherZeroNorEndless)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), infinity = std::numeric_limits<float>::infinity();
    // 1 / 0.1f is 9.99999985 in double but 10 in float, as the game counts.
    const struct { float speed; bool diagonal; int32_t ticks; } cases[] = {
        {0.1f, false, 10}, {0.1f, true, 14},  {0.05f, false, 20}, {0.055f, false, 18}, {0.08f, true, 17},
        {1.0f, false, 1},  {7.5f, true, 1},   {0.0f, false, 0},   {-0.1f, false, 0},   {nan, false, 0},
        {1e-30f, false, 1 << 20}, {infinity, false, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CUnit::StepTicksFor(c.speed, c.diagonal), c.ticks) << c.speed << (c.diagonal ? " diagonal" : "");
}

using WalkOccupancy = UnitWorldTest;

TEST_F(WalkOccupancy, TileTestTellsFreeMoversAndBlockedAndOnlyAStepChangingXAndYIsDiagonal)
{
    CUnit* unit = Walker(0, 10, 10);
    Walker(0, 12, 10);
    Walker(0, 13, 10)->pathFlag = 1;
    g_GameMap.Block(11, 11).blocked = 1;
    const struct { int32_t x, y, result; } tiles[] = {
        {11, 10, CUnit::TileFree},    {10, 10, CUnit::TileFree},   // its own block
        {12, 10, CUnit::TileBlocked}, {13, 10, CUnit::TileHeldByMovers}, {11, 11, CUnit::TileBlocked},
        {-1, 5, CUnit::TileBlocked},  {5, -1, CUnit::TileBlocked}, {CSimHarness::DefaultMapSide, 5, CUnit::TileBlocked},
        {300, 5, CUnit::TileBlocked}};
    for (const auto& tile : tiles)
        EXPECT_EQ(unit->TestTileFree(tile.x, tile.y), tile.result) << tile.x << "," << tile.y;
    // East, north, north-east: a step is diagonal only when both x and y change; a unit without speed stays.
    const std::tuple<float, int32_t, int32_t, int32_t> steps[] = {{0.1f, 11, 10, 10}, {0.1f, 11, 9, 10},
                                                                  {0.1f, 12, 8, 14}, {0.0f, 13, 8, 0}};
    for (const auto& [speed, tx, ty, ticks] : steps)
    {
        unit->speed = speed, unit->pathFlag = 1, unit->stepTicks = 0, unit->StepToTile(tx, ty, 0);
        EXPECT_EQ(std::pair(unit->stepTicks, unit->pathFlag), std::pair(ticks, uint8_t(ticks > 0))) << tx << "," << ty;
    }
}

TEST_F(WalkOccupancy, WaitsBehindAMoverAndStopsCountingAsMovingAfterTwentyTries)
{
    CUnit *unit = Walker(0, 10, 10), *mover = Walker(0, 11, 10);
    MoveTo(unit, 12, 10);
    ASSERT_TRUE(FrameSound() && unit->routeEnd > 0);
    // The unit in the way claims to walk but never leaves.
    mover->pathFlag = 1;
    unit->route[unit->routeEnd - 1] = 2;   // straight east into it
    ASSERT_TRUE(FrameSound() && unit->retryCounter == 1 && unit->animType == ANIM_STAND && unit->pathFlag == 1);
    for (int32_t tick = 2; tick < CUnit::MaxTileRetries; ++tick) ASSERT_TRUE(FrameSound());
    EXPECT_TRUE(unit->retryCounter == CUnit::MaxTileRetries - 1 && unit->pathFlag == 1 && FrameSound());
    EXPECT_TRUE(unit->retryCounter == CUnit::MaxTileRetries && unit->pathFlag == 0);
    // Once the mover leaves, the step goes on.
    mover->pathFlag = 0, world.Delete(mover);
    ASSERT_TRUE(FrameSound() && unit->x == 11 && unit->retryCounter == 0 && unit->pathFlag == 1);
}

// One-block passages (x 8 to 15, closed at both ends) with a side block at x 11: a walker that meets an
// ally standing there waits in front of it, and the ally keeps its block and its work: it is never
// pushed into the water of the side block.  Two walkers that meet head on pass each other by it.
TEST_F(WalkOccupancy, NoUnitInAPassageIsPushedIntoWaterOrAwayFromItsWorkAndTwoWalkersPass)
{
    const struct { int32_t y, sideWater, command, walkerEndX, otherEndX; } cases[] = {
        {10, 20, CMD_NONE, 10, 11}, {20, 0, CMD_HARVEST, 10, 11}, {30, 0, CMD_MOVE_TO, 13, 8}};
    world.Player(0).allied[1] = world.Player(1).allied[0] = 1;
    CUnit *walkers[3], *others[3];
    for (int32_t i = 0; i < 3; ++i)
    {
        const int32_t y = cases[i].y;
        for (int32_t x = 7; x <= 16; ++x) g_GameMap.Block(x, y - 1).blocked = g_GameMap.Block(x, y + 1).blocked = 1;
        g_GameMap.Block(7, y).blocked = g_GameMap.Block(16, y).blocked = 1;
        g_GameMap.Block(11, y + 1).blocked = 0;
        g_GameMap.Block(11, y + 1).waterLevel = static_cast<uint16_t>(cases[i].sideWater);
        walkers[i] = Walker(0, 9, y), others[i] = Walker(1, 11, y);
        MoveTo(walkers[i], 13, y);
        if (cases[i].command == CMD_MOVE_TO) MoveTo(others[i], cases[i].otherEndX, y);
        others[i]->currentCommand = cases[i].command;
    }
    for (int32_t tick = 0; tick < 300; ++tick) ASSERT_TRUE(FrameSound());
    for (int32_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(std::tuple(walkers[i]->x, others[i]->x, walkers[i]->y, others[i]->y),
                  std::tuple(cases[i].walkerEndX, cases[i].otherEndX, cases[i].y, cases[i].y)) << cases[i].y;
        EXPECT_TRUE(others[i]->currentCommand == cases[i].command || cases[i].command == CMD_MOVE_TO) << cases[i].y;
    }
}

constexpr int32_t HostRole = 1, ClientRole = 2, East = 2, EastFacing = 90;

class WalkNetwork : public UnitWorldTest
{
protected:
    // The result and receiver of the last step answer, or {-1, -1}.
    static std::pair<int32_t, int32_t> LastAnswer()
    {
        const CMultiplayer::SSentPacket* answer = LastSent(CMultiplayerGame::CommandMoveStep);
        return answer == nullptr ? std::pair(-1, -1) : std::pair(answer->packet.Value(5), answer->target);
    }
};

TEST_F(WalkNetwork, ClientAsksForEachStepIgnoresMalformedAnswersRetriesAndReplansOnARefusal)
{
    constexpr int32_t Request = CMultiplayerGame::CommandRequestMoveStep;
    // Player 1's client, its unit ordered three blocks east and waiting for its first step.
    g_Config.networkRole = ClientRole, g_LocalPlayer = 1;
    CTestWalker* unit = Walker(1, 10, 10);
    MoveTo(unit, 13, 10);
    FrameSound();   // the order is performed, the route found
    FrameSound();   // the first step is asked for
    const CMultiplayer::SSentPacket* request = LastSent(Request);
    ASSERT_NE(request, nullptr);
    // Unit, x, y, facing, direction, to the host.
    EXPECT_EQ(std::vector<int32_t>(request->packet.fields + 2, request->packet.fields + 7),
              std::vector<int32_t>({Ref(unit), 11, 10, EastFacing, East}));
    EXPECT_TRUE(request->target == 0 && unit->awaitingMoveAnswer == 1 && unit->x == 10);
    // Without an answer nothing moves and nothing more is asked.
    for (int32_t frame = 0; frame < 10; ++frame) FrameSound(3);
    EXPECT_TRUE(SentCommands(Request) == 1 && unit->x == 10);

    const int32_t route = unit->routeEnd;
    // No such direction, off the map, not a neighbour, not where the direction leads, no such result.
    const struct { int32_t x, y, result, direction; } bad[] = {{11, 10, CUnit::TileFree, 9},
        {11, 10, CUnit::TileFree, -1}, {300, 5, CUnit::TileFree, East}, {12, 10, CUnit::TileFree, East},
        {11, 11, CUnit::TileFree, East}, {11, 10, 7, East}};
    for (const auto& answer : bad)
    {
        unit->awaitingMoveAnswer = 1;
        unit->OnNetworkMoveResponse(answer.x, answer.y, EastFacing, answer.result, answer.direction);
        EXPECT_TRUE(unit->awaitingMoveAnswer == 0 && unit->x == 10 && unit->y == 10 && unit->routeEnd == route &&
                    unit->stepTicks == 0) << answer.x << "," << answer.y;
    }

    g_MultiplayerGame.ClearSent(), unit->awaitingMoveAnswer = 1;
    for (int32_t answer = 1; answer <= CUnit::MaxTileRetries; ++answer)
    {
        ASSERT_EQ(unit->awaitingMoveAnswer, 1) << answer;
        unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileHeldByMovers, East);
        EXPECT_EQ(std::tuple(unit->retryCounter, unit->pathFlag, unit->animType, unit->ready),
                  std::tuple(answer, answer < CUnit::MaxTileRetries ? 1 : 0, int32_t(ANIM_STAND), 1)) << answer;
        FrameSound();   // asks again
    }
    EXPECT_TRUE(SentCommands(Request) == CUnit::MaxTileRetries && unit->x == 10);

    // A refusal sends the order back for a new path.
    unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileBlocked, East);
    EXPECT_TRUE(unit->awaitingMoveAnswer == 0 && unit->routeEnd == 0 && unit->pathFlag == 0 && unit->x == 10 &&
                unit->orderState == 1 && unit->threaded == 1);
    const int32_t performed = unit->performCalls;
    FrameSound();
    EXPECT_TRUE(unit->performCalls == performed + 1 && unit->routeEnd > 0);

    // Granted: the step is taken, and the next one asked for once it is done.
    ASSERT_GT(FramesUntil(3, [&] { return unit->awaitingMoveAnswer == 1; }), 0);
    unit->OnNetworkMoveResponse(11, 10, EastFacing, CUnit::TileFree, East);
    EXPECT_TRUE(unit->awaitingMoveAnswer == 0 && unit->x == 11 && unit->stepTicks == 10 && unit->facing == EastFacing);
    g_MultiplayerGame.ClearSent(), FrameSound(10);
    EXPECT_EQ(SentCommands(Request), 0);
    FrameSound(1);
    ASSERT_TRUE(SentCommands(Request) == 1 && LastSent(Request)->packet.Value(1) == 12);

    // An answer for a unit that died meanwhile does not move it.
    unit->RemoveFromWorld(false), unit->OnNetworkMoveResponse(12, 10, EastFacing, CUnit::TileFree, East);
    EXPECT_TRUE(unit->awaitingMoveAnswer == 0 && unit->x == 11 && unit->animType != ANIM_WALK &&
                g_GameMap.Block(12, 10).unit == nullptr);
}

TEST_F(WalkNetwork, HostChecksEveryRequestBeforeItAnswers)
{
    g_Config.networkRole = HostRole;
    CUnit* unit = Walker(1, 10, 10);
    Walker(2, 10, 11);   // standing in the way
    // From a machine not the owner, off the map, not a neighbour, a bad
    // direction, onto a standing unit: refused, to the owner alone.
    const struct { int32_t sender, x, y, direction; } refused[] = {
        {2, 11, 10, East}, {1, 300, 10, East}, {1, 12, 10, East}, {1, 11, 10, 12}, {1, 10, 11, 4}};
    for (const auto& request : refused)
    {
        g_MultiplayerGame.ClearSent();
        unit->OnNetworkMoveRequest(request.sender, request.x, request.y, EastFacing, request.direction);
        EXPECT_EQ(std::tuple(LastAnswer(), unit->x), std::tuple(std::pair(int32_t(CUnit::TileBlocked), 1), 10))
            << request.x << "," << request.y;
    }
    g_MultiplayerGame.ClearSent(), unit->OnNetworkMoveRequest(1, 11, 10, EastFacing, East);
    EXPECT_EQ(LastAnswer(), std::pair(int32_t(CUnit::TileFree), CMultiplayer::AllMachines));
    EXPECT_TRUE(unit->x == 11 && unit->routeEnd == 1);
    FrameSound(5);   // half the step's 10 ticks
    EXPECT_FLOAT_EQ(unit->centreX, 11.0f);
    FrameSound(6);
    EXPECT_TRUE(unit->centreX == 11.5f && unit->routeEnd == 0);
    unit->RemoveFromWorld(false), g_MultiplayerGame.ClearSent();
    unit->OnNetworkMoveRequest(1, 12, 10, EastFacing, East);
    EXPECT_TRUE(LastAnswer().first == CUnit::TileBlocked && unit->x == 11);
}

// A copy takes another machine's action on its tile; in a single-player game, with a kind, animation or
// point out of range, for this machine's own unit or for a dying copy nothing changes.
TEST_F(WalkNetwork, CopyTakesTheActionOnItsTileAndARemoteResourceBecomesItsTarget)
{
    CTestWalker* remote = Walker(1, 10, 10);
    CUnit* other = Walker(0, 12, 10);
    CTestLog log;
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, TARGET_UNIT, false);
    EXPECT_TRUE(log.Contains("#DEBUG: Multiplayer event in single player mode") && remote->targetUnit == nullptr);
    g_Config.networkRole = HostRole;
    remote->centreX = 10.8f, remote->routeEnd = 3, remote->pathFlag = remote->awaitingMoveAnswer = 1;
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, TARGET_UNIT, true);
    EXPECT_TRUE(log.Contains("#DEBUG: Network perform action before move response") &&
                remote->awaitingMoveAnswer == 0 && remote->animType == ANIM_ATTACK && remote->tornApart == 1 &&
                remote->targetUnit == other && remote->actionTargetUnit == other && remote->targetKind == TARGET_UNIT &&
                remote->approachX == 12 && remote->centreX == 10.5f && remote->routeEnd == 0 && remote->pathFlag == 0);

    // An event without a target is reported and applied all the same.
    remote->OnNetworkAction(ANIM_STAND, nullptr, nullptr, 10, 10, TARGET_NONE, false);
    EXPECT_TRUE(log.Contains("#DEBUG: Invalid target type in network unit event") && remote->animType == ANIM_STAND &&
                remote->targetKind == TARGET_NONE && remote->targetUnit == nullptr);
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, 9, false);
    EXPECT_EQ(log.Count("#DEBUG: Invalid target type in network unit event"), 2);
    remote->OnNetworkAction(14, other, nullptr, 12, 10, TARGET_UNIT, false);
    remote->OnNetworkAction(-1, other, nullptr, 12, 10, TARGET_UNIT, false);
    remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 300, 10, TARGET_BLOCK, false);
    EXPECT_TRUE(remote->animType == ANIM_STAND && remote->targetUnit == nullptr);
    other->OnNetworkAction(ANIM_ATTACK, remote, nullptr, 10, 10, TARGET_UNIT, false);
    EXPECT_EQ(other->targetUnit, nullptr);
    remote->RemoveFromWorld(false), remote->OnNetworkAction(ANIM_ATTACK, other, nullptr, 12, 10, TARGET_UNIT, false);
    EXPECT_EQ(remote->animType, ANIM_DIE);

    // A worker that starts on gold takes the mine as its target and drops its stone.
    CBuildingDouble mine(20, 20, -1, 10, 4);   // a gold mine
    auto* worker = static_cast<CUnitWorker*>(world.Spawn(1, UNIT_WORKER, 14, 14));
    ASSERT_NE(worker, nullptr);
    worker->carriedKind = CUnitWorker::KindStone, worker->carriedAmount = 5;
    worker->OnNetworkAction(ANIM_MINE_GOLD, nullptr, &mine, 20, 20, TARGET_RESOURCE, false);
    EXPECT_TRUE(worker->targetObject == &mine && worker->targetBuilding == &mine && worker->objectResourceKind == 4 &&
                worker->actionTargetBuilding == &mine && worker->carriedKind == CUnitWorker::KindGold &&
                worker->carriedAmount == 0);
    worker->targetBuilding = worker->actionTargetBuilding = worker->targetObject = nullptr;
}
}  // namespace

