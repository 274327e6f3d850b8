#pragma once
// The step rule of the path finder written out plainly for checking its
// routes: where a mover's square footprint fits on a map and when a diagonal
// step would cut the corner of something solid.

#include <cstdint>

#include "world/C_GameMap.h"

// The eight step directions, north first and clockwise.
inline constexpr int32_t StepDX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
inline constexpr int32_t StepDY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

class CFootprintRule
{
public:
    CFootprintRule(const CGameMap& map, int32_t size) : m_Map(map), m_Size(size) {}

    const CGameMap& Map() const { return m_Map; }
    int32_t Size() const { return m_Size; }

    // The whole footprint with its corner at (x, y) lies on the map.
    bool IsInside(int32_t x, int32_t y) const;
    // Some footprint block is blocked by anything but a tree; a footprint
    // off the map counts as solid.
    bool HasSolidBlock(int32_t x, int32_t y) const;
    // A straight step always passes; a diagonal one only when none of the
    // three footprints it touches besides the start holds a solid block.
    bool CutsNoCorner(int32_t x, int32_t y, int32_t direction) const;

private:
    const CGameMap& m_Map;
    int32_t m_Size;
};
