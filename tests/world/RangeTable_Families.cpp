// Every range-table family against offsets worked out here by brute force,
// and the order of equal distances against the plain exchange sort.

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "world/C_RangeTable.h"
#include "world/RangeTables.h"

namespace
{
struct Offset
{
    int dx;
    int dy;
    int distance;
    int level;
    bool operator==(const Offset&) const = default;
};

int TenthsOf(int dx, int dy)
{
    const int squared = dx * dx + dy * dy;
    return squared < 1 ? 0 : int(std::sqrt(double(squared)) * 10.0);
}

std::vector<Offset> Entries(const CRangeTable& table)
{
    std::vector<Offset> out;
    for (int i = 0; i < table.count; ++i)
        out.push_back({table.entries[i].dx, table.entries[i].dy, table.entries[i].distance, table.entries[i].level});
    return out;
}

// The sort exactly as the game states it: for i, for j from i, exchange
// when entry i is farther than entry j.
void ExchangeSort(std::vector<Offset>& v)
{
    for (size_t i = 0; i + 1 < v.size(); ++i)
        for (size_t j = i; j < v.size(); ++j)
            if (v[i].distance > v[j].distance)
                std::swap(v[i], v[j]);
}

// Offsets of a ring in appending order: dx outer, dy inner, both from -r to
// r - 1, kept when inner * 10 <= d < outer * 10.
std::vector<Offset> RingInAppendOrder(int inner, int outer, int level)
{
    std::vector<Offset> out;
    for (int dx = -outer; dx < outer; ++dx)
        for (int dy = -outer; dy < outer; ++dy)
        {
            const int d = TenthsOf(dx, dy);
            if (d >= inner * 10 && d < outer * 10)
                out.push_back({dx, dy, d, level});
        }
    return out;
}

// The offsets that the gap filling adds: east, south-east, south of each
// kept offset, with the distance of the offset that first reached them.
std::vector<Offset> FilledRingInAppendOrder(int outer)
{
    std::vector<Offset> out = RingInAppendOrder(0, outer, 255);
    std::set<std::pair<int, int>> present;
    for (const Offset& o : out)
        present.insert({o.dx, o.dy});
    const std::vector<Offset> kept = out;
    for (const Offset& o : kept)
        for (auto [sx, sy] : {std::pair{1, 0}, std::pair{1, 1}, std::pair{0, 1}})
            if (present.insert({o.dx + sx, o.dy + sy}).second)
                out.push_back({o.dx + sx, o.dy + sy, o.distance, 255});
    return out;
}

} // namespace

TEST(RangeTable, SightAndFilledDiscsEqualTheExchangeSortedBruteForceRings)
{
    for (int radius = 1; radius <= RangeRingCount; ++radius)
    {
        std::vector<Offset> expected = RingInAppendOrder(0, radius, 255);
        ExchangeSort(expected);
        CRangeTable sight;
        sight.InitRing(0, radius, 0);
        ASSERT_EQ(Entries(sight), expected) << "radius " << radius;

        expected = FilledRingInAppendOrder(radius);
        ExchangeSort(expected);
        CRangeTable filled;
        filled.InitRing(0, radius, 1);
        ASSERT_EQ(Entries(filled), expected) << "radius " << radius;
        std::set<std::pair<int, int>> offsets;
        for (const Offset& o : expected)
            EXPECT_TRUE(offsets.insert({o.dx, o.dy}).second) << "repeated offset in radius " << radius;
        for (const Offset& o : Entries(sight))
            EXPECT_TRUE(offsets.count({o.dx, o.dy})) << "radius " << radius;
    }
    // An inner radius leaves the middle out.
    std::vector<Offset> expected = RingInAppendOrder(3, 6, 255);
    ExchangeSort(expected);
    CRangeTable table;
    table.InitRing(3, 6, 0);
    EXPECT_EQ(Entries(table), expected);
    EXPECT_EQ(table.entries[0].distance, 30);
}

TEST(RangeTable, FastSortGivesTheExchangeSortOrderOfEqualDistances)
{
    std::mt19937 random(7);
    for (int size : {0, 1, 2, 3, 17, 200, 1500})
        for (int values : {1, 3, 40})
        {
            std::vector<Offset> expected;
            std::vector<SRangeEntry> entries;
            for (int i = 0; i < size; ++i)
            {
                const int d = int(random() % unsigned(values));
                expected.push_back({i, -i, d, 0});
                entries.push_back({int16_t(i), int16_t(-i), int16_t(d), 0, 0});
            }
            ExchangeSort(expected);
            SortRangeEntries(entries.data(), int32_t(entries.size()));
            std::vector<Offset> sorted;
            for (const SRangeEntry& e : entries)
                sorted.push_back({e.dx, e.dy, e.distance, e.level});
            ASSERT_EQ(sorted, expected) << size << " entries of " << values << " distances";
        }
}

TEST(RangeTable, SoftRingLevelsFallFromFullToForty)
{
    for (int k = 0; k < RangeRingCount; ++k)
    {
        const int inner = std::max(0, k - 4);
        const int outer = k + 2;
        std::vector<Offset> expected = RingInAppendOrder(inner, outer, 0);
        ExchangeSort(expected);
        const int smallest = expected.front().distance;
        const int largest = expected.back().distance;
        const int base = smallest + 14;
        const int span = largest - base;
        for (Offset& o : expected)
        {
            // 255 + (d - base) * (-215 / span), in exact arithmetic.
            double level = span == 0 ? 255.0 : 255.0 + double(o.distance - base) * (-215.0 / double(span));
            level = level >= 0 ? std::floor(level + 1e-9) : std::ceil(level - 1e-9);
            o.level = int(std::clamp(level, 0.0, 255.0));
        }
        CRangeTable table;
        table.InitRing2(inner, outer);
        ASSERT_EQ(Entries(table), expected) << "ring " << k;

        EXPECT_TRUE(span == 0 || table.entries[table.count - 1].level == 40) << "ring " << k;
    }
    // A negative inner radius starts at the centre, all at full level.
    CRangeTable centred;
    centred.InitRing2(-4, 2);
    ASSERT_EQ(centred.count, 9);
    EXPECT_EQ(centred.entries[0].dx, 0);
    EXPECT_EQ(centred.entries[0].dy, 0);
    for (int i = 0; i < centred.count; ++i)
        EXPECT_EQ(centred.entries[i].level, 255);
}

TEST(RangeTable, SquareHoldsEveryOffsetSortedByDistance)
{
    CRangeTable table;
    table.InitSquare(SquareRangeRadius);
    ASSERT_EQ(table.count, 17 * 17);
    std::vector<Offset> expected;
    for (int dx = -8; dx <= 8; ++dx)
        for (int dy = -8; dy <= 8; ++dy)
            expected.push_back({dx, dy, TenthsOf(dx, dy), 0});
    ExchangeSort(expected);
    std::vector<Offset> got = Entries(table);
    for (Offset& o : got)
        o.level = 0;
    EXPECT_EQ(got, expected);
}

TEST(RangeTable, BordersRingTheFootprintOnceEach)
{
    CRangeTable one;
    one.InitBorder(1);
    std::vector<std::pair<int, int>> order;
    for (const Offset& o : Entries(one))
        order.push_back({o.dx, o.dy});
    EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{-1, -1}, {1, -1}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}, {1, 1}, {-1, 1}}));
    CRangeTable empty;
    empty.InitBorder(0);
    EXPECT_EQ(empty.count, 0);
    for (int n = 1; n < SquareBorderCount; ++n)
    {
        CRangeTable table;
        table.InitBorder(n);
        ASSERT_EQ(table.count, 4 * (n + 1));
        std::set<std::pair<int, int>> got;
        for (const Offset& o : Entries(table))
            got.insert({o.dx, o.dy});
        std::set<std::pair<int, int>> ring;
        for (int x = -1; x <= n; ++x)
            for (int y = -1; y <= n; ++y)
                if (x == -1 || y == -1 || x == n || y == n)
                    ring.insert({x, y});
        EXPECT_EQ(got, ring) << "footprint " << n;
    }
}

TEST(RangeTable, StartUpBuildsEveryFamily)
{
    AllocRangeTables();
    ASSERT_NE(g_SightDiscs, nullptr);
    EXPECT_EQ(g_SightDiscs[0].count, 1);
    EXPECT_EQ(g_SightDiscs[1].count, 9);
    EXPECT_EQ(g_FilledDiscs[29].count, int32_t(FilledRingInAppendOrder(30).size()));
    EXPECT_EQ(g_SquareRange.count, 17 * 17);
    EXPECT_EQ(g_SquareBorders[8].count, 36);
    EXPECT_EQ(g_SoftRings[5].entries[0].distance, 10);   // inner radius 1, outer 7
    EXPECT_EQ(g_FullMapDisc.count, int32_t(RingInAppendOrder(0, 128, 255).size()));
    FreeRangeTables();
    EXPECT_EQ(g_SightDiscs, nullptr);
    g_FullMapDisc.Free();
    g_SquareRange.Free();
}
