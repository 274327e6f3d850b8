// Sight bookkeeping of a unit: the pattern of its sight radius counted in its
// owner's sight map, exploring the fog around it, and telling enemies that
// see it.

#include <algorithm>

#include "core/C_Config.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
// Beyond this radius the inner disc is scanned separately from the soft ring.
constexpr int32_t SoftRingWidth = 4;

const CRangeTable* TableAt(const CRangeTable* family, int32_t radius)
{
    if (family == nullptr)
        return nullptr;
    return &family[std::clamp(radius, 0, RangeRingCount - 1)];
}
}  // namespace

const CRangeTable* CUnit::SightPattern(int32_t radius) const
{
    // Odd footprints centre on a block, even ones on a block corner.
    return TableAt(GetSize() % 2 != 0 ? g_SightDiscs : g_FilledDiscs, radius);
}

void CUnit::ApplySight(int32_t sign)
{
    CPlayer* owner = PlayerAt(player);
    const CRangeTable* pattern = SightPattern(sightRadiusInUse);
    if (owner == nullptr || pattern == nullptr)
        return;
    owner->AddUnitSight(GetCentreCellX(), GetCentreCellY(), *pattern, static_cast<int8_t>(sign));
}

void CUnit::MoveSight(int32_t oldCentreX, int32_t oldCentreY)
{
    CPlayer* owner = PlayerAt(player);
    const CRangeTable* pattern = SightPattern(sightRadiusInUse);
    if (owner == nullptr || pattern == nullptr)
        return;
    owner->MoveUnitSight(oldCentreX, oldCentreY, GetCentreCellX(), GetCentreCellY(), *pattern);
}

void CUnit::ScanSight(int32_t radius)
{
    CPlayer* owner = PlayerAt(player);
    if (owner == nullptr)
        return;
    const int32_t cx = static_cast<int32_t>(centreX);
    const int32_t cy = static_cast<int32_t>(centreY);
    if (radius - SoftRingWidth > 0)
        if (const CRangeTable* inner = TableAt(g_SightDiscs, radius - SoftRingWidth))
            owner->ScanSightPattern(cx, cy, *inner);
    if (const CRangeTable* ring = TableAt(g_SoftRings, radius))
        owner->ScanSightPattern(cx, cy, *ring);
}

void CUnit::AddSightAndScan()
{
    sightRadiusInUse = GetSightRadius();
    ApplySight(+1);
    if (sightRadiusInUse > SoftRingWidth)
        ScanSight(sightRadiusInUse);
}

void CUnit::RefreshSight()
{
    if (!onMap || !IsFootprintRegistered())
        return;
    ApplySight(-1);
    sightRadiusInUse = GetSightRadius();
    ApplySight(+1);
    ScanSight(sightRadiusInUse);
    if (currentCommand == 0)
        Stop();
}

void CUnit::RevealFog()
{
    const int32_t radius = GetSightRadius();
    ScanSight(radius);
    g_GameMap.UpdateArea(x - radius - 1, y - radius - 1, 2 * radius + 2, 2 * radius + 2);
}

void CUnit::RefreshFogArea(int32_t radius)
{
    if (!g_Config.fogOfWar || player != g_LocalPlayer)
        return;
    g_GameMap.UpdateArea(GetCentreCellX() - radius - 1, GetCentreCellY() - radius - 1, 2 * radius + 2,
                         2 * radius + 2);
}

void CUnit::NotifyEnemiesInSight()
{
    if (g_Players == nullptr || !g_GameMap.IsOnMap(GetCentreCellX(), GetCentreCellY()))
        return;
    const int32_t cell = GetCentreCellX() * MapBlockSide + GetCentreCellY();
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        CPlayer& other = g_Players[p];
        if (other.IsFriendTo(player) || other.type == PLAYER_NONE || other.type == PLAYER_DEFEATED)
            continue;
        if (other.unitSightCounts[cell] > 0 || other.buildingSightCounts[cell] > 0)
            other.BroadcastToObjects(this);
    }
}
