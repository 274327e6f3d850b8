// The fighting behaviour of the units that shoot: the melee rules, except
// that every fight order they give themselves stops where the target lies
// in range, and an enemy in sight renews a running attack on it whatever
// the animation.  The types that use each body are listed with the calls.

#include <algorithm>

#include "buildings/C_Building.h"
#include "core/GlobalFunc.h"
#include "net/C_UnitCommandOutbox.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t BuildCastTower = 6;
constexpr int32_t TenthsPerBlock = 10;
// The patrol scan looks at the outer three blocks of the sight circle.
constexpr int32_t OuterRingTenths = 30;
constexpr int32_t NoReturnPoint = -1;
constexpr bool Threaded = true;
constexpr bool InRange = true;

bool IsComputerPlayer(int32_t index)
{
    const CPlayer* owner = PlayerAt(index);
    return owner != nullptr && owner->type == PLAYER_COMPUTER;
}

const CRangeTable* SearchCircle(int32_t radius)
{
    if (g_FilledDiscs == nullptr)
        return nullptr;
    return &g_FilledDiscs[std::clamp(radius, 0, RangeRingCount - 1)];
}

bool IsEnemyOf(const CUnit* unit, const CUnit& self)
{
    return unit != nullptr && unit != &self && unit->IsAlive() && !unit->IsDying() && !self.IsAlliedWith(unit->player);
}

bool IsTower(const CBuilding* building)
{
    return building != nullptr && building->GetBuildCast() == BuildCastTower;
}
}  // namespace

// Archer, crossbowman, war galley, demon and the three heroes that shoot.
void CUnit::RangedOnIdle()
{
    if (stance == STANCE_STAND_GROUND)
        return;
    if (stance == STANCE_DEFENSIVE)
        lastOrder = LAST_ORDER_GUARD;
    if (!IsFootprintRegistered())
        return;
    CUnit* foundUnit = nullptr;
    CBuilding* foundBuilding = nullptr;
    if (const CRangeTable* circle = SearchCircle(GetSightRadius()))
        FindTargetInRange(*circle, &foundUnit, &foundBuilding, false);
    if (foundUnit != nullptr)
    {
        InitAction(foundUnit, nullptr, nullptr, x, y, CMD_ATTACK, TARGET_UNIT, Threaded, InRange);
        StoreReturnPoint();
    }
    else if (foundBuilding != nullptr)
    {
        InitAction(nullptr, foundBuilding, nullptr, x, y, CMD_ATTACK, TARGET_BUILDING, Threaded, InRange);
        StoreReturnPoint();
    }
    else
        ResumeGuardOrPatrol();
}

// Archer, crossbowman, demon and the three heroes that shoot.
void CUnit::RangedOnEnemySighted(CUnit* enemy)
{
    if (enemy == nullptr || !IsOwnedHere(player) || !IsFootprintRegistered())
        return;
    // A running attack on it is renewed even while the bow is drawn, so
    // that the range is measured again.
    if (currentCommand == CMD_ATTACK && targetKind == TARGET_UNIT && targetUnit == enemy)
    {
        InitAction(enemy, nullptr, nullptr, x, y, CMD_ATTACK, TARGET_UNIT, Threaded, InRange);
        return;
    }
    if (currentCommand != CMD_NONE && currentCommand != CMD_PATROL)
        return;
    if (BlocksTo(enemy->GetCentreCellX(), enemy->GetCentreCellY()) > GetSightRadius() ||
        stance == STANCE_STAND_GROUND)
        return;
    onAttacked(enemy, nullptr);
    if (lastOrder == LAST_ORDER_PATROL)
    {
        InitAction(enemy, nullptr, nullptr, x, y, CMD_ATTACK, TARGET_UNIT, Threaded, InRange);
        StoreReturnPoint();
    }
    else
    {
        orderState = 0;
        onPerformAction();
    }
}

// Archer, crossbowman, war galley and demon: the melee variant B.
void CUnit::RangedOnAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    bool isFree = animType == ANIM_STAND;
    if (currentCommand == CMD_ATTACK && actionTargetBuilding != nullptr && stance != STANCE_STAND_GROUND)
    {
        // A tower's arrows do not pull a unit off the building it shoots.
        if (attackerUnit != nullptr || (attackerBuilding != nullptr && !IsTower(attackerBuilding)))
        {
            attacker = nullptr;
            isFree = true;
        }
    }
    if (currentCommand == CMD_ATTACK && actionTargetUnit != nullptr && actionTargetUnit != attackerUnit &&
        (actionTargetUnit->currentCommand != CMD_ATTACK || actionTargetUnit->actionTargetUnit != this))
    {
        attacker = nullptr;
        isFree = true;
    }
    if (attacker != nullptr || stance == STANCE_STAND_GROUND || IsTower(targetBuilding))
        return;
    if (!isFree && (animType == ANIM_ATTACK || !IsComputerPlayer(player)))
        return;
    if (attackerUnit != nullptr && attackerUnit->IsAlive() && !attackerUnit->IsDying() &&
        !IsAlliedWith(attackerUnit->player))
    {
        attacker = attackerUnit;
        InitAction(attackerUnit, nullptr, nullptr, attackerUnit->GetCentreCellX(), attackerUnit->GetCentreCellY(),
                   CMD_ATTACK, TARGET_UNIT, Threaded, InRange);
        StoreReturnPoint();
    }
    else if (attackerBuilding != nullptr && attackerBuilding->IsAlive() && !attackerBuilding->IsFriendTo(player))
    {
        InitAction(nullptr, attackerBuilding, nullptr, attackerBuilding->x + attackerBuilding->GetWidth() / 2,
                   attackerBuilding->y + attackerBuilding->GetDepth() / 2, CMD_ATTACK, TARGET_BUILDING, Threaded,
                   InRange);
        StoreReturnPoint();
    }
}

// Archer, crossbowman, demon and the three heroes that shoot: the melee
// patrol scan, leash and blocked step, the scan's order given in range.
void CUnit::RangedSeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged)
{
    *engaged = false;
    if (!IsOwnedHere(player))
        return;
    const int32_t radius = GetSightRadius();
    if (currentCommand == CMD_PATROL)
    {
        const CRangeTable* circle = SearchCircle(radius);
        const int32_t innerTenths = radius * TenthsPerBlock - OuterRingTenths;
        const int32_t cx = static_cast<int32_t>(centreX);
        const int32_t cy = static_cast<int32_t>(centreY);
        for (int32_t i = circle != nullptr ? circle->count - 1 : -1; i >= 0; --i)
        {
            const SRangeEntry& entry = circle->entries[i];
            const int32_t cellX = cx + entry.dx;
            const int32_t cellY = cy + entry.dy;
            if (g_GameMap.IsOnMap(cellX, cellY))
            {
                CUnit* unit = g_GameMap.Block(cellX, cellY).unit;
                if (IsEnemyOf(unit, *this))
                {
                    InitAction(unit, nullptr, nullptr, x, y, CMD_ATTACK, TARGET_UNIT, Threaded, InRange);
                    StoreReturnPoint();
                    return;
                }
            }
            if (entry.distance < innerTenths)
                break;
        }
    }
    if (lastOrder != LAST_ORDER_NONE && returnX != NoReturnPoint &&
        GlobalFunc::Distance(tx, ty, returnX, returnY) / TenthsPerBlock > radius)
    {
        ResumeGuardOrPatrol();
        *engaged = true;
        return;
    }
    if (currentCommand != CMD_ATTACK && !IsComputerPlayer(player))
        return;
    if (!g_GameMap.IsOnMap(tx, ty))
        return;
    CUnit* unit = g_GameMap.Block(tx, ty).unit;
    if (!IsEnemyOf(unit, *this))
        return;
    // The enemy in the way is shot at instead of stepped on.
    pathFlag = 0;
    actionTargetUnit = unit;
    actionTargetBuilding = nullptr;
    animType = ANIM_ATTACK;
    targetUnit = unit;
    targetKind = TARGET_UNIT;
    TurnTowards(true, unit->centreX, unit->centreY, 0.0f);
    SetModelByAnimation();
    *engaged = true;
}
