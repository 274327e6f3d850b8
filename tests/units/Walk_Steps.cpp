// Step times from the speed, and who may take a tile on the way.

#include <limits>

#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"

namespace
{
TEST(WalkStepTicks, FollowTheSpeedInThirtyTwoBitFloatAndAreNeitherZeroNorEndless)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
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

TEST_F(WalkOccupancy, TileTestTellsFreeMoversAndBlocked)
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
    EXPECT_TRUE(unit->retryCounter == 1 && unit->animType == ANIM_STAND && unit->pathFlag == 1);
    for (int32_t tick = 2; tick < CUnit::MaxTileRetries; ++tick)
        ASSERT_TRUE(FrameSound());
    EXPECT_TRUE(unit->retryCounter == CUnit::MaxTileRetries - 1 && unit->pathFlag == 1);
    ASSERT_TRUE(FrameSound());
    EXPECT_TRUE(unit->retryCounter == CUnit::MaxTileRetries && unit->pathFlag == 0);
    // Once the mover leaves, the step goes on.
    mover->pathFlag = 0;
    world.Delete(mover);
    ASSERT_TRUE(FrameSound());
    EXPECT_TRUE(unit->x == 11 && unit->retryCounter == 0 && unit->pathFlag == 1);
}

// One-block passages (x 8 to 15, closed at both ends) with a side block at x 11: a walker that meets an
// ally standing there waits in front of it, and the ally keeps its block and its work: it is never
// pushed into the water of the side block.  Two walkers that meet head on pass each other by it.
TEST_F(WalkOccupancy, NoUnitInAPassageIsPushedIntoWaterOrAwayFromItsWorkAndTwoWalkersPass)
{
    const struct { int32_t y, sideWater, command, walkerEndX, otherEndX; } cases[] = {
        {10, 20, CMD_NONE, 10, 11}, {20, 0, CMD_HARVEST, 10, 11}, {30, 0, CMD_MOVE_TO, 13, 8}};
    world.Player(0).allied[1] = world.Player(1).allied[0] = 1;
    CUnit* walkers[3];
    CUnit* others[3];
    for (int32_t i = 0; i < 3; ++i)
    {
        const int32_t y = cases[i].y;
        for (int32_t x = 7; x <= 16; ++x)
            g_GameMap.Block(x, y - 1).blocked = g_GameMap.Block(x, y + 1).blocked = 1;
        g_GameMap.Block(7, y).blocked = g_GameMap.Block(16, y).blocked = 1;
        g_GameMap.Block(11, y + 1).blocked = 0;
        g_GameMap.Block(11, y + 1).waterLevel = static_cast<uint16_t>(cases[i].sideWater);
        walkers[i] = Walker(0, 9, y);
        others[i] = Walker(1, 11, y);
        MoveTo(walkers[i], 13, y);
        if (cases[i].command == CMD_MOVE_TO)
            MoveTo(others[i], cases[i].otherEndX, y);
        others[i]->currentCommand = cases[i].command;
    }
    for (int32_t tick = 0; tick < 300; ++tick)
        ASSERT_TRUE(FrameSound());
    for (int32_t i = 0; i < 3; ++i)
    {
        EXPECT_TRUE(walkers[i]->x == cases[i].walkerEndX && others[i]->x == cases[i].otherEndX) << cases[i].y;
        EXPECT_TRUE(walkers[i]->y == cases[i].y && others[i]->y == cases[i].y) << cases[i].y;
        EXPECT_TRUE(others[i]->currentCommand == cases[i].command || cases[i].command == CMD_MOVE_TO) << cases[i].y;
    }
}

}  // namespace
