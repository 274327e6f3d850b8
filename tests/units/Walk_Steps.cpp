// Walking a route tile by tile: step times from the speed, straight and
// diagonal steps, and frames of many ticks walking the same route.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/units/UnitWorld.h"
#include "world/C_GameMap.h"

namespace
{
class WalkSteps : public UnitWorldTest
{
};

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

TEST_F(WalkSteps, StraightStepMovesTheCentreOverTenTicks)
{
    CUnit* unit = Walker(0, 10, 10);
    MoveTo(unit, 11, 10);
    // Frame 1: the order is performed and the route found.  Frame 2: the
    // unit takes the tile.  Then ten ticks of movement.
    world.Frame(1);
    ASSERT_EQ(unit->routeEnd, 1);
    world.Frame(1);
    EXPECT_EQ(unit->x, 11);
    EXPECT_EQ(unit->stepTicks, 10);
    EXPECT_EQ(unit->animType, ANIM_WALK);
    EXPECT_FLOAT_EQ(unit->centreX, 10.5f);
    for (int32_t tick = 1; tick <= 10; ++tick)
    {
        world.Frame(1);
        EXPECT_NEAR(unit->centreX, 10.5f + 0.1f * static_cast<float>(tick), 1e-4f) << tick;
        ASSERT_TRUE(ExpectWorldSound(world));
    }
    EXPECT_EQ(unit->stepTicks, 0);
    world.Frame(1);
    EXPECT_EQ(unit->routeEnd, 0);
    EXPECT_EQ(unit->pathFlag, 0);
    EXPECT_EQ(unit->animType, ANIM_STAND);
    EXPECT_FLOAT_EQ(unit->centreX, 11.5f);
    EXPECT_FLOAT_EQ(unit->centreY, 10.5f);
    EXPECT_EQ(unit->facing, 90);
}

// Walks a route in frames of the given size; the ticks until the unit stood
// at its goal, or -1.
int32_t TicksToArrive(int32_t ticksPerFrame)
{
    CSimHarness world;
    CUnit* unit = world.Adopt(0, new CTestWalker(0.1f), 5, 5);
    unit->onCommand(nullptr, nullptr, nullptr, 12, 8, CMD_MOVE_TO);
    for (int32_t ticks = 0; ticks < 400; ticks += ticksPerFrame)
    {
        world.Frame(ticksPerFrame);
        if (!world.CheckInvariants().empty())
            return -1;
        if (unit->x == 12 && unit->y == 8 && unit->routeEnd == 0)
        {
            EXPECT_FLOAT_EQ(unit->centreX, 12.5f);
            EXPECT_FLOAT_EQ(unit->centreY, 8.5f);
            return ticks + ticksPerFrame;
        }
    }
    return -1;
}

TEST(WalkBatches, FramesOfManyTicksWalkTheSameRoute)
{
    // 7 steps, 3 of them diagonal: 4 x (10 + 1) + 3 x (14 + 1) ticks of
    // walking after the frame that finds the route.
    const int32_t walking = 4 * 11 + 3 * 15;
    // One frame finds the route; the last tick only arrives.
    EXPECT_EQ(TicksToArrive(1), 1 + walking + 1);
    const int32_t batched = TicksToArrive(7);
    EXPECT_GE(batched, 7 + walking + 1);
    EXPECT_LT(batched, 7 + walking + 1 + 7);
}
}  // namespace
