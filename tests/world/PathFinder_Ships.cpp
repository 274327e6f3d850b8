// The ships' searches: sailing to a coast where a unit can be put ashore,
// and the free land position for the unit; checked on random island maps
// against breadth-first scans written from the rules.

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "PathFinder_Scan.h"
#include "tests/support/PathTestObjects.h"
#include "tests/support/TestLog.h"

namespace
{
// Water everywhere with round islands and some rocks in the sea.
std::unique_ptr<CGameMap> IslandMap(std::mt19937& random, int32_t width, int32_t height)
{
    auto map = MakePathTestMap(width, height);
    for (SMapBlock& block : map->AllBlocks())
        block.waterLevel = 9;
    std::uniform_int_distribution<int32_t> pickX(0, width - 1);
    std::uniform_int_distribution<int32_t> pickY(0, height - 1);
    std::uniform_int_distribution<int32_t> pickRadius(1, 5);
    for (int32_t island = 0; island < 6; ++island)
    {
        const int32_t cx = pickX(random);
        const int32_t cy = pickY(random);
        const int32_t radius = pickRadius(random);
        for (int32_t x = 0; x < width; ++x)
            for (int32_t y = 0; y < height; ++y)
            {
                const int32_t d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                if (d2 <= radius * radius)
                    map->Block(x, y).waterLevel = 0;
                else if (d2 <= (radius + 1) * (radius + 1) && map->Block(x, y).waterLevel > 7)
                    map->Block(x, y).waterLevel = 7;
            }
    }
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (SMapBlock& block : map->AllBlocks())
        if (chance(random) < 0.04)
            block.blocked = 1;
    return map;
}

bool IsWaterBlock(const SMapBlock& block)
{
    return block.waterLevel >= 7 && !block.blocked && (block.unit == nullptr || block.unit->pathFlag != 0);
}
} // namespace

TEST(PathFinderShips, CoastSearchSailsToTheNearestLandingAsAScanSays)
{
    std::mt19937 random(77);
    int32_t landings = 0;
    for (int32_t round = 0; round < 6; ++round)
    {
        PathTestWorld world(IslandMap(random, 48, 40));
        for (int32_t size = 1; size <= 3; ++size)
        {
            const Footprints positions(*world.map, size);
            std::uniform_int_distribution<int32_t> pickX(0, 48 - size);
            std::uniform_int_distribution<int32_t> pickY(0, 40 - size);
            const auto freeWater = [&](int32_t x, int32_t y)
            { return positions.IsInside(x, y) && positions.All(x, y, IsWaterBlock); };
            const auto landing = [&](int32_t x, int32_t y)
            {
                return positions.IsInside(x, y) && !freeWater(x, y) &&
                       positions.Any(x, y,
                                     [](const SMapBlock& b)
                                     {
                                         return b.waterLevel < 7 && !b.blocked &&
                                                (b.unit == nullptr || b.unit->pathFlag != 0);
                                     });
            };
            for (int32_t trial = 0; trial < 6; ++trial)
            {
                int32_t sx = pickX(random);
                int32_t sy = pickY(random);
                if (!freeWater(sx, sy))
                    continue;
                PathTestUnit ship(0, size, 1.0f);
                ship.x = sx;
                ship.y = sy;
                PlacePathTestUnit(*world.map, ship);
                world.finder->Init(0, &ship);
                const int32_t failedBefore = world.finder->GetFailedSearches();
                const int32_t steps = world.finder->FindCoastToUngarrison(sx, sy, size, 0, world.Route(), world.end);
                for (int32_t cx = sx; cx < sx + size; ++cx)
                    for (int32_t cy = sy; cy < sy + size; ++cy)
                        world.map->Block(cx, cy).unit = nullptr;

                std::vector<int32_t> counts;
                const int32_t nearest = positions.Scan(sx, sy, freeWater, landing, counts);
                SCOPED_TRACE(testing::Message() << "size " << size << " from (" << sx << "," << sy << ")");
                const bool found = world.finder->GetFailedSearches() == failedBefore;
                ASSERT_EQ(found, nearest != Unreached);
                if (!found)
                    continue;
                ++landings;
                int32_t x = sx;
                int32_t y = sy;
                for (int32_t i = steps - 1; i >= 0; --i)
                {
                    ASSERT_TRUE(positions.CanStep(x, y, world.Route()[i]));
                    x += StepDX[world.Route()[i]];
                    y += StepDY[world.Route()[i]];
                    ASSERT_TRUE(freeWater(x, y));
                }
                ASSERT_EQ(std::pair(x, y), std::pair(world.end.x, world.end.y));
                EXPECT_EQ(counts[size_t(x * MapBlockSide + y)] + 1, nearest);
            }
        }
    }
    EXPECT_GT(landings, 20);
}

TEST(PathFinderShips, UnloadedUnitGetsTheNearestWhollyFreeLandPosition)
{
    std::mt19937 random(5);
    int32_t placed = 0;
    for (int32_t round = 0; round < 8; ++round)
    {
        PathTestWorld world(IslandMap(random, 40, 40));
        // Units of the owner and of an enemy ashore.
        std::vector<std::unique_ptr<PathTestUnit>> ashore;
        std::uniform_int_distribution<int32_t> pick(0, 39);
        for (int32_t i = 0; i < 40; ++i)
        {
            const int32_t x = pick(random);
            const int32_t y = pick(random);
            if (world.map->Block(x, y).waterLevel > 7 || world.map->Block(x, y).unit != nullptr)
                continue;
            ashore.push_back(std::make_unique<PathTestUnit>(i % 2));
            ashore.back()->x = x;
            ashore.back()->y = y;
            PlacePathTestUnit(*world.map, *ashore.back());
        }
        for (int32_t size = 1; size <= 2; ++size)
        {
            const Footprints positions(*world.map, size);
            // The rule of the unloading scan, x outer, y inner.
            enum class EKind { Free, Waypoint, DeadEnd };
            const auto classify = [&](int32_t x, int32_t y)
            {
                int32_t freeCells = 0;
                for (int32_t cx = x; cx < x + size; ++cx)
                    for (int32_t cy = y; cy < y + size; ++cy)
                    {
                        const SMapBlock& b = world.map->Block(cx, cy);
                        if (b.blocked || b.waterLevel > 7 || (b.unit != nullptr && b.unit->player != 0))
                            return freeCells == 0 ? EKind::DeadEnd : EKind::Waypoint;
                        if (b.unit != nullptr)
                            return EKind::Waypoint;
                        ++freeCells;
                    }
                return EKind::Free;
            };
            for (int32_t trial = 0; trial < 10; ++trial)
            {
                const int32_t sx = std::min(pick(random), 40 - size);
                const int32_t sy = std::min(pick(random), 40 - size);
                world.finder->Init(0, nullptr);
                const int32_t failedBefore = world.finder->GetFailedSearches();
                const int32_t result = world.finder->FindUngarrisonPos(sx, sy, size, 0, world.end);
                std::vector<int32_t> counts;
                const int32_t nearest = positions.Scan(
                    sx, sy, [&](int32_t x, int32_t y) { return classify(x, y) == EKind::Waypoint; },
                    [&](int32_t x, int32_t y) { return classify(x, y) == EKind::Free; }, counts);
                SCOPED_TRACE(testing::Message() << "size " << size << " from (" << sx << "," << sy << ")");
                ASSERT_EQ(result, nearest != Unreached ? 1 : 0);
                EXPECT_EQ(world.finder->GetFailedSearches(), failedBefore + (result == 1 ? 0 : 1));
                if (result == 0)
                    continue;
                ++placed;
                EXPECT_TRUE(positions.All(world.end.x, world.end.y, [](const SMapBlock& b)
                                          { return !b.blocked && b.waterLevel <= 7 && b.unit == nullptr; }));
                // Reached from a waypoint (or the start) of the fewest steps.
                int32_t fewest = Unreached;
                for (int32_t direction = 0; direction < 8; ++direction)
                {
                    const int32_t fx = world.end.x - StepDX[direction];
                    const int32_t fy = world.end.y - StepDY[direction];
                    if (positions.IsInside(fx, fy) && counts[size_t(fx * MapBlockSide + fy)] != Unreached &&
                        positions.CanStep(fx, fy, direction))
                        fewest = std::min(fewest, counts[size_t(fx * MapBlockSide + fy)] + 1);
                }
                EXPECT_EQ(fewest, nearest);
            }
        }
    }
    EXPECT_GT(placed, 20);
}

TEST(PathFinderShips, WaypointsAreNotQueuedAgainAndAgain)
{
    // A beach crowded with the owner's standing units: every position is a
    // waypoint and nothing is free.  Each waypoint's cost is kept, so the
    // search ends instead of filling its queue with repeats.
    CTestLog log;
    PathTestWorld world(MakePathTestMap(60, 60));
    std::vector<std::unique_ptr<PathTestUnit>> crowd;
    for (int32_t x = 0; x < 60; ++x)
        for (int32_t y = 0; y < 60; ++y)
        {
            crowd.push_back(std::make_unique<PathTestUnit>(0));
            crowd.back()->x = x;
            crowd.back()->y = y;
            PlacePathTestUnit(*world.map, *crowd.back());
        }
    EXPECT_EQ(world.finder->FindUngarrisonPos(30, 30, 1, 0, world.end), 0);
    EXPECT_EQ(world.finder->GetFailedSearches(), 1);
    EXPECT_FALSE(log.Contains("#DEBUG: CPathFinder::Enqueue -> Ring-queue overflow"));
}
