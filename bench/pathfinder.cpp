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
#include "bench/PlainBreadthFirst.h"
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
// finder's discipline costs the yardstick (its time with stale entries less
// its time without), "stale_share" the share of the entries taken from the
// heap that were stale, and "ratio_without_stale" the finder's time less
// stale_us over the yardstick's.
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
    // Where the finder's discipline costs the yardstick nothing (no stale
    // entries, and no places to keep), nothing is put down to it.
    const double staleMicros =
        std::max(std::chrono::duration<double, std::micro>(staleTime).count() / count - plainMicros, 0.0);
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

// ---- Breadth-first searches against a plain breadth-first search ------------

enum class EBreadthFirst
{
    Storage,
    Resource,
    Keep,
    Coast,
};

// What the searches look for: a storage or a keep of player 0, a tree.
class BenchTarget : public CBuilding
{
public:
    BenchTarget(int32_t buildCast, int32_t resource, bool storing)
        : CBuilding(-1, -1, buildCast == 10 ? -1 : 0), m_Cast(buildCast), m_Resource(resource), m_Storing(storing)
    {
    }
    int32_t GetBuildCast() const override { return m_Cast; }
    int32_t GetResourceKind() const override { return m_Resource; }
    bool IsStorage() const override { return m_Storing; }

private:
    int32_t m_Cast;
    int32_t m_Resource;
    bool m_Storing;
};

// Targets put on open blocks of a benchmark map for as long as it lives.
class CPlacedTargets
{
public:
    static constexpr int32_t Count = 16;
    static constexpr int32_t TreeResource = 2;

    CPlacedTargets(CGameMap& map, EBreadthFirst search) : m_Map(map)
    {
        if (search == EBreadthFirst::Coast)
            return;
        std::mt19937 random(77);
        while (int32_t(m_Targets.size()) < Count)
        {
            const int32_t x = int32_t(random() % Side);
            const int32_t y = int32_t(random() % Side);
            if (!IsOpen(map, x, y))
                continue;
            const bool tree = search == EBreadthFirst::Resource;
            m_Targets.push_back(std::make_unique<BenchTarget>(tree ? 10 : search == EBreadthFirst::Keep ? 11 : 7,
                                                              tree ? TreeResource : 0,
                                                              search == EBreadthFirst::Storage));
            m_Targets.back()->x = x;
            m_Targets.back()->y = y;
            map.Block(x, y).building = m_Targets.back().get();
            map.Block(x, y).blocked = 1;
        }
    }
    ~CPlacedTargets()
    {
        for (const auto& target : m_Targets)
        {
            m_Map.Block(target->x, target->y).building = nullptr;
            m_Map.Block(target->x, target->y).blocked = 0;
        }
    }
    void Mark(PlainBreadthFirst& plain) const
    {
        for (const auto& target : m_Targets)
            plain.MarkWanted(target->x, target->y);
    }

private:
    CGameMap& m_Map;
    std::vector<std::unique_ptr<BenchTarget>> m_Targets;
};

// Starts: the first blocks of the map's pairs that are still open, or for a
// ship of ShipSize the water positions of free footprints.
std::vector<CPathFinder::SPoint> BreadthFirstStarts(const SBenchMap& bench, EBreadthFirst search)
{
    constexpr size_t StartCount = 256;
    constexpr int32_t ShipSize = 3;
    const CGameMap& map = *bench.map;
    std::vector<CPathFinder::SPoint> starts;
    if (search != EBreadthFirst::Coast)
    {
        for (const auto& pair : bench.pairs)
            if (starts.size() < StartCount && IsOpen(map, pair.first.x, pair.first.y))
                starts.push_back(pair.first);
        return starts;
    }
    std::mt19937 random(78);
    for (int32_t tries = 0; starts.size() < StartCount && tries < 1000000; ++tries)
    {
        const int32_t x = int32_t(random() % (Side - ShipSize + 1));
        const int32_t y = int32_t(random() % (Side - ShipSize + 1));
        bool water = true;
        for (int32_t cx = x; cx < x + ShipSize; ++cx)
            for (int32_t cy = y; cy < y + ShipSize; ++cy)
                water = water && map.Block(cx, cy).waterLevel >= 7 && !map.Block(cx, cy).blocked;
        if (water)
            starts.push_back({x, y});
    }
    return starts;
}

// The finder's storage, resource (no step limit), keep or coast search (a
// ship of size 3) and the plain breadth-first search on the same starts,
// each timed alone; "ratio" is the finder's time over the plain one's.
// "mismatches" counts searches where the two disagree on the step count,
// the end or the cells expanded (it must stay 0).
void BM_BreadthFirstAgainstPlain(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    constexpr int32_t ShipSize = 3;
    const EBreadthFirst search = EBreadthFirst(state.range(1));
    SBenchMap& bench = BenchMap(EMapKind(state.range(0)));
    const CPlacedTargets targets(*bench.map, search);
    const std::vector<CPathFinder::SPoint> starts = BreadthFirstStarts(bench, search);
    auto plain = std::make_unique<PlainBreadthFirst>(*bench.map);
    if (search == EBreadthFirst::Coast)
        plain->ReadShipPositions(ShipSize);
    else
    {
        plain->ReadLandBlocks();
        targets.Mark(*plain);
    }
    auto finder = std::make_unique<CPathFinder>(*bench.map);
    auto route = std::make_unique<SRouteBuffer>();
    finder->Init(0, nullptr);
    Clock::duration finderTime{};
    Clock::duration plainTime{};
    int64_t mismatches = 0;
    int64_t cells = 0;
    size_t next = 0;
    for (auto _ : state)
    {
        const CPathFinder::SPoint start = starts[next];
        next = (next + 1) % starts.size();
        const Clock::time_point begin = Clock::now();
        int32_t steps = 0;
        switch (search)
        {
        case EBreadthFirst::Storage:
            steps = finder->FindStorage(start.x, start.y, route->steps, route->end);
            break;
        case EBreadthFirst::Resource:
            steps = finder->FindResource(start.x, start.y, CPlacedTargets::TreeResource, 0, 0, route->steps,
                                         route->end);
            break;
        case EBreadthFirst::Keep:
            steps = finder->FindGarrisonKeep(start.x, start.y, route->steps, route->end);
            break;
        case EBreadthFirst::Coast:
            steps = finder->FindCoastToUngarrison(start.x, start.y, ShipSize, 0, route->steps, route->end);
            break;
        }
        const Clock::time_point middle = Clock::now();
        int32_t endX = -1;
        int32_t endY = -1;
        const int32_t plainSteps = plain->Find(start.x, start.y, 0, &endX, &endY);
        const Clock::time_point end = Clock::now();
        finderTime += middle - begin;
        plainTime += end - middle;
        cells += finder->GetExpandedCells();
        // The finder gives 0 steps at the start for nothing found, and cuts
        // a route longer than its buffer (ending it at the cut).
        const bool same = plainSteps < 0 ? steps == 0 && route->end.x == start.x && route->end.y == start.y
                          : plainSteps > CPathFinder::RouteCapacity
                              ? steps == CPathFinder::RouteCapacity
                              : steps == plainSteps && route->end.x == endX && route->end.y == endY;
        if (!same || finder->GetExpandedCells() != plain->GetExpandedCells())
            ++mismatches;
    }
    const double count = double(std::max<int64_t>(state.iterations(), 1));
    const double finderMicros = std::chrono::duration<double, std::micro>(finderTime).count() / count;
    const double plainMicros = std::chrono::duration<double, std::micro>(plainTime).count() / count;
    state.counters["finder_us"] = finderMicros;
    state.counters["plain_us"] = plainMicros;
    state.counters["ratio"] = plainMicros > 0 ? finderMicros / plainMicros : 0;
    state.counters["cells_per_search"] = double(cells) / count;
    state.counters["mismatches"] = double(mismatches);
}

void BreadthFirstFamilies(benchmark::internal::Benchmark* benchmark)
{
    for (const EBreadthFirst search : {EBreadthFirst::Storage, EBreadthFirst::Resource, EBreadthFirst::Keep})
        for (int32_t map = int32_t(EMapKind::Open); map <= int32_t(EMapKind::Cave); ++map)
            benchmark->Args({map, int32_t(search)});
    benchmark->Args({int32_t(EMapKind::TwoIslands), int32_t(EBreadthFirst::Coast)});
    benchmark->ArgNames({"map", "search"})->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_BreadthFirstAgainstPlain)->Apply(BreadthFirstFamilies);
} // namespace
