// The path finder's answers over searches on the benchmark's maps, against recorded digests: any change to the
// search order, the tie rules, the cell tests or the start distance changes a digest.

#include <functional>
#include <memory>
#include <tuple>

#include <gtest/gtest.h>

#include "bench/PathBenchMaps.h"
#include "buildings/C_Building.h"
#include "core/C_CRC32.h"
#include "tests/support/RecordBytes.h"
#include "world/C_PathFinder.h"

namespace
{
using namespace PathBenchMaps;

// Search i on the finder, into the route and end; its steps.
using Search = std::function<int32_t(int32_t, CPathFinder&, CPathFinder::Route&, CPathFinder::SPoint&)>;

// The digest of everything the searches answer, appended in a fixed layout: steps, end, cells expanded, failed
// searches so far and the route.
uint32_t Digest(const SBenchMap& bench, int32_t searches, const Search& search)
{
    auto finder = std::make_unique<CPathFinder>(*bench.map);
    CPathFinder::Route route{};
    CPathFinder::SPoint end{};
    CRecordBytes record;
    finder->Init(0, nullptr);
    for (int32_t i = 0; i < searches; ++i)
    {
        const int32_t steps = search(i, *finder, route, end);
        record.I32(steps).I32(end.x).I32(end.y).I32(finder->GetExpandedCells()).I32(finder->GetFailedSearches());
        record.Text(std::string(route, route + steps));
    }
    return CCRC32().Calculate(record.Bytes().data(), int(record.Bytes().size()));
}

// A resource site for the breadth-first searches.
class RecordedTree : public CBuilding
{
public:
    int32_t GetBuildCast() const override { return 10; }
    int32_t GetResourceKind() const override { return 2; }
};
} // namespace

// One-block land movers between the map's pairs, then two-block movers, then searches that stop short of the goal
// (near and accept distances).
TEST(PathFinderRecordedRoutes, RoutesOnTheBenchmarkMapsAreTheRecordedOnes)
{
    // The map, its name, the number of searches and the digest of their answers.
    const std::tuple<EMapKind, const char*, int32_t, uint32_t> families[] = {
        {EMapKind::Open, "open", 400, 3628642392u}, {EMapKind::Obstacles, "obstacles", 600, 1109014408u},
        {EMapKind::Maze, "maze", 150, 1611751715u}, {EMapKind::TwoIslands, "islands", 600, 768370366u},
    };
    for (const auto& [kind, name, searches, digest] : families)
    {
        const SBenchMap& bench = BenchMap(kind);
        const Search search = [&bench](int32_t i, CPathFinder& finder, CPathFinder::Route& route,
                                       CPathFinder::SPoint& end) {
            const auto& [from, to] = bench.pairs[size_t(i)];
            const int32_t near = i % 5 == 4 ? 2 : 0;
            return finder.FindPath(from.x, from.y, to.x, to.y, i % 4 == 3 ? 2 : 1, CPathFinder::LayerLand, near,
                                   near * 2, nullptr, nullptr, 0, 0, route, end);
        };
        EXPECT_EQ(Digest(bench, searches, search), digest) << name;
    }
}

// Breadth-first searches for a tree from pair starts, with and without a step limit, and storage searches that
// find nothing.
TEST(PathFinderRecordedRoutes, BreadthFirstSearchesAreTheRecordedOnes)
{
    const std::tuple<EMapKind, const char*, int32_t, uint32_t> families[] = {
        {EMapKind::Open, "open", 12, 2315564969u}, {EMapKind::Obstacles, "obstacles", 12, 3447430384u},
    };
    for (const auto& [kind, name, searches, digest] : families)
    {
        SBenchMap& bench = BenchMap(kind);
        const CPathFinder::SPoint treeAt = bench.pairs[0].second;
        RecordedTree tree;
        SMapBlock& treeBlock = bench.map->Block(treeAt.x, treeAt.y);
        treeBlock.building = &tree;
        treeBlock.blocked = 1;
        const Search search = [&bench](int32_t i, CPathFinder& finder, CPathFinder::Route& route,
                                       CPathFinder::SPoint& end) {
            const CPathFinder::SPoint from = bench.pairs[size_t(i + 1)].first;
            return i % 3 == 2 ? finder.FindStorage(from.x, from.y, route, end)
                              : finder.FindResource(from.x, from.y, 2, 0, i % 3 == 0 ? 0 : 40, route, end);
        };
        EXPECT_EQ(Digest(bench, searches, search), digest) << name;
        treeBlock.building = nullptr;
        treeBlock.blocked = 0;
    }
}
