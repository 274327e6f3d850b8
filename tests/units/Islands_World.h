#pragma once
// Two islands across a strait on the harness map: island A (region 1) is
// x 0..9, the strait (region 3) x 10..33 and island B (region 2) x 34 to
// the map's edge.

#include <cstdint>

#include "world/C_GameMap.h"

namespace TwoIslands
{
constexpr int32_t StraitWest = 10;
constexpr int32_t StraitEast = 34;
constexpr int32_t RegionA = 1;
constexpr int32_t RegionB = 2;
constexpr int32_t RegionStrait = 3;

inline void Lay(int32_t waterLevel)
{
    for (int32_t by = 0; by < g_GameMap.GetHeight(); ++by)
        for (int32_t bx = 0; bx < g_GameMap.GetWidth(); ++bx)
        {
            SMapBlock& block = g_GameMap.Block(bx, by);
            const bool strait = bx >= StraitWest && bx < StraitEast;
            block.waterLevel = static_cast<uint16_t>(strait ? waterLevel : 0);
            block.regionId = static_cast<uint16_t>(bx < StraitWest ? RegionA : (strait ? RegionStrait : RegionB));
        }
}
}  // namespace TwoIslands
