#include "world/RangeTables.h"

#include <algorithm>

void AllocRangeTables()
{
    FreeRangeTables();
    g_SightDiscs = new CRangeTable[RangeRingCount];
    for (int32_t k = 0; k < RangeRingCount; ++k)
        g_SightDiscs[k].InitRing(0, k + 1, 0);
    g_FilledDiscs = new CRangeTable[RangeRingCount];
    for (int32_t k = 0; k < RangeRingCount; ++k)
        g_FilledDiscs[k].InitRing(0, k + 1, 1);
    g_FullMapDisc.InitRing(0, FullMapDiscRadius, 0, "InGame\\Ranges\\fullmap.rng");
    g_SquareRange.InitSquare(SquareRangeRadius);
    g_SquareBorders = new CRangeTable[SquareBorderCount];
    for (int32_t n = 0; n < SquareBorderCount; ++n)
        g_SquareBorders[n].InitLine(n);
    g_SoftRings = new CRangeTable[RangeRingCount];
    for (int32_t k = 0; k < RangeRingCount; ++k)
        g_SoftRings[k].InitRing2(std::max(0, k - 4), k + 2);
}

void FreeRangeTables()
{
    delete[] g_SightDiscs;
    g_SightDiscs = nullptr;
    delete[] g_FilledDiscs;
    g_FilledDiscs = nullptr;
    delete[] g_SquareBorders;
    g_SquareBorders = nullptr;
    delete[] g_SoftRings;
    g_SoftRings = nullptr;
}
