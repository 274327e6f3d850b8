// The A* route search on hand-made maps: route form, the goal rules, corner
// cutting, occupants, layers, the 512-step route buffer, failures and the
// search stamps.

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/GlobalFunc.h"
#include "tests/support/PathTestObjects.h"
#include "tests/support/TestLog.h"

namespace
{
constexpr int32_t Land = CPathFinder::LayerLand;
constexpr int32_t Water = CPathFinder::LayerWater;

std::vector<uint8_t> RouteBytes(PathTestWorld& world, int32_t steps)
{
    return std::vector<uint8_t>(world.Route(), world.Route() + steps);
}

// Every step goes to a neighbour; the last cell is the end.
void ExpectContiguousTo(PathTestWorld& world, int32_t x, int32_t y, int32_t steps)
{
    for (const auto& cell : world.Cells(x, y, steps))
    {
        ASSERT_LE(std::abs(cell.x - x), 1);
        ASSERT_LE(std::abs(cell.y - y), 1);
        x = cell.x;
        y = cell.y;
    }
    EXPECT_EQ(std::pair(x, y), std::pair(world.end.x, world.end.y));
}

void ExpectEnd(PathTestWorld& world, int32_t x, int32_t y)
{
    EXPECT_EQ(std::pair(world.end.x, world.end.y), std::pair(x, y));
}

template <class T> T& Placed(PathTestWorld& world, T& object, int32_t x, int32_t y)
{
    object.x = x;
    object.y = y;
    if constexpr (std::is_base_of_v<CUnit, T>)
        PlacePathTestUnit(*world.map, object);
    else
        PlacePathTestBuilding(*world.map, object);
    return object;
}

// A corridor along y = 1 between blocked rows, `length` blocks long.
std::unique_ptr<CGameMap> Corridor(int32_t length)
{
    return MakePathTestMap({std::string(size_t(length), '#'), std::string(size_t(length), '.'),
                            std::string(size_t(length), '#')});
}
} // namespace

TEST(PathFinderRoute, StraightAndDiagonalRoutesUseTheirDirectionCodes)
{
    struct SCase
    {
        int32_t fromX, fromY, toX, toY, steps;
        uint8_t code;
    };
    const SCase cases[] = {{1, 1, 6, 1, 5, 2}, {1, 1, 4, 4, 3, 3}, {6, 6, 3, 3, 3, 7}, {5, 5, 5, 2, 3, 0}};
    PathTestWorld world(MakePathTestMap(10, 10));
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.code);
        ASSERT_EQ(world.Find(c.fromX, c.fromY, c.toX, c.toY), c.steps);
        EXPECT_EQ(RouteBytes(world, c.steps), std::vector<uint8_t>(size_t(c.steps), c.code));
        ExpectEnd(world, c.toX, c.toY);
    }
    // A knight's move: one diagonal and one straight step.
    ASSERT_EQ(world.Find(2, 2, 3, 4), 2);
    ExpectContiguousTo(world, 2, 2, 2);
    EXPECT_EQ(RouteCost(world.Route(), 2), 24);

    // Around a wall, worked by hand: over its top, 14 + 10 + 10 + 10 + 14 + 10.
    PathTestWorld walled(MakePathTestMap({".....", "..#..", "..#..", "..#..", "....."}));
    const int32_t steps = walled.Find(0, 2, 4, 2);
    ExpectContiguousTo(walled, 0, 2, steps);
    EXPECT_EQ(RouteCost(walled.Route(), steps), 68);
}

TEST(PathFinderRoute, GoalRulesForBlockedOffMapAndStartGoals)
{
    PathTestWorld world(MakePathTestMap(12, 12));
    for (int32_t x = 5; x <= 7; ++x)
        for (int32_t y = 4; y <= 6; ++y)
            world.map->Block(x, y).blocked = 1;
    // A blocked goal moves to the nearest free cell toward the start.
    EXPECT_EQ(world.Find(1, 5, 6, 5), 3);
    ExpectEnd(world, 4, 5);
    // A goal off the map is clamped into it.
    EXPECT_EQ(world.Find(2, 2, 40, -7), 9);
    ExpectEnd(world, 11, 0);
    EXPECT_EQ(world.finder->GetFinishedSearches(), 2);
    // Start equal to a free goal finds nothing and counts as failed.
    EXPECT_EQ(world.Find(4, 4, 4, 4), 0);
    ExpectEnd(world, 4, 4);
    EXPECT_EQ(world.finder->GetFinishedSearches(), 2);
    EXPECT_EQ(world.finder->GetFailedSearches(), 1);
}

TEST(PathFinderRoute, UnreachableGoalLeadsToTheClosestCell)
{
    PathTestWorld world(MakePathTestMap({"........", "......##", "......#.", "......##", "........"}));
    const int32_t steps = world.Find(0, 2, 7, 2);
    ExpectContiguousTo(world, 0, 2, steps);
    EXPECT_EQ(world.finder->GetFailedSearches(), 1);
    EXPECT_EQ(GlobalFunc::Distance(world.end.x, world.end.y, 7, 2), 20);
}

TEST(PathFinderRoute, DiagonalPastABlockedCornerIsRefusedButPastATreeAllowed)
{
    // The diagonal from (0,1) to (1,0) passes the corners (1,1) and (0,0).
    struct SCase
    {
        const char* name;
        int32_t cast, resourceKind, expectedSteps;
    };
    const SCase cases[] = {
        {"building", 1, 0, 2}, {"wall", 9, 0, 2}, {"rock", 10, 3, 2}, {"tree", 10, 2, 1}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        PathTestWorld world(MakePathTestMap(3, 3));
        PathTestBuilding blocker(c.cast, 1, 1, -1);
        blocker.resourceKind = c.resourceKind;
        Placed(world, blocker, 0, 0);
        EXPECT_EQ(world.Find(0, 1, 1, 0), c.expectedSteps);
        ExpectEnd(world, 1, 0);
    }
    PathTestWorld bare(MakePathTestMap({"#..", "...", "..."}));
    EXPECT_EQ(bare.Find(0, 1, 1, 0), 2) << "blocked terrain";
}

TEST(PathFinderRoute, StandingUnitBlocksAndWalkingUnitsAsFastLetPass)
{
    struct SCase
    {
        const char* name;
        uint8_t pathFlag;
        float occupantSpeed;
        bool passes;
    };
    const SCase cases[] = {{"standing", 0, 5.0f, false},
                           {"walking faster", 1, 2.0f, true},
                           {"walking as fast", 1, 1.0f, true},
                           {"walking slower", 1, 0.5f, false}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        PathTestWorld world(Corridor(8));
        PathTestUnit self(0, 1, 1.0f);
        PathTestUnit occupant(0, 1, c.occupantSpeed);
        occupant.pathFlag = c.pathFlag;
        Placed(world, occupant, 4, 1);
        world.finder->Init(0, &Placed(world, self, 0, 1));
        world.Find(0, 1, 7, 1);
        EXPECT_EQ(world.end.x == 7, c.passes);
        EXPECT_EQ(world.finder->GetFailedSearches(), c.passes ? 0 : 1);
    }
}

TEST(PathFinderRoute, MeleeChaserPassesUnitsNotAlliedWithItsPlayer)
{
    struct SCase
    {
        const char* name;
        int32_t blockerPlayer, range;
        bool passes;
    };
    const SCase cases[] = {{"melee through an enemy", 1, 1, true},
                           {"melee through an ally", 2, 1, false},
                           {"melee through its own", 0, 1, false},
                           {"archer through an enemy", 1, 5, false},
                           {"worker after a catapult's Init", 1, 0, true}};
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        PathTestWorld world(Corridor(10));
        world.players.SetAllied(2, 0, true);
        PathTestUnit self(0);
        self.fights = c.range > 0;
        self.attackRange = self.fights ? c.range : 1;
        // Each Init takes the ranges of its own unit: the base unit then
        // chases as a melee unit.
        PathTestUnit catapult(0);
        catapult.fights = true;
        catapult.attackRange = 8;
        catapult.minimumAttackRange = 3;
        world.finder->Init(0, &catapult);
        PathTestUnit blocker(c.blockerPlayer);
        PathTestUnit target(1);
        Placed(world, blocker, 4, 1);
        Placed(world, target, 9, 1);
        world.finder->Init(0, &Placed(world, self, 0, 1));
        const int32_t steps = world.Find(0, 1, 9, 1, 1, Land, 0, 0, &target);
        EXPECT_EQ(steps == 8 && world.end.x == 8, c.passes);
    }
}

TEST(PathFinderRoute, TargetUnitAndBuildingEndTheRouteBesideThem)
{
    PathTestWorld world(MakePathTestMap(20, 20));
    PathTestUnit target(1);
    Placed(world, target, 15, 3);
    // The goal passed in does not matter with a target.
    EXPECT_EQ(world.Find(2, 3, 0, 0, 1, Land, 0, 0, &target), 12);
    ExpectEnd(world, 14, 3);

    PathTestBuilding keep(11, 3, 3, 1);
    Placed(world, keep, 10, 12);
    const int32_t steps = world.Find(11, 2, 11, 2, 1, Land, 0, 0, nullptr, &keep);
    ExpectContiguousTo(world, 11, 2, steps);
    EXPECT_EQ(world.end.y, 11);
    EXPECT_GE(world.end.x, 9);
    EXPECT_LE(world.end.x, 13);
    EXPECT_EQ(steps, 9);
}

TEST(PathFinderRoute, DistanceBandsEndAtTheLastCellBeforeTheBand)
{
    // A flight from the unit's own block: near 3 and accept 6 blocks.
    PathTestWorld world(MakePathTestMap(30, 30));
    const int32_t steps = world.Find(15, 15, 15, 15, 1, Land, 3, 6);
    ASSERT_GT(steps, 0);
    ExpectContiguousTo(world, 15, 15, steps);
    EXPECT_LT(GlobalFunc::Distance(world.end.x, world.end.y, 15, 15), 30);
    bool bandNeighbour = false;
    for (int32_t dx = -1; dx <= 1; ++dx)
        for (int32_t dy = -1; dy <= 1; ++dy)
        {
            const int32_t d = GlobalFunc::Distance(world.end.x + dx, world.end.y + dy, 15, 15);
            bandNeighbour = bandNeighbour || (d >= 30 && d <= 60);
        }
    EXPECT_TRUE(bandNeighbour);
    EXPECT_EQ(world.finder->GetFailedSearches(), 0);

    // The accept distance alone stops outside it.
    PathTestWorld line(MakePathTestMap(30, 5));
    EXPECT_EQ(line.Find(1, 2, 20, 2, 1, Land, 0, 4), 14);
    ExpectEnd(line, 15, 2);
}

TEST(PathFinderRoute, ShipsSailWaterAndShoreButNotLand)
{
    // Level 7 (',') is shore: both layers cross it.
    PathTestWorld world(MakePathTestMap({"~~~~,~~~", "~~##.~~~", "~~~~,~~~"}));
    EXPECT_EQ(world.Find(0, 0, 7, 0, 1, Water), 7);
    EXPECT_EQ(world.end.x, 7);
    world.map->Block(4, 0).waterLevel = 6;
    world.map->Block(4, 2).waterLevel = 6;
    world.Find(0, 0, 7, 0, 1, Water);
    EXPECT_NE(world.end.x, 7);

    PathTestWorld land(MakePathTestMap({"....,...", "..~~~~..", "....~..."}));
    EXPECT_EQ(land.Find(0, 0, 7, 0, 1, Land), 7);
    land.map->Block(4, 0).waterLevel = 8;
    land.Find(0, 0, 7, 0, 1, Land);
    EXPECT_NE(land.end.x, 7);
}

TEST(PathFinderRoute, OutOfMapStartsGoalsAndSizesFailCleanly)
{
    CTestLog log;
    PathTestWorld world(MakePathTestMap(10, 10));
    PathTestUnit farAway(1);
    farAway.x = 4000;
    farAway.y = -4000;
    struct SCase
    {
        const char* name;
        int32_t startX, startY, size, nearDistance;
        CUnit* target;
    };
    const SCase cases[] = {{"start left", -1, 3, 1, 0, nullptr},   {"start right", 10, 3, 1, 0, nullptr},
                           {"start below", 3, 10, 1, 0, nullptr},  {"huge start", 2147483647, 0, 1, 0, nullptr},
                           {"size 0", 3, 3, 0, 0, nullptr},        {"size -2", 3, 3, -2, 0, nullptr},
                           {"size past map", 0, 0, 11, 0, nullptr}, {"footprint out", 9, 9, 2, 0, nullptr},
                           {"target off map", 3, 3, 1, 0, &farAway}, {"band goal off map", 3, 3, 1, 2, nullptr}};
    int32_t failures = 0;
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        world.Route()[0] = 0xEE;
        const int32_t goal = c.nearDistance != 0 ? -50 : 5;
        EXPECT_EQ(world.Find(c.startX, c.startY, goal, goal, c.size, Land, c.nearDistance, c.nearDistance * 2,
                             c.target),
                  0);
        ExpectEnd(world, c.startX, c.startY);
        EXPECT_EQ(world.Route()[0], 0xEE);
        EXPECT_EQ(world.finder->GetFailedSearches(), ++failures);
    }
    EXPECT_EQ(world.finder->GetFinishedSearches(), 0);
    EXPECT_TRUE(log.Contains("#DEBUG: CPathFinder::FindPath -> start or goal outside the map"));
}

TEST(PathFinderRoute, RouteLongerThanTheBufferIsCutAfterItsFirstSteps)
{
    // 64 lanes of 34 blocks joined at alternate ends: about 2,200 steps,
    // whose costs pass 20,000 tenths.
    constexpr int32_t Width = 128;
    constexpr int32_t Height = 34;
    std::vector<std::string> rows(Height, std::string(Width, '.'));
    for (int32_t wall = 1; wall < Width; wall += 2)
        for (int32_t y = 0; y < Height; ++y)
            if (y != ((wall / 2) % 2 == 0 ? Height - 1 : 0))
                rows[size_t(y)][size_t(wall)] = '#';
    PathTestWorld world(MakePathTestMap(rows));
    const int32_t goalX = Width - 2;
    // A short search first: its costs must not be taken for the long one's.
    ASSERT_GT(world.Find(goalX, Height - 1, goalX, 0), 0);

    int32_t x = 0, y = 0, legs = 0, totalSteps = 0;
    while (legs < 8 && !(x == goalX && y == 0))
    {
        const int32_t steps = world.Find(x, y, goalX, 0);
        ASSERT_GT(steps, 0);
        ExpectContiguousTo(world, x, y, steps);
        for (const auto& cell : world.Cells(x, y, steps))
            ASSERT_FALSE(world.map->Block(cell.x, cell.y).blocked);
        EXPECT_TRUE((world.end.x == goalX && world.end.y == 0) || steps == CPathFinder::RouteCapacity) << steps;
        x = world.end.x;
        y = world.end.y;
        totalSteps += steps;
        ++legs;
    }
    EXPECT_EQ(x, goalX);
    EXPECT_EQ(y, 0);
    EXPECT_GE(legs, 4);
    EXPECT_GT(totalSteps * CPathFinder::StraightStepCost, 20000);
    EXPECT_EQ(world.finder->GetFailedSearches(), 0);
}

TEST(PathFinderRoute, ResultsDoNotDependOnEarlierSearches)
{
    PathTestWorld world(MakePathTestMap({"..........", "....#.....", "....#.....", "....#.....", ".........."}));
    const int32_t first = world.Find(0, 2, 9, 2);
    const std::vector<uint8_t> reference = RouteBytes(world, first);

    // Far more searches than the old cost bands held (about 100,000).
    for (int32_t i = 0; i < 101000; ++i)
        world.finder->FindPath(i % 3, 0, 9 - i % 4, 4, 1, Land, 0, 0, nullptr, nullptr, 0, 0, world.Route(),
                               world.end);
    EXPECT_EQ(world.Find(0, 2, 9, 2), first);
    EXPECT_EQ(RouteBytes(world, first), reference);

    world.finder->ResetVisitGrid();
    EXPECT_EQ(world.Find(0, 2, 9, 2), first);
    EXPECT_EQ(RouteBytes(world, first), reference);
}
