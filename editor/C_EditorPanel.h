#pragma once
// Stands in for the world editor subsystem: the terrain services of the
// editor's side panel that buildings use when they are put on the map and
// taken off it.  They work on the one map (g_GameMap), in corner
// coordinates (0 to width, 0 to height), on the main thread.

#include <cstdint>

class CBuilding;

class CEditorPanel
{
public:
    // The map's base texture: the theme's first one, which a building's
    // solid corners are reset to.
    static constexpr int32_t BaseTexture = 0;

    // Sets every corner height of the rectangle of width x depth blocks from
    // block (x, y) to (lowest + highest) / 2 of its corners, then refreshes
    // the rectangle and the blocks around it.
    static void LevelTerrainRect(int32_t x, int32_t y, int32_t width, int32_t depth);
    // The same under a decoration's footprint.
    static void LevelUnderDecorBuilding(const CBuilding& decoration);

    // The texture index of a terrain corner.
    static int32_t GetCornerTexture(int32_t x, int32_t y);
    static void SetCornerTexture(int32_t x, int32_t y, int32_t texture);
    static void ResetCornerTexture(int32_t x, int32_t y);
};
