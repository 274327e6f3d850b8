// Facing and turning of a unit, following another unit, and the search for
// an enemy unit or building over a pattern of cells.

#include <cmath>

#include "buildings/C_Building.h"
#include "core/GlobalFunc.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_GameMap.h"
#include "world/C_RangeTable.h"

namespace
{
constexpr int32_t FullTurn = 360;
constexpr int32_t HalfTurn = 180;
constexpr int32_t TurnDegreesPerTick = 10;
constexpr float OctantDegrees = 45.0f;
constexpr float HalfOctantDegrees = 22.5f;
constexpr int32_t FollowCheckTicks = 64;
// A follower closes in to this many blocks inside its sight.
constexpr int32_t FollowSightMargin = 2;
constexpr int32_t TenthsPerBlock = 10;

// Build casts the target search ranks or never takes.
constexpr int32_t CastCastle = 1;
constexpr int32_t CastTower = 6;
constexpr int32_t CastWall = 9;
constexpr int32_t CastKeep = 11;
constexpr int32_t CastTrap = 12;

// The buildings a search has met, by rank.
struct SBuildingChoice
{
    CBuilding* tower = nullptr;
    CBuilding* keep = nullptr;
    CBuilding* castle = nullptr;
    CBuilding* any = nullptr;

    void Offer(CBuilding* building)
    {
        const int32_t cast = building->GetBuildCast();
        if (cast == CastTower && tower == nullptr)
            tower = building;
        if (cast == CastKeep && keep == nullptr)
            keep = building;
        if (cast == CastCastle && castle == nullptr)
            castle = building;
        if (any == nullptr)
            any = building;
    }
    CBuilding* Best() const
    {
        if (tower != nullptr)
            return tower;
        if (keep != nullptr)
            return keep;
        if (castle != nullptr)
            return castle;
        return any;
    }
};
}  // namespace

void CUnit::SetDirection(int32_t angle, bool notify)
{
    // Any angle at all, as a facing from the network may be, comes out in
    // 0 .. 359; within -360 .. 719 this is one turn added or taken off.
    facing = ((angle % FullTurn) + FullTurn) % FullTurn;
    if (notify && IsNetworkGame() && IsOwnedHere(player))
        g_MultiplayerGame.SendUnitDirection(this, facing);
}

void CUnit::TurnTowards(bool exact, float tx, float ty, float extra)
{
    float angle = GlobalFunc::GetAngle(centreX, centreY, tx, ty) + extra;
    // Rounded down, not toward zero, so that negative angles round as the
    // positive ones do.
    if (!exact)
        angle = std::floor((angle + HalfOctantDegrees) / OctantDegrees) * OctantDegrees;
    SetDirection(static_cast<int32_t>(angle), true);
}

void CUnit::TurnStep(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks && shownFacing != facing; ++tick)
    {
        if (facing <= HalfTurn && shownFacing > facing + HalfTurn)
            shownFacing -= FullTurn;
        else if (facing > HalfTurn && shownFacing < facing - HalfTurn)
            shownFacing += FullTurn;
        if (shownFacing < facing)
            shownFacing = shownFacing + TurnDegreesPerTick < facing ? shownFacing + TurnDegreesPerTick : facing;
        else
            shownFacing = shownFacing - TurnDegreesPerTick > facing ? shownFacing - TurnDegreesPerTick : facing;
    }
}

void CUnit::UpdateFollow(int32_t ticks)
{
    if (followedUnit == nullptr)
        return;
    followCountdown -= ticks;
    if (followCountdown >= 1)
        return;
    followCountdown += FollowCheckTicks;
    const int32_t distance = GlobalFunc::Distance(GetCentreCellX(), GetCentreCellY(), followedUnit->GetCentreCellX(),
                                                  followedUnit->GetCentreCellY()) /
                             TenthsPerBlock;
    const int32_t sight = GetSightRadius();
    if (distance < sight)
        return;
    InitAction(followedUnit, nullptr, nullptr, 0, 0, CMD_MOVE_TO, TARGET_UNIT, true, true);
    minRange = 0;
    maxRange = sight - FollowSightMargin;
}

void CUnit::FindTargetInRange(const CRangeTable& pattern, CUnit** foundUnit, CBuilding** foundBuilding,
                              bool buildingsFirst) const
{
    const int32_t cx = static_cast<int32_t>(centreX);
    const int32_t cy = static_cast<int32_t>(centreY);
    SBuildingChoice buildings;
    CUnit* keptUnit = nullptr;
    for (int32_t i = 0; i < pattern.count; ++i)
    {
        const int32_t cellX = cx + pattern.entries[i].dx;
        const int32_t cellY = cy + pattern.entries[i].dy;
        if (!g_GameMap.IsOnMap(cellX, cellY))
            continue;
        const SMapBlock& block = std::as_const(g_GameMap).Block(cellX, cellY);
        CBuilding* building = block.building;
        if (building != nullptr && !building->IsFriendTo(player) && building->GetHitPoints() >= 1 &&
            building->GetBuildCast() != CastWall && building->GetBuildCast() != CastTrap)
            buildings.Offer(building);
        CUnit* unit = block.unit;
        const bool unitCounts = unit != nullptr && unit->IsAlive() && !unit->IsAlliedWith(player);
        if (!unitCounts || keptUnit != nullptr)
            continue;
        keptUnit = unit;
        if (!buildingsFirst)
        {
            *foundUnit = unit;
            *foundBuilding = nullptr;
            return;
        }
    }
    *foundBuilding = buildings.Best();
    *foundUnit = buildingsFirst && *foundBuilding == nullptr ? keptUnit : nullptr;
}
