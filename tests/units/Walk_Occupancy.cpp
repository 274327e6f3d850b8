// Tile occupancy while walking: the tile test, waiting behind moving units,
// giving up at a standing one, a hidden unit, an order mid-walk, and eight
// units crossing a one-block gap in a wall from both sides.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"

namespace
{
class WalkOccupancy : public UnitWorldTest
{
};

TEST_F(WalkOccupancy, TileTestTellsFreeMoversAndBlocked)
{
    CUnit* unit = Walker(0, 10, 10);
    CUnit* other = Walker(0, 12, 10);
    EXPECT_EQ(unit->TestTileFree(11, 10), CUnit::TileFree);
    EXPECT_EQ(unit->TestTileFree(10, 10), CUnit::TileFree);   // its own block
    EXPECT_EQ(unit->TestTileFree(12, 10), CUnit::TileBlocked);
    other->pathFlag = 1;
    EXPECT_EQ(unit->TestTileFree(12, 10), CUnit::TileHeldByMovers);
    other->pathFlag = 0;
    g_GameMap.Block(11, 11).blocked = 1;
    EXPECT_EQ(unit->TestTileFree(11, 11), CUnit::TileBlocked);
    // Off the map on every side.
    EXPECT_EQ(unit->TestTileFree(-1, 5), CUnit::TileBlocked);
    EXPECT_EQ(unit->TestTileFree(5, -1), CUnit::TileBlocked);
    EXPECT_EQ(unit->TestTileFree(CSimHarness::DefaultMapSide, 5), CUnit::TileBlocked);
    EXPECT_EQ(unit->TestTileFree(300, 5), CUnit::TileBlocked);
}

TEST_F(WalkOccupancy, WaitsBehindAMoverAndStopsCountingAsMovingAfterTwentyTries)
{
    CUnit* unit = Walker(0, 10, 10);
    CUnit* mover = Walker(0, 11, 10);
    MoveTo(unit, 12, 10);
    ASSERT_TRUE(FrameSound());
    ASSERT_GT(unit->routeEnd, 0);
    // The unit in the way claims to walk but never leaves.
    mover->pathFlag = 1;
    unit->route[unit->routeEnd - 1] = 2;   // straight east into it
    ASSERT_TRUE(FrameSound());
    EXPECT_EQ(unit->retryCounter, 1);
    EXPECT_EQ(unit->animType, ANIM_STAND);
    EXPECT_EQ(unit->pathFlag, 1);
    for (int32_t tick = 2; tick < CUnit::MaxTileRetries; ++tick)
        ASSERT_TRUE(FrameSound());
    EXPECT_EQ(unit->retryCounter, CUnit::MaxTileRetries - 1);
    EXPECT_EQ(unit->pathFlag, 1);
    ASSERT_TRUE(FrameSound());
    EXPECT_EQ(unit->retryCounter, CUnit::MaxTileRetries);
    EXPECT_EQ(unit->pathFlag, 0);
    // Once the mover leaves, the step goes on.
    mover->pathFlag = 0;
    world.Delete(mover);
    ASSERT_TRUE(FrameSound());
    EXPECT_EQ(unit->x, 11);
    EXPECT_EQ(unit->retryCounter, 0);
    EXPECT_EQ(unit->pathFlag, 1);
}

TEST_F(WalkOccupancy, StandingUnitInTheWaySendsTheOrderBackForANewPath)
{
    CUnit* unit = Walker(0, 10, 10);
    MoveTo(unit, 14, 10);
    ASSERT_TRUE(FrameSound());
    ASSERT_EQ(unit->routeEnd, 4);
    Walker(1, 11, 10);   // appears after the route was found
    world.Tick(1);
    unit->UpdateActionBuffer(1);
    EXPECT_EQ(unit->routeEnd, 0);
    EXPECT_EQ(unit->orderState, 1);
    EXPECT_EQ(unit->threaded, 1);
    EXPECT_EQ(unit->ready, 1);
    EXPECT_EQ(unit->currentCommand, CMD_MOVE_TO);
    // The follow-up pass finds a way round and the unit arrives.
    for (int32_t tick = 0; tick < 120 && !(unit->x == 14 && unit->routeEnd == 0); ++tick)
        ASSERT_TRUE(FrameSound());
    EXPECT_EQ(unit->x, 14);
    EXPECT_EQ(unit->y, 10);
}

TEST_F(WalkOccupancy, NewOrderStopsTheWalkAtTheNextTileCentre)
{
    CUnit* unit = Walker(0, 10, 10);
    MoveTo(unit, 20, 10);
    ASSERT_TRUE(FrameSound());
    ASSERT_TRUE(FrameSound(4));   // mid-way into the first step
    ASSERT_EQ(unit->x, 11);
    ASSERT_GT(unit->stepTicks, 0);
    MoveTo(unit, 11, 15);
    // The step is finished first: the order waits for the tile centre.
    unit->UpdateActionBuffer(6);
    EXPECT_GT(unit->routeEnd, 0);
    EXPECT_EQ(unit->ready, 0);
    unit->UpdateActionBuffer(2);
    EXPECT_EQ(unit->routeEnd, 0);
    EXPECT_EQ(unit->ready, 1);
    EXPECT_EQ(unit->pathFlag, 0);
    EXPECT_FLOAT_EQ(unit->centreX, 11.5f);
    for (int32_t tick = 0; tick < 100 && !(unit->y == 15 && unit->routeEnd == 0); ++tick)
        ASSERT_TRUE(FrameSound());
    EXPECT_EQ(unit->x, 11);
    EXPECT_EQ(unit->y, 15);
}

TEST_F(WalkOccupancy, HiddenUnitStopsWalking)
{
    CUnit* unit = Walker(0, 10, 10);
    MoveTo(unit, 20, 10);
    ASSERT_TRUE(FrameSound(3));
    ASSERT_GT(unit->routeEnd, 0);
    unit->ShowUnit(false);
    // A walk left in the record (a garrison sets the unit aside mid-step).
    unit->routeEnd = 5;
    unit->currentStep = 4;
    unit->pathFlag = 1;
    ASSERT_TRUE(FrameSound(20));
    EXPECT_EQ(unit->routeEnd, 0);
    EXPECT_EQ(unit->pathFlag, 0);
    for (int32_t x = 0; x < CSimHarness::DefaultMapSide; ++x)
        for (int32_t y = 0; y < CSimHarness::DefaultMapSide; ++y)
            EXPECT_NE(g_GameMap.Block(x, y).unit, unit);
}

TEST_F(WalkOccupancy, UnitWithoutSpeedStaysOnItsTile)
{
    CUnit* unit = Walker(0, 10, 10, 0.0f);
    MoveTo(unit, 12, 10);
    for (int32_t tick = 0; tick < 30; ++tick)
        ASSERT_TRUE(FrameSound());
    EXPECT_EQ(unit->x, 10);
    EXPECT_EQ(unit->stepTicks, 0);
    EXPECT_FLOAT_EQ(unit->centreX, 10.5f);
}

// A one-block passage along y = 10 from x = 8 to x = 15, closed at both
// ends; players 0 and 1 are allies.
void BuildPassage(CSimHarness& world)
{
    for (int32_t x = 7; x <= 16; ++x)
    {
        g_GameMap.Block(x, 9).blocked = 1;
        g_GameMap.Block(x, 11).blocked = 1;
    }
    g_GameMap.Block(7, 10).blocked = 1;
    g_GameMap.Block(16, 10).blocked = 1;
    world.Player(0).allied[1] = 1;
    world.Player(1).allied[0] = 1;
}

TEST_F(WalkOccupancy, StandingFriendOfALaterPlayerStepsAsideInAPassage)
{
    BuildPassage(world);
    CUnit* first = Walker(0, 9, 10);
    CUnit* later = Walker(1, 11, 10);
    MoveTo(first, 13, 10);
    for (int32_t tick = 0; tick < 600 && !(first->x == 13 && first->routeEnd == 0); ++tick)
        ASSERT_TRUE(FrameSound());
    // Pushed on block by block until the passage's end.
    EXPECT_EQ(first->x, 13);
    EXPECT_EQ(later->x, 14);
    EXPECT_EQ(later->y, 10);
}

TEST_F(WalkOccupancy, StandingFriendOfAnEarlierPlayerKeepsItsBlock)
{
    BuildPassage(world);
    CUnit* earlier = Walker(0, 11, 10);
    CUnit* later = Walker(1, 9, 10);
    MoveTo(later, 13, 10);
    for (int32_t tick = 0; tick < 200; ++tick)
        ASSERT_TRUE(FrameSound());
    EXPECT_EQ(earlier->x, 11);
    EXPECT_EQ(earlier->y, 10);
    EXPECT_EQ(later->x, 10);
}

TEST_F(WalkOccupancy, EightUnitsCrossAOneBlockGapFromBothSides)
{
    // A wall along x = 20 with one open block at y = 24.
    constexpr int32_t WallX = 20;
    constexpr int32_t GapY = 24;
    for (int32_t y = 0; y < CSimHarness::DefaultMapSide; ++y)
        if (y != GapY)
            g_GameMap.Block(WallX, y).blocked = 1;
    // Players 0 and 1 are allies.
    world.Player(0).allied[1] = 1;
    world.Player(1).allied[0] = 1;
    struct SRun
    {
        CTestWalker* unit;
        int32_t goalX;
        int32_t goalY;
    };
    std::vector<SRun> runs;
    for (int32_t i = 0; i < 4; ++i)
    {
        runs.push_back({Walker(0, 15, 21 + 2 * i), 26, 21 + 2 * i});
        runs.push_back({Walker(1, 25, 21 + 2 * i), 14, 21 + 2 * i});
    }
    for (const SRun& run : runs)
        MoveTo(run.unit, run.goalX, run.goalY);
    constexpr int32_t TickLimit = 4000;
    int32_t tick = 0;
    auto allArrived = [&runs]() {
        for (const SRun& run : runs)
            if (run.unit->routeEnd != 0 || run.unit->orderState != 0 ||
                std::abs(run.unit->x - run.goalX) > 1 || std::abs(run.unit->y - run.goalY) > 1)
                return false;
        return true;
    };
    for (; tick < TickLimit && !allArrived(); ++tick)
        ASSERT_TRUE(FrameSound());
    EXPECT_LT(tick, TickLimit);
    for (const SRun& run : runs)
    {
        // On the goal, or on a free block beside it when another stands there.
        EXPECT_LE(std::abs(run.unit->x - run.goalX), 1) << run.goalX << "," << run.goalY;
        EXPECT_LE(std::abs(run.unit->y - run.goalY), 1) << run.goalX << "," << run.goalY;
        EXPECT_EQ((run.unit->x > WallX), (run.goalX > WallX));
    }
}
}  // namespace
