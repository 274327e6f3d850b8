#pragma once
// The range tables of the process.  Start-up builds them all once, before any
// map is loaded; sight, attack and search code index them by radius.

#include <cstdint>

#include "world/C_RangeTable.h"

constexpr int32_t RangeRingCount = 30;      // radius 1 to 30, table k has radius k + 1
constexpr int32_t SquareBorderCount = 9;    // footprints of 0 to 8 blocks
constexpr int32_t FullMapDiscRadius = 128;
constexpr int32_t SquareRangeRadius = 8;

// Tables allocated by AllocRangeTables and freed by FreeRangeTables.
extern CRangeTable* g_SightDiscs;      // range rings without gap filling
extern CRangeTable* g_FilledDiscs;     // range rings with gap filling
extern CRangeTable* g_SquareBorders;   // the "line ranges": border n of an n x n footprint
extern CRangeTable* g_SoftRings;       // the "ring pairs": soft-edged sight rings
// Static objects of the process, freed at exit.
extern CRangeTable g_FullMapDisc;      // radius 128, read from "InGame\Ranges\fullmap.rng"
extern CRangeTable g_SquareRange;      // the 17 x 17 square

// Start-up: allocates and builds every table in the game's order (sight
// discs, filled discs, the whole-map disc, the square, the square borders,
// the soft rings).  Needs the data files (the whole-map disc is read).
void AllocRangeTables();
// Frees the four allocated families; the two static tables stay until exit.
void FreeRangeTables();
