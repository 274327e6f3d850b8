// Routes on random maps of several sizes and obstacle densities, checked
// against a plain Dijkstra search written here from the movement rules:
// every route is contiguous and legal, a route is found exactly when the
// goal can be reached without leaving the explored distance limit, and its
// cost is never below the optimum and stays close to it.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <queue>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/FootprintRule.h"
#include "tests/support/PathTestObjects.h"
#include "tests/support/TestLog.h"

namespace
{
constexpr int64_t NoCost = std::numeric_limits<int64_t>::max();

// The map as the movement rules see it, for a land mover of one size.
class ReferenceMap
{
public:
    ReferenceMap(const CGameMap& map, int32_t moverSize) : m_Map(map), m_Size(moverSize), m_Rule(map, moverSize) {}

    int32_t Width() const { return m_Map.width; }
    int32_t Height() const { return m_Map.height; }

    // Every block of the footprint dry enough (level 7 at most) and open.
    bool IsFree(int32_t x, int32_t y) const
    {
        if (!m_Rule.IsInside(x, y))
            return false;
        for (int32_t cx = x; cx < x + m_Size; ++cx)
            for (int32_t cy = y; cy < y + m_Size; ++cy)
            {
                const SMapBlock& block = m_Map.Block(cx, cy);
                if (block.blocked || block.waterLevel > 7)
                    return false;
            }
        return true;
    }

    bool CanStep(int32_t x, int32_t y, int32_t direction) const
    {
        return IsFree(x + StepDX[direction], y + StepDY[direction]) && m_Rule.CutsNoCorner(x, y, direction);
    }

    // Cheapest costs from the start; only cells for which `expandable` holds
    // (and the start) are stepped on from.
    template <typename Expandable>
    std::vector<int64_t> Dijkstra(int32_t startX, int32_t startY, Expandable expandable) const
    {
        std::vector<int64_t> cost(size_t(Width() * Height()), NoCost);
        using Entry = std::pair<int64_t, int32_t>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
        cost[size_t(Index(startX, startY))] = 0;
        open.push({0, Index(startX, startY)});
        while (!open.empty())
        {
            const auto [g, index] = open.top();
            open.pop();
            const int32_t x = index / Height();
            const int32_t y = index % Height();
            if (g != cost[size_t(index)] || !((x == startX && y == startY) || expandable(x, y)))
                continue;
            for (int32_t direction = 0; direction < 8; ++direction)
            {
                if (!CanStep(x, y, direction))
                    continue;
                const int32_t next = Index(x + StepDX[direction], y + StepDY[direction]);
                const int64_t stepped = g + (direction % 2 == 0 ? 10 : 14);
                if (stepped < cost[size_t(next)])
                {
                    cost[size_t(next)] = stepped;
                    open.push({stepped, next});
                }
            }
        }
        return cost;
    }

    int32_t Index(int32_t x, int32_t y) const { return x * Height() + y; }

private:
    const CGameMap& m_Map;
    int32_t m_Size;
    CFootprintRule m_Rule;
};

int32_t Tenths(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const double dx = double(x2) - x1;
    const double dy = double(y2) - y1;
    return int32_t(std::sqrt(dx * dx + dy * dy) * 10.0);
}

struct SMapKind
{
    int32_t width;
    int32_t height;
    double obstacles;
    int32_t pairs;
};

// Blocked blocks at the given density; some water, shore and trees besides.
void Scatter(CGameMap& map, double obstacles, std::mt19937& random, CBuilding& tree)
{
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (int32_t x = 0; x < map.width; ++x)
        for (int32_t y = 0; y < map.height; ++y)
        {
            SMapBlock& block = map.Block(x, y);
            const double roll = chance(random);
            if (roll < obstacles)
                block.blocked = 1;
            else if (roll < obstacles + 0.04)
                block.waterLevel = 8;
            else if (roll < obstacles + 0.07)
                block.waterLevel = 7;
            else if (roll < obstacles + 0.10)
            {
                block.blocked = 1;
                block.building = &tree;
            }
        }
}
} // namespace

TEST(PathFinderRandomMaps, RoutesAreLegalFoundWhenReachableAndNearlyShortest)
{
    CTestLog log;
    const SMapKind kinds[] = {{8, 8, 0.0, 30},     {8, 8, 0.3, 30},     {23, 17, 0.15, 40}, {23, 17, 0.45, 40},
                              {64, 64, 0.0, 20},   {64, 64, 0.3, 30},   {64, 40, 0.45, 30}, {256, 256, 0.0, 4},
                              {256, 256, 0.15, 5}, {256, 256, 0.3, 5}};
    std::mt19937 random(20240611);
    PathTestBuilding tree(10, 1, 1, -1);
    tree.resourceKind = 2;
    double worstRatio[2] = {1.0, 1.0};
    int32_t found = 0;
    int32_t refused = 0;

    for (const SMapKind& kind : kinds)
        for (int32_t moverSize = 1; moverSize <= 2; ++moverSize)
        {
            PathTestWorld world(MakePathTestMap(kind.width, kind.height));
            Scatter(*world.map, kind.obstacles, random, tree);
            const ReferenceMap reference(*world.map, moverSize);
            std::uniform_int_distribution<int32_t> pickX(0, kind.width - moverSize);
            std::uniform_int_distribution<int32_t> pickY(0, kind.height - moverSize);
            const int32_t half = moverSize / 2;

            for (int32_t pair = 0, tries = 0; pair < kind.pairs && tries < 100000; ++tries)
            {
                const int32_t sx = pickX(random), sy = pickY(random);
                const int32_t gx = pickX(random), gy = pickY(random);
                if (!reference.IsFree(sx, sy) || !reference.IsFree(gx, gy) || (sx == gx && sy == gy))
                    continue;
                ++pair;
                const int32_t limit = Tenths(sx, sy, gx, gy) + 3 * kind.width;
                const auto withinLimit = [&](int32_t x, int32_t y)
                { return Tenths(x + half, y + half, gx, gy) - half * 10 <= limit; };
                const auto bounded = reference.Dijkstra(sx, sy, withinLimit);
                const int64_t best = bounded[size_t(reference.Index(gx, gy))];

                const int32_t failedBefore = world.finder->GetFailedSearches();
                const int32_t steps = world.Find(sx, sy, gx, gy, moverSize);
                const bool reached = world.end.x == gx && world.end.y == gy &&
                                     world.finder->GetFailedSearches() == failedBefore;
                SCOPED_TRACE(testing::Message() << kind.width << "x" << kind.height << " density " << kind.obstacles
                                                << " size " << moverSize << " from (" << sx << "," << sy << ") to ("
                                                << gx << "," << gy << ")");

                int32_t x = sx;
                int32_t y = sy;
                for (int32_t i = steps - 1; i >= 0; --i)
                {
                    ASSERT_TRUE(reference.CanStep(x, y, world.Route()[i])) << "step " << steps - 1 - i;
                    x += StepDX[world.Route()[i]];
                    y += StepDY[world.Route()[i]];
                }
                ASSERT_EQ(std::pair(x, y), std::pair(world.end.x, world.end.y));

                ASSERT_EQ(reached, best != NoCost);
                if (!reached)
                {
                    ++refused;
                    EXPECT_NE(bounded[size_t(reference.Index(x, y))], NoCost);
                    continue;
                }
                ++found;
                const int64_t cost = RouteCost(world.Route(), steps);
                EXPECT_GE(cost, best);
                // The search stops when it first meets the goal, and its
                // straight-line guide overrates long diagonals a little: a
                // route may be longer than the cheapest.  For a unit of one
                // block that stays rare and small; for larger units the
                // guide runs from the footprint's centre to the goal block,
                // which can cost a step or so more.
                EXPECT_LE(double(cost), double(best) * (moverSize == 1 ? 1.05 : 1.5));
                worstRatio[moverSize - 1] = std::max(worstRatio[moverSize - 1], double(cost) / double(best));
            }
        }
    EXPECT_GT(found, 200);
    EXPECT_GT(refused, 5);
    EXPECT_FALSE(log.Contains("#DEBUG: CPathFinder::InsertNode -> Priority-queue overflow"));
    std::printf("routes found %d, refused %d, worst cost / optimum %.3f (size 1), %.3f (size 2)\n", found, refused,
                worstRatio[0], worstRatio[1]);
}
