// The computer opponent's searches: building places, weighted routes and
// relocated route ends.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/FootprintRule.h"
#include "tests/support/PathTestObjects.h"
#include "tests/support/TestLog.h"

namespace
{
constexpr const int32_t (&DX)[8] = StepDX;
constexpr const int32_t (&DY)[8] = StepDY;
constexpr int32_t NoDanger = -1;
constexpr int32_t Forbid = CPathFinder::ForbiddingWeight;

int32_t Chebyshev(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return std::max(std::abs(x1 - x2), std::abs(y1 - y2));
}

// Checks that the route's footprints of the size are contiguous, inside
// the map and end at the end cell; calls `each` with every footprint cell.
template <typename Each>
void WalkFootprints(PathTestWorld& world, int32_t startX, int32_t startY, int32_t steps, int32_t size, Each each)
{
    int32_t x = startX;
    int32_t y = startY;
    for (int32_t i = steps - 1; i >= 0; --i)
    {
        x += DX[world.Route()[i]];
        y += DY[world.Route()[i]];
        ASSERT_GE(x, 0);
        ASSERT_GE(y, 0);
        ASSERT_LE(x, world.map->width - size);
        ASSERT_LE(y, world.map->height - size);
        for (int32_t cx = x; cx < x + size; ++cx)
            for (int32_t cy = y; cy < y + size; ++cy)
                each(cx, cy, world.map->Block(cx, cy));
    }
    EXPECT_EQ(std::pair(x, y), std::pair(world.end.x, world.end.y));
}

int32_t SmartPath(PathTestWorld& world, int32_t sx, int32_t sy, int32_t gx, int32_t gy, int32_t size,
                  int32_t land, int32_t water, int32_t dangerPlayer = NoDanger, int32_t danger = 0,
                  int32_t wall = 0)
{
    return world.finder->SmartAI_FindPath(sx, sy, gx, gy, dangerPlayer, size, land, water, danger, wall,
                                          world.Route(), world.end);
}
} // namespace

TEST(PathFinderBuildingPlace, FoundPlacePassesItsTestPastTheNearStepsAndAttackedPlaces)
{
    PathTestWorld world(MakePathTestMap(30, 30));
    PathTestBuilding probe(4, 2, 2, 0);
    probe.placementMap = world.map.get();
    for (int32_t y = 2; y <= 8; ++y)
        world.map->Block(6, y).blocked = 1;
    ASSERT_TRUE(world.finder->FindBuildingPlace(5, 5, &probe, 0, 0, 7, world.end));
    EXPECT_EQ(std::pair(probe.x, probe.y), std::pair(world.end.x, world.end.y));
    EXPECT_TRUE(probe.CanPlaceAt(0, 7, 1, 1));
    EXPECT_EQ(world.finder->GetTargetBuilding(), &probe);
    EXPECT_EQ(world.finder->GetFailedSearches(), 0);

    // Near steps are crossed without a placement test.
    probe.triedPositions.clear();
    ASSERT_TRUE(world.finder->FindBuildingPlace(15, 15, &probe, 3, 0, 0, world.end));
    ASSERT_FALSE(probe.triedPositions.empty());
    for (const auto& tried : probe.triedPositions)
        EXPECT_GE(Chebyshev(tried.x, tried.y, 15, 15), 3);

    // Places near a recent attack are not tried.
    for (int32_t x = 10; x <= 20; ++x)
        for (int32_t y = 10; y <= 20; ++y)
            world.players.SetAttacked(0, x, y);
    PathTestBuilding small(4, 1, 1, 0);
    small.placementMap = world.map.get();
    ASSERT_TRUE(world.finder->FindBuildingPlace(15, 15, &small, 0, 0, 0, world.end));
    for (const auto& tried : small.triedPositions)
        EXPECT_TRUE(tried.x < 10 || tried.x > 20 || tried.y < 10 || tried.y > 20)
            << "(" << tried.x << "," << tried.y << ")";
    EXPECT_EQ(Chebyshev(world.end.x, world.end.y, 15, 15), 6);
}

TEST(PathFinderBuildingPlace, KeepsToTheStartIslandUnlessItIsDocks)
{
    // Land joined to the start's, but numbered as another island.
    PathTestWorld world(MakePathTestMap(20, 10));
    for (int32_t x = 0; x < 20; ++x)
        for (int32_t y = 0; y < 10; ++y)
            world.map->Block(x, y).regionId = x < 6 ? 1 : 2;
    // The start's own island is full: every block there is blocked for the
    // placement test (but walkable).
    PathTestBuilding probe(4, 1, 1, 0);
    PathTestBuilding docks(13, 2, 2, 0);
    std::unique_ptr<CGameMap> placementView = MakePathTestMap(20, 10);
    for (int32_t x = 0; x < 6; ++x)
        for (int32_t y = 0; y < 10; ++y)
            placementView->Block(x, y).blocked = 1;
    probe.placementMap = placementView.get();
    docks.placementMap = placementView.get();

    EXPECT_FALSE(world.finder->FindBuildingPlace(2, 5, &probe, 0, 0, 0, world.end));
    for (const auto& tried : probe.triedPositions)
        EXPECT_LT(tried.x, 6);
    EXPECT_EQ(world.finder->GetFailedSearches(), 1);

    EXPECT_TRUE(world.finder->FindBuildingPlace(2, 5, &docks, 0, 0, 0, world.end));
    EXPECT_GE(world.end.x, 6);
}

TEST(PathFinderBuildingPlace, DocksAreTriedAtTheEightShiftedPositionsOnly)
{
    PathTestWorld world(MakePathTestMap(12, 12));
    PathTestBuilding docks(13, 4, 4, 0);   // no placement map: every test fails
    EXPECT_FALSE(world.finder->FindBuildingPlace(5, 5, &docks, 0, 0, 0, world.end));
    // The first cell offered is (5, 4); half the footprint is 2 blocks.
    const std::vector<std::pair<int32_t, int32_t>> expected = {{1, 0}, {1, 2}, {1, 4}, {3, 0},
                                                               {3, 2}, {3, 4}, {5, 0}, {5, 2}};
    std::vector<std::pair<int32_t, int32_t>> tried;
    for (const auto& position : docks.triedPositions)
    {
        tried.push_back({position.x, position.y});
        EXPECT_TRUE(position.x >= 0 && position.y >= 0 && position.x <= 8 && position.y <= 8);
    }
    ASSERT_GE(tried.size(), expected.size());
    EXPECT_EQ(std::vector(tried.begin(), tried.begin() + 8), expected);
}

TEST(PathFinderBuildingPlace, SpreadsThroughTheOwnTownAndNeverPastTheEdge)
{
    PathTestWorld world(MakePathTestMap(16, 16));
    // The start is ringed by the owner's buildings.
    std::vector<std::unique_ptr<PathTestBuilding>> town;
    for (int32_t x = 3; x <= 7; ++x)
        for (int32_t y = 3; y <= 7; ++y)
            if (x == 3 || x == 7 || y == 3 || y == 7)
            {
                town.push_back(std::make_unique<PathTestBuilding>(4, 1, 1, 0));
                town.back()->x = x, town.back()->y = y;
                PlacePathTestBuilding(*world.map, *town.back());
            }
    PathTestBuilding probe(4, 4, 4, 0);
    probe.placementMap = world.map.get();
    // Inside the ring nothing fits; outside it does.
    ASSERT_TRUE(world.finder->FindBuildingPlace(5, 5, &probe, 0, 0, 0, world.end));
    for (const auto& tried : probe.triedPositions)
        EXPECT_TRUE(tried.x <= 12 && tried.y <= 12);
    EXPECT_TRUE(world.end.x >= 8 || world.end.y >= 8);

    // A ring of an enemy's buildings stops the search.
    for (auto& building : town)
        building->owner = 1;
    probe.triedPositions.clear();
    EXPECT_FALSE(world.finder->FindBuildingPlace(5, 5, &probe, 0, 0, 0, world.end));
}

TEST(PathFinderSmartRoute, ForbiddenLayerKeepsTheRouteToTheOtherAndShore)
{
    // A bay (a spit of land) and a pond across the straight way; the shore
    // (',') is open to both.
    PathTestWorld sea(MakePathTestMap({"~~~~~~~~~~~~", "~~~~~..~~~~~", "~~~~~..~~~~~", "~~~~~,,~~~~~",
                                       "~~~~~~~~~~~~"}));
    int32_t steps = SmartPath(sea, 0, 1, 11, 1, 1, Forbid, 1);
    ASSERT_GT(steps, 0);
    EXPECT_EQ(sea.finder->GetFailedSearches(), 0);
    WalkFootprints(sea, 0, 1, steps, 1, [](int32_t, int32_t, const SMapBlock& b) { EXPECT_GE(b.waterLevel, 7); });
    // Forbidding water instead: no way over land from sea to sea.
    SmartPath(sea, 0, 1, 11, 1, 1, 1, Forbid);
    EXPECT_EQ(sea.finder->GetFailedSearches(), 1);

    PathTestWorld land(MakePathTestMap({"............", ".....~~.....", ".....~~.....", "....,,,,....",
                                        "............"}));
    steps = SmartPath(land, 0, 1, 11, 1, 1, 1, Forbid);
    ASSERT_GT(steps, 0);
    EXPECT_EQ(land.end.x, 11);
    WalkFootprints(land, 0, 1, steps, 1, [](int32_t, int32_t, const SMapBlock& b) { EXPECT_LE(b.waterLevel, 7); });
}

TEST(PathFinderSmartRoute, DangerPushesTheRouteOutOfTheEnemysSight)
{
    PathTestWorld world(MakePathTestMap(30, 30));
    // Player 1's units watch a band across the middle, open at the bottom.
    for (int32_t x = 0; x < 30; ++x)
        for (int32_t y = 10; y < 20; ++y)
            if (y < 26 && x >= 12 && x <= 17)
                world.players.SetUnitSight(1, x, y, 3);
    const auto countSeen = [&](int32_t steps)
    {
        int32_t seen = 0;
        WalkFootprints(world, 0, 15, steps, 1, [&](int32_t x, int32_t y, const SMapBlock&)
                       { seen += world.players.GetUnitSightCount(1, x, y) > 0 ? 1 : 0; });
        return seen;
    };
    int32_t steps = SmartPath(world, 0, 15, 29, 15, 1, 1, 1, 1, 0);
    EXPECT_GT(countSeen(steps), 0);
    steps = SmartPath(world, 0, 15, 29, 15, 1, 1, 1, 1, 50);
    EXPECT_EQ(world.end.x, 29);
    EXPECT_EQ(countSeen(steps), 0);
    // No danger player: the danger weight does nothing.
    steps = SmartPath(world, 0, 15, 29, 15, 1, 1, 1, NoDanger, 50);
    EXPECT_GT(countSeen(steps), 0);
}

TEST(PathFinderSmartRoute, ForeignWallsMayBeBrokenThroughUnlessForbidden)
{
    PathTestWorld world(MakePathTestMap(9, 9));
    std::vector<std::unique_ptr<PathTestBuilding>> walls;
    for (int32_t y = 0; y < 9; ++y)
    {
        walls.push_back(std::make_unique<PathTestBuilding>(9, 1, 1, 1));
        walls.back()->x = 4;
        walls.back()->y = y;
        PlacePathTestBuilding(*world.map, *walls.back());
    }
    int32_t steps = SmartPath(world, 0, 4, 8, 4, 1, 1, 1, NoDanger, 0, 5);
    EXPECT_EQ(steps, 8);
    EXPECT_EQ(world.end.x, 8);
    EXPECT_EQ(world.finder->GetFailedSearches(), 0);

    SmartPath(world, 0, 4, 8, 4, 1, 1, 1, NoDanger, 0, Forbid);
    EXPECT_EQ(world.finder->GetFailedSearches(), 1);

    // The owner's own wall is never crossed.
    for (auto& wall : walls)
        wall->owner = 0;
    SmartPath(world, 0, 4, 8, 4, 1, 1, 1, NoDanger, 0, 5);
    EXPECT_EQ(world.finder->GetFailedSearches(), 2);
}

TEST(PathFinderSmartRoute, HugeWeightsNeitherOverflowNorBreakTheRoute)
{
    // The largest weights, sight counts and a footprint of 80 x 80 blocks:
    // one step costs about 6 x 10^16, so the costs of a route across the
    // map would pass even 64 bits; they stop growing instead.
    constexpr int32_t Size = 80;
    PathTestWorld world(MakePathTestMap(256, 256));
    for (int32_t x = 0; x < 256; ++x)
        for (int32_t y = 0; y < 256; ++y)
        {
            world.players.SetUnitSight(3, x, y, 255);
            world.players.SetBuildingSight(3, x, y, 255);
            if (x > 90 && x < 130)
                world.map->Block(x, y).waterLevel = 7;
        }
    PathTestBuilding wall(9, 1, 1, 2);
    wall.x = 120;
    wall.y = 120;
    PlacePathTestBuilding(*world.map, wall);
    const int32_t max = std::numeric_limits<int32_t>::max();
    const int32_t goal = 256 - Size;
    const int32_t steps = world.finder->SmartAI_FindPath(0, 0, goal, goal, 3, Size, max, max, max, max,
                                                         world.Route(), world.end);
    EXPECT_EQ(std::pair(world.end.x, world.end.y), std::pair(goal, goal));
    EXPECT_EQ(world.finder->GetFailedSearches(), 0);
    const auto cells = WalkRoute(0, 0, world.Route(), steps);
    ASSERT_FALSE(cells.empty());
    for (const auto& cell : cells)
    {
        ASSERT_GE(std::min(cell.x, cell.y), 0);
        ASSERT_LE(std::max(cell.x, cell.y), goal);
    }
    EXPECT_EQ(std::pair(cells.back().x, cells.back().y), std::pair(goal, goal));
}

TEST(PathFinderSmartRoute, SearchOutgrowingTheNodePoolFailsTowardTheClosestCell)
{
    // Every other block is in the enemy's sight: the cheap blocks are all
    // expanded first while their dangerous neighbours wait, far more than
    // the pool holds.  The goal is walled in, so it is never found.
    CTestLog log;
    PathTestWorld world(MakePathTestMap(256, 256));
    for (int32_t x = 0; x < 256; ++x)
        for (int32_t y = 0; y < 256; ++y)
            if ((x + y) % 2 == 1)
                world.players.SetUnitSight(1, x, y, 10);
    for (int32_t x = 250; x < 256; ++x)
        for (int32_t y = 250; y < 256; ++y)
            if (x < 252 || y < 252)
                world.map->Block(x, y).blocked = 1;
    const int32_t steps = SmartPath(world, 2, 2, 254, 254, 1, 1, 1, 1, 1000);
    EXPECT_TRUE(log.Contains("#DEBUG: CPathFinder::InsertNode -> Priority-queue overflow"));
    EXPECT_EQ(world.finder->GetFailedSearches(), 1);
    EXPECT_EQ(world.finder->GetFinishedSearches(), 0);
    WalkFootprints(world, 2, 2, steps, 1, [](int32_t, int32_t, const SMapBlock& b) { EXPECT_FALSE(b.blocked); });
    // The next search starts with an empty pool.
    EXPECT_GT(SmartPath(world, 0, 0, 10, 10, 1, 1, 1), 0);
    EXPECT_EQ(world.end.x, 10);
}

TEST(PathFinderSmartRoute, OffMapEndsFailAndNegativeWeightsOtherThanForbiddingCountAsNothing)
{
    CTestLog log;
    PathTestWorld world(MakePathTestMap(20, 20));
    EXPECT_EQ(SmartPath(world, -1, 0, 5, 5, 1, 1, 1), 0);
    EXPECT_EQ(SmartPath(world, 0, 0, 5, 20, 1, 1, 1), 0);
    EXPECT_EQ(SmartPath(world, 0, 0, 5, 5, 0, 1, 1), 0);
    EXPECT_EQ(world.end.x, 0);
    EXPECT_EQ(world.finder->GetFailedSearches(), 3);

    const int32_t steps = SmartPath(world, 0, 0, 19, 19, 1, -5, -7, NoDanger, -3, -9);
    EXPECT_EQ(steps, 19);
    EXPECT_EQ(RouteCost(world.Route(), steps), 19 * 14);
    EXPECT_TRUE(log.Contains("CPathFinder::SmartAI_FindPath: a negative weight other than -1 counts as 0"));
}

TEST(PathFinderRouteEnds, BothEndsMoveToFreeCellsTowardEachOther)
{
    PathTestWorld world(MakePathTestMap(20, 10));
    for (int32_t x = 14; x < 20; ++x)
        for (int32_t y = 0; y < 10; ++y)
            world.map->Block(x, y).waterLevel = 8;
    CPathFinder::SPoint first{};
    CPathFinder::SPoint second{};
    // The first point lies at sea: it moves ashore toward the second.
    EXPECT_EQ(world.finder->FindPathAI(17, 5, 2, 5, 1, CPathFinder::LayerLand, first, second), 0);
    EXPECT_EQ(std::pair(first.x, first.y), std::pair(13, 5));
    EXPECT_EQ(std::pair(second.x, second.y), std::pair(2, 5));
    // Points off the map are brought onto it.
    world.finder->FindPathAI(-40, 3, 500, 500, 2, CPathFinder::LayerLand, first, second);
    EXPECT_EQ(std::pair(first.x, first.y), std::pair(0, 3));
    EXPECT_EQ(second.x, 12);
    EXPECT_GE(second.y, 3);
    EXPECT_LE(second.y, 8);
}
