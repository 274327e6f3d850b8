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
            if (IsSolid(BlockAt(cx, cy)))
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
            if (!IsBlockStandable(BlockAt(cx, cy)))
                return false;
    return true;
}

// ---- The view of the running search ---------------------------------------------

void CPathFinder::StartView()
{
    if (++m_ViewStamp > ViewStampLimit)
    {
        std::memset(m_View, 0, sizeof(m_View));
        std::memset(m_FootprintView, 0, sizeof(m_FootprintView));
        m_ViewStamp = 1;
    }
    if (m_Map.GetWidth() != m_BitsWidth || m_Map.GetHeight() != m_BitsHeight)
    {
        m_Map.ForgetPathBits();
        m_BitsWidth = m_Map.GetWidth();
        m_BitsHeight = m_Map.GetHeight();
    }
    // ReadViewFlags for the bits of a block no mover stands on; who may
    // pass an occupant depends on the mover, and unknown bits (0) must be
    // read first.
    const bool anyTerrain = m_MoveLayer != LayerLand && m_MoveLayer != LayerWater;
    const uint8_t wrongTerrain = m_MoveLayer == LayerLand ? BitsAboveShore : BitsBelowShore;
    for (int32_t bits = 0; bits < 256; ++bits)
    {
        const uint8_t solid = (bits & BitsSolid) ? ViewSolid : 0;
        if (!(bits & BitsKnown) || (!anyTerrain && !(bits & BitsOffMap) && (bits & BitsOccupied)))
            m_FlagsOfBits[bits] = ViewAsksBlock;
        else if (bits & BitsOffMap)
            m_FlagsOfBits[bits] = solid;
        else if (anyTerrain)
            m_FlagsOfBits[bits] = uint8_t(solid | ViewStandable);
        else
            m_FlagsOfBits[bits] = uint8_t(solid | ((bits & (wrongTerrain | BitsBlocked)) ? 0 : ViewStandable));
    }
    m_StandMask = anyTerrain ? uint8_t(BitsKnown | BitsOffMap)
                             : uint8_t(BitsKnown | BitsOffMap | BitsBlocked | BitsOccupied | wrongTerrain);
}

uint8_t CPathFinder::AskView(int32_t at)
{
    uint16_t& entry = m_View[at];
    if ((entry >> 8) != m_ViewStamp)
        entry = uint16_t(m_ViewStamp << 8 |
                         ReadViewFlags(at / CGameMap::PathBitsSide - 1, at % CGameMap::PathBitsSide - 1));
    return uint8_t(entry);
}

uint8_t CPathFinder::ReadBlockBits(const SMapBlock& block)
{
    return uint8_t(BitsKnown | (IsSolid(block) ? BitsSolid : 0) | (block.blocked ? BitsBlocked : 0) |
                   (block.unit != nullptr ? BitsOccupied : 0) |
                   (block.waterLevel > ShoreWaterLevel ? BitsAboveShore : 0) |
                   (block.waterLevel < ShoreWaterLevel ? BitsBelowShore : 0) |
                   (block.building != nullptr ? BitsBuilding : 0));
}

// The map's bits answer for an empty block; who may pass an occupant
// depends on the mover, so an occupied block is read whole.
uint8_t CPathFinder::ReadViewFlags(int32_t x, int32_t y) const
{
    const uint8_t bits = BlockBits(x, y);
    const uint8_t solid = (bits & BitsSolid) ? ViewSolid : 0;
    if (bits & BitsOffMap)
        return solid;
    if (m_MoveLayer != LayerLand && m_MoveLayer != LayerWater)
        return uint8_t(solid | ViewStandable);
    if (bits & BitsOccupied)
        return uint8_t(solid | (IsBlockStandable(BlockAt(x, y)) ? ViewStandable : 0));
    const uint8_t wrongTerrain = m_MoveLayer == LayerLand ? BitsAboveShore : BitsBelowShore;
    return uint8_t(solid | ((bits & (wrongTerrain | BitsBlocked)) ? 0 : ViewStandable));
}

// The footprint's cells: standable when all are, solid when any is.
uint8_t CPathFinder::ReadFootprintViewFlags(int32_t at)
{
    uint8_t flags = ViewStandable;
    for (int32_t column = at; column < at + m_Size * CGameMap::PathBitsSide; column += CGameMap::PathBitsSide)
        for (int32_t cell = column; cell < column + m_Size; ++cell)
        {
            const uint8_t cellFlags = ViewFlagsAt(cell);
            flags = uint8_t((flags & (cellFlags | ViewSolid)) | (cellFlags & ViewSolid));
        }
    m_FootprintView[at] = uint16_t(m_ViewStamp << 8 | flags);
    return flags;
}


bool CPathFinder::IsCellPassable(int32_t x, int32_t y) const
{
    if (!m_Map.IsOnMap(x, y))
        return false;
    const SMapBlock& block = BlockAt(x, y);
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
            const SMapBlock& block = BlockAt(cx, cy);
            if (block.waterLevel < ShoreWaterLevel && !block.blocked &&
                (block.unit == nullptr || block.unit->pathFlag != 0))
                return true;
        }
    return false;
}
