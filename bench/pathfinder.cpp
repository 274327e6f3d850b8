// Path finder speed on 256 x 256 maps built here: A* routes between random
// connected pairs on open ground, with 30 % random obstacles, in a maze and
// on a map of two islands; and the worst breadth-first searches, a storage
// search with no storage on the map and a resource search without a limit.
// Counters: searches per second (items), cells expanded per second, the
// share of searches that reached their goal (the maze loses many to the
// search's distance limit), and the mean cells per search.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <queue>
#include <random>
#include <utility>
#include <vector>

#include "buildings/C_Building.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"

namespace
{
constexpr int32_t Side = MapBlockSide;
constexpr int32_t PairCount = 4096;
constexpr uint16_t SeaLevel = 9;
constexpr int32_t DX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t DY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

enum class EMapKind
{
    Open,
    Obstacles,
    Maze,
    TwoIslands,
};

bool IsOpen(const CGameMap& map, int32_t x, int32_t y)
{
    return map.IsOnMap(x, y) && !map.Block(x, y).blocked && map.Block(x, y).waterLevel <= 7;
}

void Clear(CGameMap& map)
{
    map.width = Side;
    map.height = Side;
    for (SMapBlock& block : map.blocks)
    {
        block.waterLevel = 0;
        block.blocked = 0;
        block.regionId = 0;
        block.unit = nullptr;
        block.building = nullptr;
    }
}

// A perfect maze of one-block corridors on the odd blocks, dug depth first.
void DigMaze(CGameMap& map, std::mt19937& random)
{
    for (SMapBlock& block : map.blocks)
        block.blocked = 1;
    constexpr int32_t Cells = (Side - 1) / 2;
    std::vector<bool> dug(size_t(Cells * Cells), false);
    std::vector<std::pair<int32_t, int32_t>> stack = {{0, 0}};
    dug[0] = true;
    map.Block(1, 1).blocked = 0;
    while (!stack.empty())
    {
        const auto [cx, cy] = stack.back();
        std::pair<int32_t, int32_t> next[4];
        int32_t count = 0;
        const int32_t steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& step : steps)
        {
            const int32_t nx = cx + step[0];
            const int32_t ny = cy + step[1];
            if (nx >= 0 && ny >= 0 && nx < Cells && ny < Cells && !dug[size_t(nx * Cells + ny)])
                next[count++] = {nx, ny};
        }
        if (count == 0)
        {
            stack.pop_back();
            continue;
        }
        const auto [nx, ny] = next[random() % uint32_t(count)];
        dug[size_t(nx * Cells + ny)] = true;
        map.Block(2 * nx + 1, 2 * ny + 1).blocked = 0;
        map.Block(cx + nx + 1, cy + ny + 1).blocked = 0;
        stack.push_back({nx, ny});
    }
}

// Components by the path finder's step rules for one-block movers.
std::vector<int32_t> Components(const CGameMap& map)
{
    std::vector<int32_t> component(size_t(Side * Side), -1);
    int32_t next = 0;
    for (int32_t x = 0; x < Side; ++x)
        for (int32_t y = 0; y < Side; ++y)
        {
            if (!IsOpen(map, x, y) || component[size_t(x * Side + y)] >= 0)
                continue;
            std::queue<std::pair<int32_t, int32_t>> open;
            open.push({x, y});
            component[size_t(x * Side + y)] = next;
            while (!open.empty())
            {
                const auto [cx, cy] = open.front();
                open.pop();
                for (int32_t d = 0; d < 8; ++d)
                {
                    const int32_t nx = cx + DX[d];
                    const int32_t ny = cy + DY[d];
                    if (!IsOpen(map, nx, ny) || component[size_t(nx * Side + ny)] >= 0)
                        continue;
                    const bool diagonal = DX[d] != 0 && DY[d] != 0;
                    if (diagonal && (map.Block(nx, cy).blocked || map.Block(cx, ny).blocked))
                        continue;
                    component[size_t(nx * Side + ny)] = next;
                    open.push({nx, ny});
                }
            }
            ++next;
        }
    return component;
}

struct SBenchMap
{
    std::unique_ptr<CGameMap> map = std::make_unique<CGameMap>();
    std::vector<std::pair<CPathFinder::SPoint, CPathFinder::SPoint>> pairs;
};

SBenchMap& BenchMap(EMapKind kind)
{
    static std::unique_ptr<SBenchMap> built[4];
    std::unique_ptr<SBenchMap>& slot = built[int(kind)];
    if (slot)
        return *slot;
    slot = std::make_unique<SBenchMap>();
    CGameMap& map = *slot->map;
    Clear(map);
    std::mt19937 random(1234 + int(kind));
    switch (kind)
    {
    case EMapKind::Open:
        break;
    case EMapKind::Obstacles:
        for (SMapBlock& block : map.blocks)
            block.blocked = random() % 100 < 30 ? 1 : 0;
        break;
    case EMapKind::Maze:
        DigMaze(map, random);
        break;
    case EMapKind::TwoIslands:
        for (int32_t x = 0; x < Side; ++x)
            for (int32_t y = 0; y < Side; ++y)
            {
                const bool left = (x - 64) * (x - 64) + (y - 128) * (y - 128) < 60 * 60;
                const bool right = (x - 192) * (x - 192) + (y - 128) * (y - 128) < 60 * 60;
                map.Block(x, y).waterLevel = left || right ? 0 : SeaLevel;
            }
        break;
    }
    const std::vector<int32_t> component = Components(map);
    std::uniform_int_distribution<int32_t> pick(0, Side - 1);
    while (slot->pairs.size() < size_t(PairCount))
    {
        const CPathFinder::SPoint a{pick(random), pick(random)};
        const CPathFinder::SPoint b{pick(random), pick(random)};
        const int32_t ca = component[size_t(a.x * Side + a.y)];
        if (ca >= 0 && ca == component[size_t(b.x * Side + b.y)] && (a.x != b.x || a.y != b.y))
            slot->pairs.push_back({a, b});
    }
    return *slot;
}

struct SRouteBuffer
{
    CPathFinder::Route steps;
    CPathFinder::SPoint end;
};

void BM_AStarRoutes(benchmark::State& state)
{
    SBenchMap& bench = BenchMap(EMapKind(state.range(0)));
    auto finder = std::make_unique<CPathFinder>(*bench.map);
    auto route = std::make_unique<SRouteBuffer>();
    finder->Init(0, nullptr);
    size_t next = 0;
    int64_t expanded = 0;
    int64_t reached = 0;
    int64_t searches = 0;
    for (auto _ : state)
    {
        const auto& [from, to] = bench.pairs[next];
        next = (next + 1) % bench.pairs.size();
        const int32_t failed = finder->GetFailedSearches();
        benchmark::DoNotOptimize(finder->FindPath(from.x, from.y, to.x, to.y, 1, CPathFinder::LayerLand, 0, 0,
                                                  nullptr, nullptr, 0, 0, route->steps, route->end));
        expanded += finder->GetExpandedCells();
        reached += finder->GetFailedSearches() == failed ? 1 : 0;
        ++searches;
    }
    state.SetItemsProcessed(searches);
    state.counters["cells"] = benchmark::Counter(double(expanded), benchmark::Counter::kIsRate);
    state.counters["cells_per_search"] = double(expanded) / double(std::max<int64_t>(searches, 1));
    state.counters["reached"] = double(reached) / double(std::max<int64_t>(searches, 1));
}
BENCHMARK(BM_AStarRoutes)
    ->Arg(int(EMapKind::Open))
    ->Arg(int(EMapKind::Obstacles))
    ->Arg(int(EMapKind::Maze))
    ->Arg(int(EMapKind::TwoIslands))
    ->ArgName("map")
    ->Unit(benchmark::kMicrosecond);

// A resource site of one kind for the unlimited resource search.
class BenchTree : public CBuilding
{
public:
    int32_t GetBuildCast() const override { return 10; }
    int32_t GetResourceKind() const override { return 2; }
};

void BM_BreadthFirstWorstCase(benchmark::State& state)
{
    const bool resource = state.range(1) != 0;
    SBenchMap& bench = BenchMap(EMapKind(state.range(0)));
    CGameMap& map = *bench.map;
    // Start at the first open block from one corner; the only tree stands on
    // the last open block of the same area from the opposite corner.
    const std::vector<int32_t> component = Components(map);
    CPathFinder::SPoint start{-1, -1};
    for (int32_t i = 0; i < Side * Side && start.x < 0; ++i)
        if (component[size_t(i)] >= 0)
            start = {i / Side, i % Side};
    CPathFinder::SPoint treeAt{-1, -1};
    for (int32_t i = Side * Side - 1; i >= 0 && treeAt.x < 0; --i)
        if (component[size_t(i)] == component[size_t(start.x * Side + start.y)])
            treeAt = {i / Side, i % Side};
    BenchTree tree;
    if (resource)
    {
        map.Block(treeAt.x, treeAt.y).building = &tree;
        map.Block(treeAt.x, treeAt.y).blocked = 1;
    }
    auto finder = std::make_unique<CPathFinder>(map);
    auto route = std::make_unique<SRouteBuffer>();
    finder->Init(0, nullptr);
    int64_t expanded = 0;
    int64_t searches = 0;
    for (auto _ : state)
    {
        const int32_t steps = resource
                                  ? finder->FindResource(start.x, start.y, 2, 0, 0, route->steps, route->end)
                                  : finder->FindStorage(start.x, start.y, route->steps, route->end);
        benchmark::DoNotOptimize(steps);
        expanded += finder->GetExpandedCells();
        ++searches;
    }
    if (resource)
    {
        map.Block(treeAt.x, treeAt.y).building = nullptr;
        map.Block(treeAt.x, treeAt.y).blocked = 0;
    }
    state.SetItemsProcessed(searches);
    state.counters["cells"] = benchmark::Counter(double(expanded), benchmark::Counter::kIsRate);
    state.counters["cells_per_search"] = double(expanded) / double(std::max<int64_t>(searches, 1));
}
BENCHMARK(BM_BreadthFirstWorstCase)
    ->Args({int(EMapKind::Open), 0})
    ->Args({int(EMapKind::Obstacles), 0})
    ->Args({int(EMapKind::Open), 1})
    ->Args({int(EMapKind::Obstacles), 1})
    ->ArgNames({"map", "resource"})
    ->Unit(benchmark::kMicrosecond);
} // namespace
