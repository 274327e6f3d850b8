// The cell tests: which footprints a mover may stand on and which diagonal
// steps cut a blocked corner.

#include "world/C_PathFinder.h"

#include <cstring>

#include "buildings/C_Building.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinderPlayers.h"

namespace
{
constexpr int32_t TreeResource = 2;   // TENUMRESOURCE

// A tree's blocks never stop a diagonal step.
bool IsSolid(const SMapBlock& block)
{
    return block.blocked && (block.building == nullptr || block.building->GetResourceKind() != TreeResource);
}
} // namespace

bool CPathFinder::IsFootprintBlocked(int32_t x, int32_t y) const
{
    if (!IsInsideForSize(x, y))
        return true;
    for (int32_t cx = x; cx < x + m_Size; ++cx)
        for (int32_t cy = y; cy < y + m_Size; ++cy)
            if (IsSolid(m_Map.Block(cx, cy)))
                return true;
    return false;
}

bool CPathFinder::IsCornerCut(int32_t fromX, int32_t fromY, int32_t direction) const
{
    const int32_t dx = DirectionDX[direction & 7];
    const int32_t dy = DirectionDY[direction & 7];
    if (dx == 0 || dy == 0)
        return false;
    return IsFootprintBlocked(fromX + dx, fromY + dy) || IsFootprintBlocked(fromX + dx, fromY) ||
           IsFootprintBlocked(fromX, fromY + dy);
}

// An occupant steps aside for the mover when it walks a route at least as
// fast; a melee unit chasing a target also passes through enemies.
bool CPathFinder::IsOccupantPassable(const CUnit& occupant, bool meleeChase) const
{
    if (meleeChase && m_TargetUnit != nullptr && m_Self != nullptr && m_AttackRange + m_MinAttackRange == 1 &&
        !m_Players->IsUnitAlliedWith(occupant, m_Owner))
        return true;
    return occupant.pathFlag != 0 && (m_Self == nullptr || m_Self->speed <= occupant.speed);
}

bool CPathFinder::IsBlockStandable(const SMapBlock& block) const
{
    if (m_MoveLayer != LayerLand && m_MoveLayer != LayerWater)
        return true;
    if (m_Self != nullptr && block.unit == m_Self)
        return true;
    const bool land = m_MoveLayer == LayerLand;
    const bool wrongTerrain = land ? block.waterLevel > ShoreWaterLevel : block.waterLevel < ShoreWaterLevel;
    if (wrongTerrain || block.blocked)
        return false;
    return block.unit == nullptr || IsOccupantPassable(*block.unit, land);
}

bool CPathFinder::IsFootprintFree(int32_t x, int32_t y) const
{
    if (!IsInsideForSize(x, y))
        return false;
    for (int32_t cx = x; cx < x + m_Size; ++cx)
        for (int32_t cy = y; cy < y + m_Size; ++cy)
            if (!IsBlockStandable(m_Map.Block(cx, cy)))
                return false;
    return true;
}

// ---- The view of the running search ---------------------------------------------

void CPathFinder::StartView()
{
    if (++m_ViewStamp > ViewStampLimit)
    {
        std::memset(m_View, 0, sizeof(m_View));
        m_ViewStamp = 1;
    }
}

uint8_t CPathFinder::ReadViewFlags(int32_t x, int32_t y) const
{
    const SMapBlock& block = m_Map.Block(x, y);
    return uint8_t((IsSolid(block) ? ViewSolid : 0) | (IsBlockStandable(block) ? ViewStandable : 0));
}

bool CPathFinder::ViewWideFootprintFree(int32_t x, int32_t y)
{
    if (!IsInsideForSize(x, y))
        return false;
    for (int32_t cx = x; cx < x + m_Size; ++cx)
        for (int32_t cy = y; cy < y + m_Size; ++cy)
            if (!(ViewFlags(cx, cy) & ViewStandable))
                return false;
    return true;
}

bool CPathFinder::ViewWideFootprintBlocked(int32_t x, int32_t y)
{
    if (!IsInsideForSize(x, y))
        return true;
    for (int32_t cx = x; cx < x + m_Size; ++cx)
        for (int32_t cy = y; cy < y + m_Size; ++cy)
            if (ViewFlags(cx, cy) & ViewSolid)
                return true;
    return false;
}


bool CPathFinder::IsCellPassable(int32_t x, int32_t y) const
{
    if (!m_Map.IsOnMap(x, y))
        return false;
    const SMapBlock& block = m_Map.Block(x, y);
    if (block.unit != nullptr)
        return (m_Self != nullptr && block.unit == m_Self) || IsOccupantPassable(*block.unit, false);
    return block.waterLevel < ShoreWaterLevel && !block.blocked;
}

bool CPathFinder::HasFreeLandCell(int32_t x, int32_t y) const
{
    if (!IsInsideForSize(x, y))
        return false;
    for (int32_t cx = x; cx < x + m_Size; ++cx)
        for (int32_t cy = y; cy < y + m_Size; ++cy)
        {
            const SMapBlock& block = m_Map.Block(cx, cy);
            if (block.waterLevel < ShoreWaterLevel && !block.blocked &&
                (block.unit == nullptr || block.unit->pathFlag != 0))
                return true;
        }
    return false;
}
