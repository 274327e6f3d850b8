// The reactions the king shares with the settler and the transport ship:
// running from an attacker, standing idle, waiting for a ship that is on
// its way; and the orders the king shares with the settler: the checks
// every order starts with, the walk to the target and the boarding on
// arrival.

#include <algorithm>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_LogFile.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_King.h"
#include "world/C_PathFinder.h"

namespace
{
constexpr uint32_t RetryPause = 500;   // ms

// The first archer a building shoots with: a tower's first, none elsewhere.
CUnit* FirstArcherOf(CBuilding& building)
{
    if (building.GetBuildCast() != CastTower)
        return nullptr;
    const CBuildingTower* tower = dynamic_cast<const CBuildingTower*>(&building);
    return tower != nullptr && tower->archerCount > 0 ? tower->archers[0] : nullptr;
}
}  // namespace

void CUnitKing::RunFromAttacker(CUnit& unit, CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    // A walking unit keeps its course.
    if (unit.animType == ANIM_WALK)
        return;
    CUnit* enemy = nullptr;
    int32_t fleeFromX = 0;
    int32_t fleeFromY = 0;
    if (CUnit::IsActiveAttacker(attackerUnit) && !unit.IsAlliedWith(attackerUnit->player))
    {
        enemy = attackerUnit;
        fleeFromX = attackerUnit->GetCentreCellX();
        fleeFromY = attackerUnit->GetCentreCellY();
    }
    else if (attackerBuilding != nullptr && attackerBuilding->IsAlive() && !attackerBuilding->IsFriendTo(unit.player))
    {
        // A building without an archer leaves no one to run from: the
        // order then ends at once.
        enemy = FirstArcherOf(*attackerBuilding);
        fleeFromX = attackerBuilding->x + attackerBuilding->GetWidth() / 2;
        fleeFromY = attackerBuilding->y + attackerBuilding->GetDepth() / 2;
    }
    else
        return;
    unit.InitAction(nullptr, nullptr, nullptr, fleeFromX, fleeFromY, CMD_RUNAWAY, TARGET_BLOCK, true, false);
    unit.attacker = enemy;
}

void CUnitKing::PerformRunaway(CUnit& unit)
{
    if (unit.attacker == nullptr)
    {
        unit.Stop();
        return;
    }
    // The route ends at the first cell just out of the attacker's sight.
    const int32_t sight = unit.attacker->GetSightRadius();
    g_PathFinder.Init(unit.player, &unit);
    unit.formationOffsetX = 0;
    unit.formationOffsetY = 0;
    CPathFinder::SPoint end{unit.x, unit.y};
    const int32_t steps = g_PathFinder.FindPath(unit.x, unit.y, unit.targetX, unit.targetY, unit.GetSize(),
                                                unit.GetMoveLayer(), sight + 1, 2 * sight, nullptr, nullptr, 0, 0,
                                                unit.route, end);
    if (steps > 0)
    {
        unit.routeEnd = std::min(steps, RouteCapacity);
        unit.currentStep = unit.routeEnd;
        unit.retryCounter = 0;
        unit.stepTicks = 0;
        unit.pathFlag = 1;
        unit.moveDestX = end.x;
        unit.moveDestY = end.y;
        // The end of the flight is where the unit stops; without this the
        // arrival would head back for the attacker's block.
        unit.targetX = end.x;
        unit.targetY = end.y;
    }
    else
        unit.pathFlag = 0;
    unit.Stop();
}

void CUnitKing::StandIdle(CUnit& unit)
{
    unit.animType = ANIM_STAND;
    unit.SetModelByAnimation();
}

void CUnitKing::RetryBoarding(CUnit& unit)
{
    unit.actionTargetUnit = unit.targetUnit;
    if (unit.targetUnit != nullptr && unit.targetUnit->currentCommand == CMD_MOVE_TO_GARRISON)
        RetryLater(unit);
    else
        unit.Stop();
}

void CUnitKing::RetryLater(CUnit& unit)
{
    unit.orderState = 1;
    // 0 means no deadline.
    const uint32_t due = SysClock::TickCount() + RetryPause;
    unit.deadline = due != 0 ? due : 1;
}

bool CUnitKing::PerformCommonOrder(CUnit& unit, int32_t sourceLine, const char* sourceFile)
{
    if (IsNetworkGame() && !IsOwnedHere(unit.player))
    {
        DebugReport("#DEBUG: Unit action performed on non-local mulitplayer unit", sourceLine, sourceFile);
        return true;
    }
    if (unit.currentCommand != CMD_RUNAWAY)
        return false;
    PerformRunaway(unit);
    return true;
}

bool CUnitKing::WalkOnToTarget(CUnit& unit)
{
    if (unit.IsTargetReached())
        return false;
    unit.StartPath();
    return true;
}

bool CUnitKing::BoardOnArrival(CUnit& unit)
{
    unit.pathFlag = 0;
    unit.actionTargetUnit = nullptr;
    unit.actionTargetBuilding = nullptr;
    if (unit.currentCommand != CMD_GARRISON_SHIP)
        return false;
    if (unit.targetUnit != nullptr)
        unit.BoardTransport(unit.targetUnit);
    unit.currentCommand = CMD_NONE;
    return true;
}
