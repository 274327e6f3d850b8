// Island and water numbering by flood fill: 8-connected areas of one kind
// and one old id take the new id; checked against a plain labelling.

#include <cstdint>
#include <queue>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/PathTestObjects.h"

namespace
{
constexpr uint16_t OldId = 7;
constexpr uint16_t NewId = 40;

std::vector<uint16_t> Ids(const CGameMap& map)
{
    std::vector<uint16_t> ids;
    for (int32_t x = 0; x < map.width; ++x)
        for (int32_t y = 0; y < map.height; ++y)
            ids.push_back(map.Block(x, y).regionId);
    return ids;
}

// The blocks 8-connected to the start through blocks of the same id and
// kind (water from level 7).  The start is the caller's to relabel; the
// fill reaches it again only through such a neighbour.
std::vector<uint16_t> ExpectedIds(const CGameMap& map, int32_t startX, int32_t startY, bool water)
{
    std::vector<uint16_t> ids = Ids(map);
    const auto index = [&](int32_t x, int32_t y) { return size_t(x * map.height + y); };
    const auto matches = [&](int32_t x, int32_t y)
    {
        const SMapBlock& block = map.Block(x, y);
        return block.regionId == OldId && (block.waterLevel >= 7) == water;
    };
    std::vector<bool> seen(ids.size(), false);
    std::queue<std::pair<int32_t, int32_t>> open;
    open.push({startX, startY});
    while (!open.empty())
    {
        const auto [x, y] = open.front();
        open.pop();
        for (int32_t dx = -1; dx <= 1; ++dx)
            for (int32_t dy = -1; dy <= 1; ++dy)
            {
                const int32_t nx = x + dx;
                const int32_t ny = y + dy;
                if ((dx == 0 && dy == 0) || !map.IsOnMap(nx, ny) || seen[index(nx, ny)] || !matches(nx, ny))
                    continue;
                seen[index(nx, ny)] = true;
                ids[index(nx, ny)] = NewId;
                open.push({nx, ny});
            }
    }
    return ids;
}
} // namespace

TEST(PathFinderFlood, LandAndWaterFillsRelabelTheirConnectedArea)
{
    std::mt19937 random(9);
    std::uniform_int_distribution<int32_t> level(0, 9);
    std::uniform_int_distribution<int32_t> otherId(0, 9);
    for (int32_t round = 0; round < 12; ++round)
    {
        const bool water = round % 2 == 1;
        PathTestWorld world(MakePathTestMap(40 + round, 30));
        for (int32_t x = 0; x < world.map->width; ++x)
            for (int32_t y = 0; y < world.map->height; ++y)
            {
                SMapBlock& block = world.map->Block(x, y);
                block.waterLevel = uint16_t(level(random) < 5 ? 0 : level(random));
                block.regionId = otherId(random) == 0 ? 3 : OldId;
            }
        std::uniform_int_distribution<int32_t> pickX(0, world.map->width - 1);
        std::uniform_int_distribution<int32_t> pickY(0, 29);
        const int32_t sx = pickX(random);
        const int32_t sy = pickY(random);
        const auto expected = ExpectedIds(*world.map, sx, sy, water);

        if (water)
            world.finder->FloodFillWater(sx, sy, OldId, NewId);
        else
            world.finder->FloodFillLand(sx, sy, OldId, NewId);
        EXPECT_EQ(Ids(*world.map), expected) << "round " << round;
    }
}

TEST(PathFinderFlood, SameIdOrStartOffTheMapChangesNothingAndTheLargestMapFillsWhole)
{
    PathTestWorld world(MakePathTestMap(256, 256));
    for (SMapBlock& block : world.map->AllBlocks())
        block.regionId = OldId;
    const auto before = Ids(*world.map);
    world.finder->FloodFillLand(5, 5, OldId, OldId);
    world.finder->FloodFillLand(-1, 5, OldId, NewId);
    world.finder->FloodFillWater(5, 256, OldId, NewId);
    EXPECT_EQ(Ids(*world.map), before);

    world.finder->FloodFillLand(128, 128, OldId, NewId);
    EXPECT_EQ(Ids(*world.map), std::vector<uint16_t>(256 * 256, NewId));
}
