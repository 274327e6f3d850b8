#pragma once
// Block area tests on the world map, part of the global functions.  Kinds:
// 1 land (water level 7 or less), 2 water (7 or more), any other kind any
// level.  A block is free when it is on the map, not blocked or marked
// impassable, and holds no unit and no building.

namespace GlobalFunc
{
// The n x n blocks from (x, y) are all free; false for a negative x or y,
// true for n below 1.
bool IsMapAreaFree(int x, int y, int n, int kind);
// Some w x h area around (x, y), tried nearest first over the whole-map
// disc, is free.  The place found is not reported.
bool HasFreeAreaNear(int x, int y, int w, int h, int kind);
} // namespace GlobalFunc
