// The path finder's results pinned down: routes, ends, refusals, cuts and cells each search expanded,
// over searches on the benchmark's maps, against recorded digests.  Any change to the search order, the tie
// rules, the cell tests or the start distance changes a digest.

#include <cstring>
#include <tuple>

#include <gtest/gtest.h>

#include "bench/PathBenchMaps.h"
#include "buildings/C_Building.h"
#include "core/C_CRC32.h"
#include "world/C_PathFinder.h"

namespace
{
using namespace PathBenchMaps;

// Everything a search answers, appended in a fixed layout.
class CSearchRecord
{
public:
    void Add(int32_t value)
    {
        uint8_t bytes[4];
        std::memcpy(bytes, &value, sizeof bytes);
        m_Bytes.insert(m_Bytes.end(), bytes, bytes + 4);
    }
    void AddSearch(const CPathFinder& finder, int32_t steps, const CPathFinder::Route& route,
                   const CPathFinder::SPoint& end)
    {
        Add(steps);
        Add(end.x);
        Add(end.y);
        Add(finder.GetExpandedCells());
        Add(finder.GetFailedSearches());
        m_Bytes.insert(m_Bytes.end(), route, route + steps);
    }
    uint32_t Digest() const
    {
        static const CCRC32 crc;
        return crc.Calculate(m_Bytes.data(), int(m_Bytes.size()));
    }

private:
    std::vector<uint8_t> m_Bytes;
};

// One-block land movers between the map's pairs, then two-block movers,
// then searches that stop short of the goal (near and accept distances).
uint32_t RecordRoutes(EMapKind kind, int32_t searches)
{
    SBenchMap& bench = BenchMap(kind);
    auto finder = std::make_unique<CPathFinder>(*bench.map);
    CPathFinder::Route route{};
    CPathFinder::SPoint end{};
    CSearchRecord record;
    finder->Init(0, nullptr);
    for (int32_t i = 0; i < searches; ++i)
    {
        const auto& [from, to] = bench.pairs[size_t(i)];
        const int32_t size = i % 4 == 3 ? 2 : 1;
        const int32_t nearDistance = i % 5 == 4 ? 2 : 0;
        const int32_t acceptDistance = i % 5 == 4 ? 4 : 0;
        const int32_t steps = finder->FindPath(from.x, from.y, to.x, to.y, size, CPathFinder::LayerLand,
                                               nearDistance, acceptDistance, nullptr, nullptr, 0, 0, route, end);
        record.AddSearch(*finder, steps, route, end);
    }
    return record.Digest();
}

// A resource site for the breadth-first searches.
class RecordedTree : public CBuilding
{
public:
    int32_t GetBuildCast() const override { return 10; }
    int32_t GetResourceKind() const override { return 2; }
};

// Breadth-first searches for a tree from pair starts, with and without a
// step limit, and storage searches that find nothing.
uint32_t RecordTargetedSearches(EMapKind kind, int32_t searches)
{
    SBenchMap& bench = BenchMap(kind);
    CGameMap& map = *bench.map;
    const CPathFinder::SPoint treeAt = bench.pairs[0].second;
    RecordedTree tree;
    map.Block(treeAt.x, treeAt.y).building = &tree;
    map.Block(treeAt.x, treeAt.y).blocked = 1;
    auto finder = std::make_unique<CPathFinder>(map);
    CPathFinder::Route route{};
    CPathFinder::SPoint end{};
    CSearchRecord record;
    finder->Init(0, nullptr);
    for (int32_t i = 0; i < searches; ++i)
    {
        const CPathFinder::SPoint from = bench.pairs[size_t(i + 1)].first;
        const int32_t steps = i % 3 == 2 ? finder->FindStorage(from.x, from.y, route, end)
                                         : finder->FindResource(from.x, from.y, 2, 0, i % 3 == 0 ? 0 : 40, route,
                                                                end);
        record.AddSearch(*finder, steps, route, end);
    }
    map.Block(treeAt.x, treeAt.y).building = nullptr;
    map.Block(treeAt.x, treeAt.y).blocked = 0;
    return record.Digest();
}

TEST(PathFinderRecordedRoutes, RoutesOnTheBenchmarkMapsAreTheRecordedOnes)
{
    // The map, its name, the number of searches and the digest of their answers.
    const std::tuple<EMapKind, const char*, int32_t, uint32_t> families[] = {
        {EMapKind::Open, "open", 400, 3628642392u},
        {EMapKind::Obstacles, "obstacles", 600, 1109014408u},
        {EMapKind::Maze, "maze", 150, 1611751715u},
        {EMapKind::TwoIslands, "islands", 600, 768370366u},
    };
    for (const auto& [kind, name, searches, digest] : families)
        EXPECT_EQ(RecordRoutes(kind, searches), digest) << name;
}

TEST(PathFinderRecordedRoutes, BreadthFirstSearchesAreTheRecordedOnes)
{
    const std::tuple<EMapKind, const char*, int32_t, uint32_t> families[] = {
        {EMapKind::Open, "open", 12, 2315564969u},
        {EMapKind::Obstacles, "obstacles", 12, 3447430384u},
    };
    for (const auto& [kind, name, searches, digest] : families)
        EXPECT_EQ(RecordTargetedSearches(kind, searches), digest) << name;
}
} // namespace
