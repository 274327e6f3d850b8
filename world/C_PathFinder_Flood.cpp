// Island and water numbering: relabelling one 8-connected area of the map.

#include "world/C_PathFinder.h"

#include "world/C_GameMap.h"

void CPathFinder::FloodFillLand(int32_t startX, int32_t startY, uint16_t oldId, uint16_t newId)
{
    FloodFill(startX, startY, oldId, newId, &CPathFinder::FloodLandStep);
}

void CPathFinder::FloodFillWater(int32_t startX, int32_t startY, uint16_t oldId, uint16_t newId)
{
    FloodFill(startX, startY, oldId, newId, &CPathFinder::FloodWaterStep);
}

void CPathFinder::FloodFill(int32_t startX, int32_t startY, uint16_t oldId, uint16_t newId, FloodStep step)
{
    // Relabelling an area with its own id would queue it for ever.
    if (oldId == newId || !m_Map.IsOnMap(startX, startY))
        return;
    ResetQueue(startX, startY);
    while (m_Count > 0)
    {
        m_Head = (m_Head + 1) % NodePoolSize;
        --m_Count;
        const int32_t x = m_Nodes[m_Head].x;
        const int32_t y = m_Nodes[m_Head].y;
        for (const int32_t direction : ExpansionOrder)
            (this->*step)(x + DirectionDX[direction], y + DirectionDY[direction], oldId, newId);
    }
}

void CPathFinder::FloodLandStep(int32_t x, int32_t y, uint16_t oldId, uint16_t newId)
{
    if (m_Map.IsOnMap(x, y) && BlockAt(x, y).regionId == oldId &&
        BlockAt(x, y).waterLevel < ShoreWaterLevel)
        Relabel(x, y, newId);
}

void CPathFinder::FloodWaterStep(int32_t x, int32_t y, uint16_t oldId, uint16_t newId)
{
    if (m_Map.IsOnMap(x, y) && BlockAt(x, y).regionId == oldId &&
        BlockAt(x, y).waterLevel >= ShoreWaterLevel)
        Relabel(x, y, newId);
}

void CPathFinder::Relabel(int32_t x, int32_t y, uint16_t newId)
{
    m_Map.Block(x, y).regionId = newId;
    // A full queue (not met on a 256 x 256 map) leaves the cell relabelled
    // but unexpanded.
    Enqueue(x, y);
}
