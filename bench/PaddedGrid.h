#pragma once
// The grid both yardsticks of the path finder search: the map's blocks with
// a cell of margin all round, so that a neighbour needs no bounds test, the
// eight directions in the game finder's order (straight ones first) and its
// step costs.

#include <cstdint>

#include "world/C_GameMap.h"

struct SPaddedGrid
{
    static constexpr int32_t Side = MapBlockSide;
    static constexpr int32_t Stride = Side + 2;
    static constexpr int32_t CellCount = Stride * Stride;
    static constexpr int32_t StraightCost = 10;
    static constexpr int32_t DiagonalCost = 14;
    static constexpr int32_t DX[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    static constexpr int32_t DY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    static constexpr int32_t Order[8] = {0, 2, 4, 6, 1, 3, 5, 7};

    static constexpr int32_t Cell(int32_t x, int32_t y) { return (x + 1) * Stride + y + 1; }
    static constexpr bool IsDiagonal(int32_t direction) { return (direction & 1) != 0; }
    // The grid index of the neighbour less the cell's, by direction.
    static constexpr int32_t Offsets[8] = {-1, Stride - 1, Stride, Stride + 1, 1, 1 - Stride, -Stride, -Stride - 1};
    static constexpr int32_t Offset(int32_t direction) { return Offsets[direction]; }
};
