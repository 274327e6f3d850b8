// Sight counts and the explored map kept incrementally, against the same
// maps recomputed from scratch.

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include "Player_Fixture.h"

using PlayerFog = PlayerTest;

namespace
{
struct SCorner
{
    int32_t x;
    int32_t y;
    bool operator<(const SCorner& other) const { return x != other.x ? x < other.x : y < other.y; }
};

// Every on-map unit's sight disc counted block by block.
std::vector<int32_t> UnitSightFromScratch(const CPlayer& player)
{
    std::vector<int32_t> counts(MapBlockCount, 0);
    for (int32_t i = 0; i < player.unitCount; ++i)
    {
        const auto* unit = static_cast<const TestUnit*>(player.units[i]);
        if (!unit->onMap)
            continue;
        const CRangeTable& disc = g_SightDiscs[unit->sightRadius - 1];
        for (int32_t e = 0; e < disc.count; ++e)
        {
            const int32_t x = unit->x + disc.entries[e].dx;
            const int32_t y = unit->y + disc.entries[e].dy;
            if (x >= 0 && y >= 0 && x < g_GameMap.width && y < g_GameMap.height)
                ++counts[x * MapBlockSide + y];
        }
    }
    return counts;
}

void ExpectSightMatches(const CPlayer& player)
{
    const std::vector<int32_t> expected = UnitSightFromScratch(player);
    int32_t mismatches = 0;
    for (int32_t cell = 0; cell < MapBlockCount; ++cell)
        mismatches += int32_t(player.unitSightCounts[cell]) != expected[cell];
    EXPECT_EQ(mismatches, 0) << "player " << player.index;
}
} // namespace

TEST_F(PlayerFog, SightCountsFollowUnitsThatMoveAppearAndVanish)
{
    std::mt19937 random(1234);
    std::vector<std::set<SCorner>> explored(MaxPlayers);
    auto remember = [&](const CUnit& unit) {
        const auto& test = static_cast<const TestUnit&>(unit);
        const CRangeTable& disc = g_SightDiscs[test.sightRadius - 1];
        for (int32_t e = 0; e < disc.count; ++e)
        {
            const int32_t x = unit.x + disc.entries[e].dx;
            const int32_t y = unit.y + disc.entries[e].dy;
            if (x >= 0 && y >= 0 && x <= MapSide && y <= MapSide)
                explored[unit.player].insert({x, y});
        }
    };
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < 12; ++i)
        {
            TestUnit* unit = Create(Player(p), 2 + i % 3, int32_t(random() % MapSide), int32_t(random() % MapSide));
            remember(*unit);
        }
    for (int32_t tick = 0; tick < 40; ++tick)
    {
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            CPlayer& player = Player(p);
            for (int32_t i = 0; i < player.unitCount; ++i)
            {
                CUnit& unit = *player.units[i];
                const int32_t dx = int32_t(random() % 3) - 1;
                const int32_t dy = int32_t(random() % 3) - 1;
                // Walking off the map edge is allowed for sight: patterns clip.
                Services().MoveUnit(unit, dx, dy);
                if (unit.onMap)
                    remember(unit);
            }
            if (tick % 5 == 0 && player.unitCount > 0)
                Services().RemoveUnitFromWorld(*player.units[random() % uint32_t(player.unitCount)]);
            if (tick % 7 == 0)
                remember(*Create(player, 3, int32_t(random() % MapSide), int32_t(random() % MapSide)));
            if (tick % 3 == 0 && player.unitCount > 0)
            {
                CUnit& hidden = *player.units[random() % uint32_t(player.unitCount)];
                Services().ShowUnit(hidden, !hidden.onMap);
                if (hidden.onMap)
                    remember(hidden);
            }
        }
        for (int32_t p = 0; p < MaxPlayers; ++p)
            ExpectSightMatches(Player(p));
    }
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        int32_t mismatches = 0;
        for (int32_t x = 0; x <= MapSide; ++x)
            for (int32_t y = 0; y <= MapSide; ++y)
            {
                const bool wasSeen = explored[p].count({x, y}) == 1;
                mismatches += (Player(p).exploredMap[x * MapCornerSide + y] == 255) != wasSeen;
            }
        EXPECT_EQ(mismatches, 0) << "player " << p;
    }
}

TEST_F(PlayerFog, BuildingSightCoversTheFootprintGrownByTheRing)
{
    const CRangeTable& ring = g_SoftRings[5];
    std::set<SCorner> offsets;
    for (int32_t e = 0; e < ring.count; ++e)
        offsets.insert({ring.entries[e].dx, ring.entries[e].dy});
    // A block is covered once when it lies in the footprint or its offset
    // from the nearest footprint block is one of the ring's offsets.
    auto expected = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x, int32_t y) {
        const int32_t ox = x < x1 ? x - x1 : (x > x2 ? x - x2 : 0);
        const int32_t oy = y < y1 ? y - y1 : (y > y2 ? y - y2 : 0);
        return (ox == 0 && oy == 0) || offsets.count({ox, oy}) == 1;
    };
    CPlayer& player = Player(2);
    const int32_t rectangles[][4] = {{20, 20, 22, 23}, {0, 0, 1, 1}, {60, 61, 63, 63}, {30, 5, 30, 5}};
    for (const auto& r : rectangles)
    {
        player.AddBuildingSight(r[0], r[1], r[2], r[3], 1);
        int32_t mismatches = 0;
        for (int32_t x = 0; x < MapSide; ++x)
            for (int32_t y = 0; y < MapSide; ++y)
                mismatches += (player.buildingSightCounts[x * MapBlockSide + y] == 1) !=
                              expected(r[0], r[1], r[2], r[3], x, y);
        EXPECT_EQ(mismatches, 0) << r[0] << "," << r[1];
        player.AddBuildingSight(r[0], r[1], r[2], r[3], -1);
        for (uint8_t count : player.buildingSightCounts)
            ASSERT_EQ(count, 0);
    }
}

TEST_F(PlayerFog, ScanningAtTheMapEdgesStaysOnTheCornerGrid)
{
    CPlayer& player = Player(0);
    player.ScanSightPattern(0, 0, g_SightDiscs[2]);
    player.ScanSightPattern(MapSide - 1, MapSide - 1, g_SightDiscs[2]);
    EXPECT_EQ(player.exploredMap[0], 255);
    EXPECT_EQ(player.exploredMap[MapSide * MapCornerSide + MapSide], 255);
    // Nothing beyond the corner grid of this 64-block map.
    EXPECT_EQ(player.exploredMap[(MapSide + 1) * MapCornerSide + MapSide], 0);
    EXPECT_EQ(player.exploredMap[MapSide * MapCornerSide + MapSide + 1], 0);
    // The local player's corners get their drawn colour.
    g_GameMap.cornerColours[5 * MapCornerSide + 5] = 0x808080;
    g_GameMap.drawnColours[5 * MapCornerSide + 5] = 0;
    player.RevealArea(5, 5, 5, 5, 128);
    EXPECT_EQ(player.exploredMap[5 * MapCornerSide + 5], 128);
    EXPECT_EQ(g_GameMap.drawnColours[5 * MapCornerSide + 5], 0x404040);
    player.RevealArea(5, 5, 5, 5, 100);
    EXPECT_EQ(player.exploredMap[5 * MapCornerSide + 5], 128);
}

TEST_F(PlayerFog, SeeingABuildingBlockExploresItsWholeFootprint)
{
    CPlayer& player = Player(3);
    auto* castle = static_cast<TestBuilding*>(Player(4).CreateBuilding(1, -1, -1));
    castle->width = 4;
    castle->depth = 3;
    castle->x = 40;
    castle->y = 40;
    Services().PlaceOnMap(*castle);
    player.RevealArea(41, 41, 41, 41, 200);
    for (int32_t x = 39; x <= 45; ++x)
        for (int32_t y = 39; y <= 44; ++y)
        {
            const bool corner = x >= 40 && x <= 44 && y >= 40 && y <= 43;
            EXPECT_EQ(player.exploredMap[x * MapCornerSide + y], corner ? 200 : 0) << x << "," << y;
        }
}

TEST_F(PlayerFog, RimUpdateRedrawsOnlyTheOuterEntries)
{
    CPlayer& player = Player(0);
    const CRangeTable& disc = g_SightDiscs[5];
    std::memset(player.exploredMap, 255, sizeof(player.exploredMap));
    g_Config.fogOfWar = 0;
    for (int32_t i = 0; i < MapCornerCount; ++i)
    {
        g_GameMap.cornerColours[i] = 0xFFFFFF;
        g_GameMap.drawnColours[i] = 0;
    }
    player.UpdateSightArea(30, 30, disc, 0);
    const int32_t farthest = disc.entries[disc.count - 1].distance;
    for (int32_t e = 0; e < disc.count; ++e)
    {
        const int32_t corner = (30 + disc.entries[e].dx) * MapCornerSide + 30 + disc.entries[e].dy;
        const bool rim = disc.entries[e].distance >= farthest - 40;
        EXPECT_EQ(g_GameMap.drawnColours[corner], rim ? 0xFFFFFF : 0) << e;
    }
    player.UpdateSightArea(30, 30, disc, 1);
    EXPECT_EQ(g_GameMap.drawnColours[30 * MapCornerSide + 30], 0xFFFFFF);
    // Other players draw nothing.
    g_GameMap.drawnColours[30 * MapCornerSide + 30] = 0;
    Player(1).UpdateSightArea(30, 30, disc, 1);
    EXPECT_EQ(g_GameMap.drawnColours[30 * MapCornerSide + 30], 0);
}


// A step moves only the blocks that enter and leave the pattern; the counts
// must be those of taking the pattern away and adding it again, at the map
// edges and for jumps.
TEST_F(PlayerFog, MovedSightEqualsThePatternTakenAwayAndAddedAgain)
{
    const CRangeTable* patterns[] = {&g_SightDiscs[0], &g_SightDiscs[4], &g_SightDiscs[9],
                                     &g_FilledDiscs[6], &g_SoftRings[8]};
    std::mt19937 random(99);
    CPlayer& moved = Player(1);
    CPlayer& whole = Player(2);
    for (const CRangeTable* pattern : patterns)
    {
        int32_t x = int32_t(random() % MapSide);
        int32_t y = int32_t(random() % MapSide);
        moved.AddUnitSight(x, y, *pattern, 1);
        whole.AddUnitSight(x, y, *pattern, 1);
        for (int32_t step = 0; step < 400; ++step)
        {
            // Mostly steps to a neighbour, now and then a jump or none.
            const int32_t reach = step % 37 == 0 ? 3 : 1;
            const int32_t toX = std::clamp(x + int32_t(random() % uint32_t(2 * reach + 1)) - reach, -2, MapSide + 1);
            const int32_t toY = std::clamp(y + int32_t(random() % uint32_t(2 * reach + 1)) - reach, -2, MapSide + 1);
            moved.MoveUnitSight(x, y, toX, toY, *pattern);
            whole.AddUnitSight(x, y, *pattern, -1);
            whole.AddUnitSight(toX, toY, *pattern, 1);
            x = toX;
            y = toY;
            ASSERT_EQ(std::memcmp(moved.unitSightCounts, whole.unitSightCounts, sizeof whole.unitSightCounts), 0)
                << "pattern of " << pattern->count << " entries, step " << step;
        }
    }
}
