#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <tuple>

#include "WorldTestSupport.h"
#include "world/C_RangeTable.h"
#include "world/RangeTables.h"

namespace
{
struct Offset { int dx, dy, distance, level; bool operator==(const Offset&) const = default; };

std::vector<Offset> Entries(const CRangeTable& table)
{
    std::vector<Offset> out;
    for (int i = 0; i < table.count; ++i)
        out.push_back({table.entries[i].dx, table.entries[i].dy, table.entries[i].distance, table.entries[i].level});
    return out;
}

using Offsets = std::vector<std::pair<int, int>>;

Offsets DxDy(const CRangeTable& table)
{
    Offsets out;
    for (int i = 0; i < table.count; ++i) out.emplace_back(table.entries[i].dx, table.entries[i].dy);
    return out;
}

const char* const FullMapFile = "InGame\\Ranges\\fullmap.rng";

// count, then each entry {dx, dy, distance, level, 0}.
std::vector<uint8_t> StoredTable(int32_t count, const std::vector<Offset>& entries)
{
    std::vector<uint8_t> bytes(4);
    SetLe32(bytes, 0, count);
    for (const Offset& e : entries)
    {
        for (int value : {e.dx, e.dy, e.distance})
            bytes.insert(bytes.end(), {uint8_t(value & 0xFF), uint8_t((value >> 8) & 0xFF)});
        bytes.insert(bytes.end(), {uint8_t(e.level), 0});
    }
    return bytes;
}

// Levels below 255 are kept as stored.
const std::vector<Offset> ThreeByThree = {{0, 0, 0, 255}, {-1, 0, 10, 255}, {0, -1, 10, 200}, {0, 1, 10, 255},
                                          {1, 0, 10, 9},  {-1, -1, 14, 255}, {-1, 1, 14, 255}, {1, -1, 14, 255},
                                          {1, 1, 14, 40}};
} // namespace

TEST(RangeFile, ToolMadeFileReadsBackEqualAndAMissingOrBadFileIsLoggedAndComputed)
{
    CScratchFolder folder;
    CTestLog log;
    DiskDataFiles data(folder);
    CRangeTable computed;
    computed.InitRing(0, 3, 0);
    CRangeTable missing;
    EXPECT_TRUE(!missing.InitRing(0, 3, 0, FullMapFile) && Entries(missing) == Entries(computed) &&
                log.Contains("Range file rejected: InGame\\Ranges\\fullmap.rng (file not found), computing the table"));

    const std::string target = folder.Write("InGame/Ranges/fullmap.rng", StoredTable(100000, {}));
    CRangeTable huge;
    EXPECT_TRUE(!huge.InitRing(0, 3, 0, FullMapFile) && Entries(huge) == Entries(computed) &&
                log.Contains("Range file rejected: InGame\\Ranges\\fullmap.rng (bad count), computing the table"));
    folder.Write("InGame/Ranges/fullmap.rng", StoredTable(9, ThreeByThree));  // every block of the square: the largest
    CRangeTable full;
    EXPECT_TRUE(full.InitRing(0, 1, 0, FullMapFile) && Entries(full) == ThreeByThree);

    RunTool("mkrange", target);
    CRangeTable disc;
    disc.InitRing(0, FullMapDiscRadius, 0);
    EXPECT_EQ(CScratchFolder::ReadFile(target).size(), size_t(4 + 8 * disc.count));
    CRangeTable read;
    ASSERT_TRUE(read.InitRing(0, FullMapDiscRadius, 0, FullMapFile));
    EXPECT_TRUE(Entries(read) == Entries(disc) && read.entries[read.count - 1].distance == 1279);
}

TEST(RangeFile, StoredLayoutIsCountThenEightByteEntriesAndBadTablesAreRefused)
{
    const std::vector<uint8_t> bytes = StoredTable(9, ThreeByThree);
    CRangeTable read;
    ASSERT_TRUE(read.LoadStored(bytes.data(), int64_t(bytes.size()), 2, nullptr));
    EXPECT_EQ(Entries(read), ThreeByThree);   // the file's order and levels as they are
    ASSERT_EQ(read.GetStoredSize(), int64_t(bytes.size()));
    std::vector<uint8_t> again(bytes.size());
    read.WriteStored(again.data());
    EXPECT_EQ(again, bytes);

    auto changed = [](size_t at, Offset entry) {
        std::vector<Offset> entries = ThreeByThree;
        entries[at] = entry;
        return StoredTable(9, entries);
    };
    std::vector<uint8_t> trailing = bytes;
    trailing.push_back(0);
    std::vector<Offset> unsorted = ThreeByThree;
    std::swap(unsorted[0], unsorted[8]);
    const std::tuple<const char*, std::vector<uint8_t>, const char*> cases[] = {
        {"empty file", {}, "bad size"}, {"short count", {9, 0}, "bad size"},
        {"negative count", StoredTable(-1, {}), "bad count"},
        {"count above the room", StoredTable(26, ThreeByThree), "bad count"},
        {"count beyond the file", StoredTable(10, ThreeByThree), "bad size"},
        {"truncated entry", {bytes.begin(), bytes.end() - 1}, "bad size"},
        {"bytes after the entries", trailing, "bad size"},
        {"offset beyond the radius", changed(8, {3, 0, 30, 255}), "offset out of range"},
        {"distance not of its offset", changed(1, {-1, 0, 11, 255}), "bad distance"},
        {"not nearest first", StoredTable(9, unsorted), "bad distance"},
        {"offset repeated", changed(2, ThreeByThree[1]), "offset repeated"},
    };
    for (const auto& [what, bad, wanted] : cases)
    {
        SCOPED_TRACE(what);
        CRangeTable table;
        table.InitRing(0, 2, 0);
        const std::vector<Offset> before = Entries(table);
        const char* reason = nullptr;
        EXPECT_TRUE(!table.LoadStored(bad.data(), int64_t(bad.size()), 2, &reason) && reason != nullptr &&
                    std::string(reason) == wanted && Entries(table) == before) << (reason ? reason : "");
    }
}

// A soft ring explores fully up to 1.4 blocks beyond its nearest distance and fades to 40
// at its farthest; a border walks one block of each side of the footprint in turn.
TEST(RangeTables, SoftRingsFadeToFortyAndBordersWalkEachSideInTurn)
{
    // Inner and outer radius, entries, and levels by distance.
    const std::tuple<int, int, int, Offsets> rings[] = {
        {0, 2, 9, {{0, 255}, {10, 255}, {14, 255}}},
        {-3, 3, 25, {{0, 255}, {14, 255}, {20, 162}, {22, 132}, {28, 40}}},
        {0, 7, 145, {{14, 255}, {20, 230}, {36, 165}, {50, 108}, {64, 52}, {67, 40}}},
        {2, 8, 184, {{20, 255}, {31, 255}, {36, 245}, {44, 206}, {60, 127}, {76, 49}, {78, 40}}},
    };
    for (const auto& [inner, outer, count, levels] : rings)
    {
        CRangeTable table;
        table.InitRing2(inner, outer);
        ASSERT_EQ(table.count, count) << outer;
        for (int i = 1; i < table.count; ++i) ASSERT_LE(table.entries[i - 1].distance, table.entries[i].distance);
        for (const auto& [distance, level] : levels)
            for (int i = 0; i < table.count; ++i)
                EXPECT_TRUE(table.entries[i].distance != distance || table.entries[i].level == level)
                    << outer << " at " << distance;
    }
    const auto border = [](int size) {
        CRangeTable table;
        table.InitBorder(size);
        return DxDy(table);
    };
    EXPECT_TRUE(border(0).empty());
    EXPECT_EQ(border(1), (Offsets{{-1, -1}, {1, -1}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}, {1, 1}, {-1, 1}}));
}

namespace
{
int DistanceOf(int dx, int dy) { return int(std::sqrt(double(dx * dx + dy * dy)) * 10); }

// For i, for j from i: i and j change places when i is the farther.
std::vector<Offset> ExchangeSorted(std::vector<Offset> offsets)
{
    for (size_t i = 0; i + 1 < offsets.size(); ++i)
        for (size_t j = i; j < offsets.size(); ++j)
            if (offsets[i].distance > offsets[j].distance)
                std::swap(offsets[i], offsets[j]);
    return offsets;
}

// A ring worked out step by step as its rule says: offsets dx outer and dy inner from -outer to outer - 1,
// kept at inner * 10 <= distance < outer * 10; with fill a second pass appends each kept offset's
// (dx + 1, dy), (dx + 1, dy + 1) and (dx, dy + 1) at its distance when not present; the exchange sort;
// levels 255, or for a soft ring falling from 255 at 1.4 blocks beyond the nearest to 40 at the farthest.
std::vector<Offset> RingByItsRule(int inner, int outer, bool fill, bool soft)
{
    std::vector<Offset> ring;
    std::set<std::pair<int, int>> present;
    const auto eachKept = [&](const auto& use) {
        for (int dx = -outer; dx < outer; ++dx)
            for (int dy = -outer; dy < outer; ++dy)
                if (const int d = DistanceOf(dx, dy); inner * 10 <= d && d < outer * 10)
                    use(dx, dy, d);
    };
    eachKept([&](int dx, int dy, int d) {
        ring.push_back({dx, dy, d, 255});
        present.emplace(dx, dy);
    });
    if (fill)
        eachKept([&](int dx, int dy, int d) {
            for (const auto& [fx, fy] : {std::pair(dx + 1, dy), std::pair(dx + 1, dy + 1), std::pair(dx, dy + 1)})
                if (present.emplace(fx, fy).second)
                    ring.push_back({fx, fy, d, 255});
        });
    ring = ExchangeSorted(ring);
    const int base = ring.front().distance + 14, span = ring.back().distance - base;
    for (Offset& e : ring)
        if (soft && span != 0)
            e.level = std::clamp((255 * span - 215 * (e.distance - base)) / span, 0, 255);
    return ring;
}
} // namespace

// Every table the start-up builds but the stored one, entry for entry in order, against its rule.
TEST(RangeTables, EveryStartUpTableHoldsItsRuleEntryForEntry)
{
    CTestLog log;
    AllocRangeTables();
    EXPECT_EQ(Entries(g_SightDiscs[1]), (std::vector<Offset>{{0, 0, 0, 255}, {0, -1, 10, 255}, {-1, 0, 10, 255},
                                                            {0, 1, 10, 255}, {1, 0, 10, 255}, {-1, -1, 14, 255},
                                                            {1, -1, 14, 255}, {-1, 1, 14, 255}, {1, 1, 14, 255}}));
    for (int k = 0; k < RangeRingCount; ++k)
    {
        EXPECT_EQ(Entries(g_SightDiscs[k]), RingByItsRule(0, k + 1, false, false)) << k;
        EXPECT_EQ(Entries(g_FilledDiscs[k]), RingByItsRule(0, k + 1, true, false)) << k;
        EXPECT_EQ(Entries(g_SoftRings[k]), RingByItsRule(std::max(0, k - 4), k + 2, false, true)) << k;
    }
    std::vector<Offset> square, built = Entries(g_SquareRange);
    for (int dx = -SquareRangeRadius; dx <= SquareRangeRadius; ++dx)
        for (int dy = -SquareRangeRadius; dy <= SquareRangeRadius; ++dy)
            square.push_back({dx, dy, DistanceOf(dx, dy), 0});
    for (Offset& e : built)
        e.level = 0;   // not used
    EXPECT_EQ(built, ExchangeSorted(square));
    CRangeTable below;   // a negative radius is taken as 0: the centre alone
    EXPECT_EQ((below.InitSquare(-1), DxDy(below)), (Offsets{{0, 0}}));
    for (int n = 0; n < SquareBorderCount; ++n)
    {
        Offsets border;
        for (int i = 0; n > 0 && i <= n; ++i) border.insert(border.end(), {{i - 1, -1}, {n, i - 1}, {i, n}, {-1, i}});
        EXPECT_EQ(DxDy(g_SquareBorders[n]), border) << n;
    }
    FreeRangeTables();
}
