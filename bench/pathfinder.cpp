// Path finder speed on 256 x 256 maps built here: A* routes between random
// connected pairs on open ground, with 30 % random obstacles, in a maze and
// on a map of two islands; and the worst breadth-first searches, a storage
// search with no storage on the map and a resource search without a limit.
// Counters: searches per second (items), cells expanded per second, the
// share of searches that reached their goal (the maze loses many to the
// search's distance limit), and the mean cells per search.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <queue>
#include <random>
#include <utility>
#include <vector>

#include "buildings/C_Building.h"
#include "bench/PathBenchMaps.h"
#include "bench/PlainAStar.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"

namespace
{
using namespace PathBenchMaps;

struct SRouteBuffer
{
    CPathFinder::Route steps;
    CPathFinder::SPoint end;
};

// One-block land routes between a map's pairs, one pair after the other.
class CPairSearches
{
public:
    explicit CPairSearches(EMapKind kind)
        : m_Bench(BenchMap(kind)), m_Finder(std::make_unique<CPathFinder>(*m_Bench.map)),
          m_Route(std::make_unique<SRouteBuffer>())
    {
        m_Finder->Init(0, nullptr);
    }

    const std::pair<CPathFinder::SPoint, CPathFinder::SPoint>& NextPair()
    {
        const auto& pair = m_Bench.pairs[m_Next];
        m_Next = (m_Next + 1) % m_Bench.pairs.size();
        return pair;
    }
    // The route's step count; whether the goal was reached.
    int32_t Search(const std::pair<CPathFinder::SPoint, CPathFinder::SPoint>& pair, bool* reached)
    {
        const int32_t failed = m_Finder->GetFailedSearches();
        const int32_t steps = m_Finder->FindPath(pair.first.x, pair.first.y, pair.second.x, pair.second.y, 1,
                                                 CPathFinder::LayerLand, 0, 0, nullptr, nullptr, 0, 0,
                                                 m_Route->steps, m_Route->end);
        *reached = m_Finder->GetFailedSearches() == failed;
        return steps;
    }
    CGameMap& Map() { return *m_Bench.map; }
    const CPathFinder& Finder() const { return *m_Finder; }
    const SRouteBuffer& Route() const { return *m_Route; }

private:
    SBenchMap& m_Bench;
    std::unique_ptr<CPathFinder> m_Finder;
    std::unique_ptr<SRouteBuffer> m_Route;
    size_t m_Next = 0;
};

void MapFamilies(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(int(EMapKind::Open))
        ->Arg(int(EMapKind::Obstacles))
        ->Arg(int(EMapKind::Maze))
        ->Arg(int(EMapKind::TwoIslands))
        ->Arg(int(EMapKind::Cave))
        ->ArgName("map")
        ->Unit(benchmark::kMicrosecond);
}

void BM_AStarRoutes(benchmark::State& state)
{
    CPairSearches searches(EMapKind(state.range(0)));
    int64_t expanded = 0;
    int64_t reached = 0;
    for (auto _ : state)
    {
        bool found = false;
        benchmark::DoNotOptimize(searches.Search(searches.NextPair(), &found));
        expanded += searches.Finder().GetExpandedCells();
        reached += found ? 1 : 0;
    }
    const double count = double(std::max<int64_t>(state.iterations(), 1));
    state.SetItemsProcessed(state.iterations());
    state.counters["cells"] = benchmark::Counter(double(expanded), benchmark::Counter::kIsRate);
    state.counters["cells_per_search"] = double(expanded) / count;
    state.counters["reached"] = double(reached) / count;
}
BENCHMARK(BM_AStarRoutes)->Apply(MapFamilies);

// The yardstick's routes checked against Dijkstra's search on the first
// pairs of the map: each route found is one the rules allow and costs what
// the search says, never less than the cheapest route; a goal Dijkstra
// cannot reach is not reached.  "dijkstra_faults" counts pairs that fail
// (it must stay 0); "over_cheapest" is the mean excess of the routes found
// over the cheapest ones (the heuristic overestimates diagonal ground and
// the goal is taken when first reached, so routes are short, not shortest).
struct SDijkstraCheck
{
    int32_t faults = 0;
    double overCheapest = 0.0;
};

SDijkstraCheck CheckAgainstDijkstra(PlainAStar& plain, const SBenchMap& bench)
{
    constexpr size_t CheckedPairs = 64;
    SDijkstraCheck check;
    int32_t reached = 0;
    for (size_t i = 0; i < std::min(CheckedPairs, bench.pairs.size()); ++i)
    {
        const auto& [from, to] = bench.pairs[i];
        const int32_t cost = plain.Search(from.x, from.y, to.x, to.y);
        const int32_t walked = cost >= 0 ? plain.WalkedCost(from.x, from.y, to.x, to.y) : -1;
        const int32_t cheapest = plain.CheapestCost(from.x, from.y, to.x, to.y);
        if (cost >= 0 && (walked != cost || cheapest < 0 || cost < cheapest))
            ++check.faults;
        if (cost >= 0 && cheapest > 0)
        {
            check.overCheapest += double(cost) / double(cheapest) - 1.0;
            ++reached;
        }
    }
    check.overCheapest /= double(std::max(reached, 1));
    return check;
}

// The game's finder, the yardstick and the yardstick with the finder's heap
// discipline (stale entries) on the same pairs in the same run, each timed
// alone; "ratio" is the finder's time over the yardstick's.
// "cost_mismatches" counts pairs where the finder and the yardstick
// disagree on the route's cost or on reaching the goal at all, and
// "stale_cell_mismatches" searches where the stale-entry yardstick expanded
// other cells than the finder (both must stay 0).  "stale_us" is what the
// stale entries cost the yardstick, "stale_share" the share of the entries
// taken from the heap that were stale, and "ratio_without_stale" the
// finder's time less stale_us over the yardstick's.
void BM_AStarAgainstPlain(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    CPairSearches searches(EMapKind(state.range(0)));
    auto plain = std::make_unique<PlainAStar>(searches.Map());
    const SDijkstraCheck dijkstra = CheckAgainstDijkstra(*plain, BenchMap(EMapKind(state.range(0))));
    Clock::duration finderTime{};
    Clock::duration plainTime{};
    Clock::duration staleTime{};
    int64_t mismatches = 0;
    int64_t staleCellMismatches = 0;
    int64_t finderCells = 0;
    int64_t plainCells = 0;
    int64_t staleTaken = 0;
    int64_t staleCells = 0;
    for (auto _ : state)
    {
        const auto& [from, to] = searches.NextPair();
        bool reached = false;
        const Clock::time_point start = Clock::now();
        const int32_t steps = searches.Search({from, to}, &reached);
        const Clock::time_point afterFinder = Clock::now();
        const int32_t plainCost = plain->Search(from.x, from.y, to.x, to.y);
        const Clock::time_point afterPlain = Clock::now();
        benchmark::DoNotOptimize(plain->SearchWithStaleEntries(from.x, from.y, to.x, to.y));
        const Clock::time_point end = Clock::now();
        finderTime += afterFinder - start;
        plainTime += afterPlain - afterFinder;
        staleTime += end - afterPlain;
        finderCells += searches.Finder().GetExpandedCells();
        staleCellMismatches += plain->GetExpandedCells() != searches.Finder().GetExpandedCells() ? 1 : 0;
        staleTaken += plain->GetTakenEntries();
        staleCells += plain->GetExpandedCells();
        plain->Search(from.x, from.y, to.x, to.y);
        plainCells += plain->GetExpandedCells();
        int32_t finderCost = 0;
        for (int32_t i = 0; i < steps; ++i)
            finderCost += searches.Route().steps[i] % 2 == 0 ? 10 : 14;
        // A route longer than the buffer is cut, so its cost is not the whole.
        const bool whole = steps < CPathFinder::RouteCapacity;
        if (reached != (plainCost >= 0) || (reached && whole && finderCost != plainCost))
            ++mismatches;
    }
    const double count = double(std::max<int64_t>(state.iterations(), 1));
    const double finderMicros = std::chrono::duration<double, std::micro>(finderTime).count() / count;
    const double plainMicros = std::chrono::duration<double, std::micro>(plainTime).count() / count;
    const double staleMicros = std::chrono::duration<double, std::micro>(staleTime).count() / count - plainMicros;
    state.counters["finder_us"] = finderMicros;
    state.counters["plain_us"] = plainMicros;
    state.counters["ratio"] = plainMicros > 0 ? finderMicros / plainMicros : 0;
    state.counters["stale_us"] = staleMicros;
    state.counters["stale_share"] = staleTaken > 0 ? 1.0 - double(staleCells) / double(staleTaken) : 0;
    state.counters["ratio_without_stale"] = plainMicros > 0 ? (finderMicros - staleMicros) / plainMicros : 0;
    state.counters["cells_ratio"] = plainCells > 0 ? double(finderCells) / double(plainCells) : 0;
    state.counters["cost_mismatches"] = double(mismatches);
    state.counters["stale_cell_mismatches"] = double(staleCellMismatches);
    state.counters["dijkstra_faults"] = double(dijkstra.faults);
    state.counters["over_cheapest"] = dijkstra.overCheapest;
}
BENCHMARK(BM_AStarAgainstPlain)->Apply(MapFamilies);

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
