// The catapult's orders and reactions, and the ways of performing an order
// and of scattering a shot that the war galley shares with it.

#include "units/C_Unit_Catapult.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t TenthsPerBlock = 10;
constexpr int32_t NoReturnPoint = -1;
// A patrol or a way back to the post ends this near its point.
constexpr int32_t PatrolStopBlocks = 4;
// The patrol scan looks at the outer three blocks of the circle.
constexpr int32_t OuterBandTenths = 30;
constexpr float BlockMiddle = 0.5f;
// Shots at a point stray (Random(50) - 25) hundredths of a block, shots at
// a building twice as far.
constexpr int32_t AimScatterSteps = 50;
constexpr int32_t AimScatterMiddle = 25;
constexpr float PointScatterStep = 0.01f;
constexpr float BuildingScatterStep = 0.02f;
// Beyond this many whole blocks a shot strays a tenth of a block more per
// block, unless TC_BALLISTIC is researched.
constexpr int32_t ExactBlocks = 5;
constexpr float DistanceScatterStep = 0.1f;
constexpr int32_t TechnologyBallistic = 56;   // TC_BALLISTIC

int32_t WholeBlocks(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY)
{
    return GlobalFunc::Distance(fromX, fromY, toX, toY) / TenthsPerBlock;
}

float AimScatter(float step)
{
    return static_cast<float>(GlobalFunc::Random(AimScatterSteps) - AimScatterMiddle) * step;
}

const CRangeTable* CircleOf(const CRangeTable* family, int32_t radius)
{
    if (family == nullptr)
        return nullptr;
    return &family[std::clamp(radius, 0, RangeRingCount - 1)];
}

bool IsEnemyOf(const CUnit* other, const CUnit& self)
{
    return other != &self && CUnit::IsActiveAttacker(other) && !self.IsAlliedWith(other->player);
}

// The attack starts on the target unit, else the target building, else the
// ground point.  Whatever filled the order (an automatic one passes the
// engine's own tile), the shots aim at the target's centre block.
void StartAttack(CUnit& unit)
{
    if (unit.targetUnit != nullptr)
    {
        unit.actionTargetUnit = unit.targetUnit;
        unit.targetX = unit.targetUnit->GetCentreCellX();
        unit.targetY = unit.targetUnit->GetCentreCellY();
    }
    else if (unit.targetBuilding != nullptr)
    {
        CBuilding& building = *unit.targetBuilding;
        unit.actionTargetBuilding = &building;
        unit.targetX = building.x + building.GetWidth() / 2;
        unit.targetY = building.y + building.GetDepth() / 2;
    }
    unit.animType = ANIM_ATTACK;
}

void TurnPatrolRound(CUnit& unit)
{
    // The legs swap: the far end becomes the near one.
    const int32_t oldAX = unit.patrolAX;
    const int32_t oldAY = unit.patrolAY;
    unit.InitAction(nullptr, nullptr, nullptr, unit.patrolBX, unit.patrolBY, CMD_PATROL, TARGET_BLOCK, true, false);
    unit.patrolBX = oldAX;
    unit.patrolBY = oldAY;
}

void TurnToAim(CUnit& unit, float extraDegrees)
{
    if (const CBuilding* building = unit.actionTargetBuilding)
        unit.TurnTowards(true, static_cast<float>(building->x) + static_cast<float>(building->GetWidth()) * 0.5f,
                         static_cast<float>(building->y) + static_cast<float>(building->GetDepth()) * 0.5f,
                         extraDegrees);
    else if (const CUnit* target = unit.actionTargetUnit)
        unit.TurnTowards(true, target->centreX, target->centreY, extraDegrees);
    else if (unit.animType == ANIM_ATTACK)
        unit.TurnTowards(true, static_cast<float>(unit.targetX) + BlockMiddle,
                         static_cast<float>(unit.targetY) + BlockMiddle, extraDegrees);
}

void WalkOn(CUnit& unit)
{
    if ((unit.currentCommand == CMD_PATROL || unit.currentCommand == CMD_MOVE_TO_DEFENSE_POS) &&
        WholeBlocks(unit.x, unit.y, unit.targetX, unit.targetY) < PatrolStopBlocks)
    {
        unit.returnX = NoReturnPoint;
        unit.returnY = NoReturnPoint;
        unit.Stop();
        return;
    }
    unit.StartPath();
}
}  // namespace

CUnitCatapult::CUnitCatapult() : CUnitOfType(UNIT_CATAPULT) {}

// ---- Orders -------------------------------------------------------------------

void CUnitCatapult::onPerformAction()
{
    if (IsNetworkGame() && !IsOwnedHere(player))
    {
        DEBUG_REPORT("#DEBUG: Unit action performed on non-local mulitplayer unit");
        return;
    }
    PerformSiegeOrder(*this, true, 0.0f);
}

void CUnitCatapult::PerformSiegeOrder(CUnit& unit, bool boardsShips, float extraDegrees)
{
    if ((unit.targetKind == TARGET_UNIT && unit.targetUnit == nullptr) ||
        (unit.targetKind == TARGET_BUILDING && unit.targetBuilding == nullptr))
    {
        unit.Stop();
        return;
    }
    if (!unit.IsTargetReached())
    {
        WalkOn(unit);
        return;
    }
    unit.pathFlag = 0;
    unit.actionTargetUnit = nullptr;
    unit.actionTargetBuilding = nullptr;
    switch (unit.currentCommand)
    {
    case CMD_ATTACK:
    case CMD_ATTACK_GROUND:
        StartAttack(unit);
        break;
    case CMD_PATROL:
        TurnPatrolRound(unit);
        break;
    case CMD_GARRISON_SHIP:
        if (boardsShips)
        {
            if (unit.targetUnit != nullptr)
                unit.BoardTransport(unit.targetUnit);
            unit.currentCommand = CMD_NONE;
            break;
        }
        unit.Stop();
        break;
    default:
        unit.Stop();
        break;
    }
    TurnToAim(unit, extraDegrees);
    unit.SetModelByAnimation();
}

void CUnitCatapult::onMoveEnd()
{
    MeleeOnMoveEnd();
}

// ---- Reactions ----------------------------------------------------------------

void CUnitCatapult::onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    if (attacker != nullptr || animType != ANIM_STAND || stance == STANCE_STAND_GROUND)
        return;
    if (IsEnemyOf(attackerUnit, *this))
    {
        attacker = attackerUnit;
        InitAction(attackerUnit, nullptr, nullptr, attackerUnit->GetCentreCellX(), attackerUnit->GetCentreCellY(),
                   CMD_ATTACK, TARGET_UNIT, true, true);
    }
    else if (attackerBuilding != nullptr && attackerBuilding->IsAlive() && !attackerBuilding->IsFriendTo(player))
        InitAction(nullptr, attackerBuilding, nullptr, attackerBuilding->x + attackerBuilding->GetWidth() / 2,
                   attackerBuilding->y + attackerBuilding->GetDepth() / 2, CMD_ATTACK, TARGET_BUILDING, true, true);
    else
        return;
    ready = 1;
    StoreReturnPoint();
}

void CUnitCatapult::onEnemySighted(CUnit* enemy)
{
    MeleeOnEnemySighted(enemy, true);
}

void CUnitCatapult::onIdle()
{
    MeleeOnIdle(true);
}

void CUnitCatapult::SeekTargetOnPatrol(int32_t tx, int32_t ty, bool* engaged)
{
    *engaged = false;
    if (IsOwnedHere(player))
        SeekInPatrolBand(*this, CircleOf(g_SightDiscs, GetSightRadius()), tx, ty);
}

void CUnitCatapult::SeekInPatrolBand(CUnit& unit, const CRangeTable* circle, int32_t tx, int32_t ty)
{
    const int32_t radius = unit.GetSightRadius();
    if (unit.currentCommand == CMD_PATROL && circle != nullptr)
    {
        const int32_t bandTenths = radius * TenthsPerBlock - OuterBandTenths;
        const int32_t cx = static_cast<int32_t>(unit.centreX);
        const int32_t cy = static_cast<int32_t>(unit.centreY);
        for (int32_t i = circle->count - 1; i >= 0 && circle->entries[i].distance >= bandTenths; --i)
        {
            const int32_t cellX = cx + circle->entries[i].dx;
            const int32_t cellY = cy + circle->entries[i].dy;
            if (!g_GameMap.IsOnMap(cellX, cellY))
                continue;
            CUnit* enemy = std::as_const(g_GameMap).Block(cellX, cellY).unit;
            if (!IsEnemyOf(enemy, unit))
                continue;
            unit.InitAction(enemy, nullptr, nullptr, enemy->GetCentreCellX(), enemy->GetCentreCellY(), CMD_ATTACK,
                            TARGET_UNIT, true, true);
            unit.StoreReturnPoint();
            return;
        }
    }
    if (unit.lastOrder != LAST_ORDER_NONE && unit.returnX != NoReturnPoint &&
        WholeBlocks(tx, ty, unit.returnX, unit.returnY) > radius)
        unit.ResumeGuardOrPatrol();
}

bool CUnitCatapult::MayShoot(CUnit& unit)
{
    if (!IsOwnedHere(unit.player))
        return true;
    if (unit.actionTargetUnit == nullptr && unit.actionTargetBuilding == nullptr && unit.targetKind != TARGET_BLOCK)
        return false;
    return unit.IsTargetReached();
}

// ---- Scatter of a shot ----------------------------------------------------------

void CUnitCatapult::AimAtTargetPoint(const CUnit& unit, float* aimX, float* aimY)
{
    *aimX = static_cast<float>(unit.targetX) + BlockMiddle + AimScatter(PointScatterStep);
    *aimY = static_cast<float>(unit.targetY) + BlockMiddle + AimScatter(PointScatterStep);
}

void CUnitCatapult::AimAtBuilding(const CBuilding& building, float aim[3])
{
    building.GetTargetPosition(aim);
    aim[0] += AimScatter(BuildingScatterStep);
    aim[2] += AimScatter(BuildingScatterStep);
}

void CUnitCatapult::ScatterByDistance(const CUnit& unit, float* aimX, float* aimY)
{
    if (CUnitTypeTable::IsResearched(unit.player, TechnologyBallistic))
        return;
    const int32_t beyond =
        WholeBlocks(unit.GetCentreCellX(), unit.GetCentreCellY(), unit.targetX, unit.targetY) - ExactBlocks;
    if (beyond < 1)
        return;
    *aimX += static_cast<float>(GlobalFunc::Random(2 * beyond) - beyond) * DistanceScatterStep;
    *aimY += static_cast<float>(GlobalFunc::Random(2 * beyond) - beyond) * DistanceScatterStep;
}
