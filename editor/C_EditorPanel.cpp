#include "editor/C_EditorPanel.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "world/C_GameMap.h"

namespace
{
// Blocks around a levelled rectangle whose shading its corners change.
constexpr int32_t RefreshMargin = 1;

uint8_t& CornerTexture(int32_t x, int32_t y)
{
    return g_GameMap.cornerTextures[x * MapCornerSide + y];
}
}  // namespace

void CEditorPanel::LevelTerrainRect(int32_t x, int32_t y, int32_t width, int32_t depth)
{
    int32_t lowest = g_GameMap.CornerHeight(x, y);
    int32_t highest = lowest;
    for (int32_t i = 0; i <= width; ++i)
        for (int32_t j = 0; j <= depth; ++j)
        {
            lowest = std::min(lowest, g_GameMap.CornerHeight(x + i, y + j));
            highest = std::max(highest, g_GameMap.CornerHeight(x + i, y + j));
        }
    const int32_t level = (lowest + highest) / 2;
    for (int32_t i = 0; i <= width; ++i)
        for (int32_t j = 0; j <= depth; ++j)
            g_GameMap.CornerHeight(x + i, y + j) = level;
    g_GameMap.UpdateArea(x - RefreshMargin, y - RefreshMargin, width + 2 * RefreshMargin,
                         depth + 2 * RefreshMargin);
}

void CEditorPanel::LevelUnderDecorBuilding(const CBuilding& decoration)
{
    LevelTerrainRect(decoration.x, decoration.y, decoration.GetWidth(), decoration.GetDepth());
}

int32_t CEditorPanel::GetCornerTexture(int32_t x, int32_t y)
{
    return CornerTexture(x, y);
}

void CEditorPanel::SetCornerTexture(int32_t x, int32_t y, int32_t texture)
{
    CornerTexture(x, y) = uint8_t(texture);
}

void CEditorPanel::ResetCornerTexture(int32_t x, int32_t y)
{
    SetCornerTexture(x, y, BaseTexture);
}
