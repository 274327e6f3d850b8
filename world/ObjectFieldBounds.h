#pragma once
// The values an object's fields may take when they come from outside.  A map
// file and a saved game hold the same fields to the same bounds, so that
// whatever a map puts into a game, a save of that game writes and its loader
// takes back.

#include <cstdint>

#include "units/C_Unit.h"

// A unit's stance (TENUMSTANCE).
constexpr int32_t LowestStance = STANCE_AGGRESSIVE;
constexpr int32_t HighestStance = STANCE_STAND_GROUND;

inline bool IsKnownStance(int32_t stance)
{
    return stance >= LowestStance && stance <= HighestStance;
}

// A unit's whole footprint (side blocks from its tile) lies on a map of
// width x height blocks; a saved unit's footprint lies on the block grid.
inline bool IsUnitFootprintOnMap(int32_t x, int32_t y, int32_t side, int32_t width, int32_t height)
{
    return side >= 1 && x >= 0 && y >= 0 && int64_t(x) + side <= width && int64_t(y) + side <= height;
}
