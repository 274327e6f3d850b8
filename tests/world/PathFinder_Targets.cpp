// The breadth-first searches for resources, storage, keeps and building
// sites: on random maps with test buildings each finds a match as few steps
// away as a brute-force breadth-first scan says is possible, and the
// edge cases of their rules.

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <queue>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "PathFinder_Scan.h"
#include "tests/support/PathTestObjects.h"

namespace
{
constexpr const int32_t (&DX)[8] = StepDX;
constexpr const int32_t (&DY)[8] = StepDY;

// A block a worker walks over: dry land below the shore level and open, or
// one held by a unit walking a route.
bool IsWalkable(const CGameMap& map, int32_t x, int32_t y)
{
    const SMapBlock& block = map.Block(x, y);
    if (block.unit != nullptr)
        return block.unit->pathFlag != 0;
    return block.waterLevel < 7 && !block.blocked;
}

using CellTest = std::function<bool(int32_t x, int32_t y)>;

bool IsAliveBuilding(const CBuilding& building)
{
    return int32_t(float(building.GetMaxHitPoints()) * building.health * 0.01f) > 0;
}

bool IsResource(const CBuilding* b, int32_t kind)
{
    return b != nullptr && b->GetBuildCast() == 10 && b->GetResourceKind() == kind;
}

// A random map with every kind of building the searches look for.
class TargetsMap
{
public:
    explicit TargetsMap(uint32_t seed) : world(MakePathTestMap(64, 48)), random(seed)
    {
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        for (int32_t x = 0; x < world.map->width; ++x)
            for (int32_t y = 0; y < world.map->height; ++y)
            {
                SMapBlock& block = world.map->Block(x, y);
                const double roll = chance(random);
                if (roll < 0.12)
                    block.blocked = 1;
                else if (roll < 0.15)
                    block.waterLevel = 8;
                else if (roll < 0.17)
                    block.waterLevel = 7;
            }
        for (int32_t i = 0; i < 30; ++i)
            Add(10, 1, 1, -1).resourceKind = 2;
        for (int32_t i = 0; i < 6; ++i)
            Add(10, 2, 2, -1).resourceKind = 3;
        for (int32_t i = 0; i < 3; ++i)
            Add(10, 3, 3, -1).resourceKind = 4;
        for (int32_t i = 0; i < 6; ++i)
        {
            PathTestBuilding& store = Add(3, 2, 2, i % 3 == 0 ? 1 : 0);
            store.storage = true;
            store.health = i == 1 ? 0.5f : 100.0f;   // 100 x 0.5 x 0.01 truncates to 0: dead
        }
        for (int32_t i = 0; i < 4; ++i)
        {
            PathTestBuilding& keep = Add(11, 3, 3, i == 3 ? 2 : 0);
            keep.garrisonedUnit = i == 0 ? &king : nullptr;
        }
        for (int32_t i = 0; i < 6; ++i)
        {
            PathTestBuilding& site = Add(2, 2, 2, 0);
            site.buildProgress = i % 3 == 0 ? 100.0f : (i % 3 == 1 ? 99.9f : 10.0f);
            if (i == 2)
            {
                // A standing unit on one block of this site: only the
                // other blocks count.
                auto unit = std::make_unique<PathTestUnit>(0);
                unit->x = site.x;
                unit->y = site.y;
                PlacePathTestUnit(*world.map, *unit);
                units.push_back(std::move(unit));
            }
        }
    }

    PathTestBuilding& Add(int32_t cast, int32_t width, int32_t depth, int32_t owner)
    {
        auto building = std::make_unique<PathTestBuilding>(cast, width, depth, owner);
        std::uniform_int_distribution<int32_t> pickX(0, world.map->width - width);
        std::uniform_int_distribution<int32_t> pickY(0, world.map->height - depth);
        building->x = pickX(random);
        building->y = pickY(random);
        PlacePathTestBuilding(*world.map, *building);
        buildings.push_back(std::move(building));
        return *buildings.back();
    }

    bool PickStart(int32_t& x, int32_t& y)
    {
        std::uniform_int_distribution<int32_t> pickX(0, world.map->width - 1);
        std::uniform_int_distribution<int32_t> pickY(0, world.map->height - 1);
        for (int32_t tries = 0; tries < 1000; ++tries)
        {
            x = pickX(random);
            y = pickY(random);
            if (IsWalkable(*world.map, x, y))
                return true;
        }
        return false;
    }

    CBuilding* BuildingAt(int32_t x, int32_t y) const
    {
        return world.map->IsOnMap(x, y) ? world.map->Block(x, y).building : nullptr;
    }

    PathTestWorld world;
    std::mt19937 random;
    PathTestUnit king{0};
    std::vector<std::unique_ptr<PathTestBuilding>> buildings;
    std::vector<std::unique_ptr<PathTestUnit>> units;
};

// Checks one search's answer against the scan: found exactly when the scan
// reaches a wanted block, as few steps away, the route legal, ending beside
// the building found.
void ExpectNearest(TargetsMap& map, int32_t startX, int32_t startY, int32_t steps, const CellTest& wanted,
                   const CellTest& allowed = [](int32_t, int32_t) { return true; })
{
    const CGameMap& grid = *map.world.map;
    const Footprints blocks(grid, 1);
    std::vector<int32_t> counts;
    const int32_t nearest = blocks.Scan(
        startX, startY, [&](int32_t x, int32_t y) { return IsWalkable(grid, x, y) && allowed(x, y); },
        [&](int32_t x, int32_t y) { return wanted(x, y) && allowed(x, y); }, counts);
    CBuilding* found = map.world.finder->GetTargetBuilding();
    ASSERT_EQ(found != nullptr, nearest != Unreached);
    if (found == nullptr)
    {
        EXPECT_EQ(steps, 0);
        return;
    }
    int32_t x = startX;
    int32_t y = startY;
    for (int32_t i = steps - 1; i >= 0; --i)
    {
        const int32_t direction = map.world.Route()[i];
        ASSERT_TRUE(blocks.CanStep(x, y, direction));
        x += DX[direction];
        y += DY[direction];
        ASSERT_TRUE(IsWalkable(grid, x, y));
        ASSERT_TRUE(allowed(x, y));
    }
    ASSERT_EQ(std::pair(x, y), std::pair(map.world.end.x, map.world.end.y));
    EXPECT_EQ(counts[size_t(x * MapBlockSide + y)] + 1, nearest);
    bool beside = false;
    for (int32_t direction = 0; direction < 8; ++direction)
    {
        const int32_t nx = x + DX[direction];
        const int32_t ny = y + DY[direction];
        beside = beside || (blocks.CanStep(x, y, direction) && map.BuildingAt(nx, ny) == found && wanted(nx, ny));
    }
    EXPECT_TRUE(beside);
}
} // namespace

// Player 0 has explored the left half only: the explored-only resource
// search keeps to it, the others do not care.
TEST(PathFinderTargets, EachSearchFindsAMatchAsFewStepsAwayAsAScanSays)
{
    const auto explored = [](int32_t x, int32_t) { return x < 32; };
    for (uint32_t seed = 1; seed <= 6; ++seed)
    {
        TargetsMap map(seed);
        CPathFinder& finder = *map.world.finder;
        const CGameMap& grid = *map.world.map;
        for (int32_t x = 32; x < 64; ++x)
            for (int32_t y = 0; y < 48; ++y)
                map.world.players.SetVisibility(0, x, y, 0);
        for (int32_t trial = 0; trial < 8; ++trial)
        {
            int32_t sx = 0, sy = 0;
            ASSERT_TRUE(map.PickStart(sx, sy));
            SCOPED_TRACE(testing::Message() << "seed " << seed << " start (" << sx << "," << sy << ")");
            finder.Init(0, nullptr);
            for (int32_t kind = 2; kind <= 4; ++kind)
            {
                const int32_t steps = finder.FindResource(sx, sy, kind, 0, 0, map.world.Route(), map.world.end);
                ExpectNearest(map, sx, sy, steps, [&](int32_t x, int32_t y)
                              { return IsResource(map.BuildingAt(x, y), kind); });
                if (!explored(sx, sy))
                    continue;
                const int32_t known = finder.FindResource(sx, sy, kind, 1, 0, map.world.Route(), map.world.end);
                ExpectNearest(map, sx, sy, known, [&](int32_t x, int32_t y)
                              { return IsResource(map.BuildingAt(x, y), kind); }, explored);
            }
            // Storage, free keep and unfinished site of player 0, alive.
            const auto own = [&](int32_t x, int32_t y, auto rule)
            {
                const CBuilding* b = map.BuildingAt(x, y);
                return b != nullptr && IsAliveBuilding(*b) && b->owner == 0 && rule(*b);
            };
            int32_t steps = finder.FindStorage(sx, sy, map.world.Route(), map.world.end);
            ExpectNearest(map, sx, sy, steps, [&](int32_t x, int32_t y)
                          { return own(x, y, [](const CBuilding& b) { return b.IsStorage(); }); });
            steps = finder.FindGarrisonKeep(sx, sy, map.world.Route(), map.world.end);
            ExpectNearest(map, sx, sy, steps, [&](int32_t x, int32_t y) {
                return own(x, y, [](const CBuilding& b) { return b.GetBuildCast() == 11 && !b.garrisonedUnit; });
            });
            steps = finder.FindBuildSite(sx, sy, 0, map.world.Route(), map.world.end);
            ExpectNearest(map, sx, sy, steps, [&](int32_t x, int32_t y) {
                return grid.Block(x, y).unit == nullptr &&
                       own(x, y, [](const CBuilding& b) { return b.buildProgress != 100.0f; });
            });
        }
    }
}

TEST(PathFinderTargets, StepLimitFindsExactlyTheMatchesCheaperThanIt)
{
    // With a limit the search finds a rock exactly when the cheapest way
    // onto one (Dijkstra over walkable blocks) costs less than 10 per step.
    TargetsMap map(21);
    const CGameMap& grid = *map.world.map;
    int32_t foundCount = 0;
    for (int32_t trial = 0; trial < 40; ++trial)
    {
        int32_t sx = 0, sy = 0;
        ASSERT_TRUE(map.PickStart(sx, sy));
        const int32_t limit = 2 + trial % 9;
        std::vector<int64_t> cost(size_t(MapBlockCount), std::numeric_limits<int64_t>::max());
        using Entry = std::pair<int64_t, int32_t>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
        cost[size_t(sx * MapBlockSide + sy)] = 0;
        open.push({0, sx * MapBlockSide + sy});
        int64_t cheapest = std::numeric_limits<int64_t>::max();
        while (!open.empty())
        {
            const auto [g, cell] = open.top();
            open.pop();
            const int32_t x = cell / MapBlockSide, y = cell % MapBlockSide;
            for (int32_t direction = 0; g == cost[size_t(cell)] && direction < 8; ++direction)
            {
                const int32_t nx = x + DX[direction], ny = y + DY[direction];
                const int64_t stepped = g + (direction % 2 == 0 ? 10 : 14);
                if (!Footprints(grid, 1).CanStep(x, y, direction))
                    continue;
                if (IsResource(map.BuildingAt(nx, ny), 3))
                    cheapest = std::min(cheapest, stepped);
                else if (IsWalkable(grid, nx, ny) && stepped < cost[size_t(nx * MapBlockSide + ny)])
                    open.push({cost[size_t(nx * MapBlockSide + ny)] = stepped, nx * MapBlockSide + ny});
            }
        }
        map.world.finder->Init(0, nullptr);
        const int32_t steps = map.world.finder->FindResource(sx, sy, 3, 0, limit, map.world.Route(), map.world.end);
        const bool found = map.world.finder->GetTargetBuilding() != nullptr;
        EXPECT_EQ(found, cheapest < limit * 10) << "start (" << sx << "," << sy << ") limit " << limit;
        EXPECT_TRUE(!found || RouteCost(map.world.Route(), steps) + 10 < limit * 10) << steps;
        foundCount += found ? 1 : 0;
    }
    EXPECT_GT(foundCount, 0);
    EXPECT_LT(foundCount, 40);
}

TEST(PathFinderTargets, BesideMeansNoStepsAndEveryMissCountsAFailure)
{
    // Beside is a straight step away: a diagonal step onto a building
    // passes its own blocked corner.
    PathTestWorld world(MakePathTestMap(40, 40));
    PathTestBuilding mine(10, 2, 2, -1);
    mine.resourceKind = 4;
    mine.x = mine.y = 5;
    PlacePathTestBuilding(*world.map, mine);
    PathTestBuilding enemyStore(3, 2, 2, 1);
    enemyStore.storage = true;
    enemyStore.x = enemyStore.y = 20;
    PlacePathTestBuilding(*world.map, enemyStore);
    world.end = {-1, -1};
    EXPECT_EQ(world.finder->FindResource(4, 5, 4, 0, 0, world.Route(), world.end), 0);
    EXPECT_EQ(world.finder->GetTargetBuilding(), &mine);
    EXPECT_EQ(std::pair(world.end.x, world.end.y), std::pair(4, 5));

    EXPECT_EQ(world.finder->FindStorage(1, 1, world.Route(), world.end), 0);
    EXPECT_EQ(world.finder->GetTargetBuilding(), nullptr);
    EXPECT_EQ(world.finder->FindGarrisonKeep(1, 1, world.Route(), world.end), 0);
    EXPECT_EQ(world.finder->FindBuildSite(1, 1, 0, world.Route(), world.end), 0);
    // Starts off the map fail cleanly.
    EXPECT_EQ(world.finder->FindStorage(-1, 0, world.Route(), world.end), 0);
    EXPECT_EQ(world.finder->FindResource(40, 0, 2, 0, 0, world.Route(), world.end), 0);
    EXPECT_EQ(world.finder->FindGarrisonKeep(0, 300, world.Route(), world.end), 0);
    EXPECT_EQ(world.finder->FindBuildSite(0, -9, 5, world.Route(), world.end), 0);
    EXPECT_EQ(world.finder->FindCoastToUngarrison(39, 39, 2, 0, world.Route(), world.end), 0);
    EXPECT_EQ(world.finder->FindUngarrisonPos(0, 0, 0, 0, world.end), 0);
    EXPECT_EQ(world.finder->GetTargetBuilding(), nullptr);
    EXPECT_EQ(world.finder->GetFailedSearches(), 9);
    EXPECT_EQ(world.finder->GetFinishedSearches(), 1);
}
