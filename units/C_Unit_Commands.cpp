// The action buffer of a unit: filling it with an order, asking for the
// route to the target, handing a due action to the unit type, the reach
// tests, and the return to a guard post or a patrol after a fight.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t NoReturnPoint = -1;
// A computer player's unit boards a ship once this many whole blocks away.
constexpr int32_t BoardingReach = 7;
constexpr int32_t TenthsPerBlock = 10;
constexpr float TouchingGap = 0.3f;
constexpr float TouchingGapMoving = 0.9f;
constexpr int32_t RangeTolerance = 1;
constexpr int32_t RangeToleranceMoving = 2;

bool IsComputerPlayer(int32_t index)
{
    const CPlayer* owner = PlayerAt(index);
    return owner != nullptr && owner->type == PLAYER_COMPUTER;
}

// How deep StartPath is in its own "reached at once" call of the unit type.
int32_t s_StartPathDepth = 0;
}  // namespace

void CUnit::InitAction(CUnit* newTargetUnit, CBuilding* newTargetBuilding, CBuilding* newTargetObject, int32_t tx,
                       int32_t ty, int32_t command, int32_t kind, bool isThreaded, bool isRanged)
{
    if (!onMap)
    {
        DEBUG_REPORT("#DEBUG: InitAction buffer on invisible unit");
        return;
    }
    targetX = approachX = tx;
    targetY = approachY = ty;
    waypointCount = 0;
    targetUnit = newTargetUnit;
    targetBuilding = newTargetBuilding;
    targetObject = newTargetObject;
    if (kind == TARGET_CHOOSE)
    {
        kind = TARGET_BLOCK;
        if (newTargetUnit != nullptr)
            kind = TARGET_UNIT;
        if (newTargetBuilding != nullptr)
            kind = TARGET_BUILDING;
        if (newTargetObject != nullptr)
            kind = TARGET_RESOURCE;
    }
    targetKind = kind;
    deadline = 0;
    stopped = 0;
    if (newTargetObject != nullptr)
    {
        targetBuilding = newTargetObject;
        objectResourceKind = newTargetObject->GetResourceKind();
    }
    currentCommand = command;
    threaded = isThreaded ? 1 : 0;
    ranged = isRanged ? 1 : 0;
    orderState = 1;
    minRange = 0;
    maxRange = 0;
    if (isRanged)
    {
        // A large building is reached from further away: ranges count from
        // its edge, not its centre.
        const int32_t bonus =
            targetBuilding != nullptr ? (targetBuilding->GetWidth() + targetBuilding->GetDepth()) / 4 : 0;
        int32_t base = 0;
        int32_t rangeBonus = 0;
        minRange = GetMinAttackRange() + bonus;
        maxRange = GetAttackRange(&base, &rangeBonus) + bonus;
        if (targetUnit != nullptr)
        {
            approachX = targetUnit->x + targetUnit->GetSize() / 2;
            approachY = targetUnit->y + targetUnit->GetSize() / 2;
        }
        if (targetBuilding != nullptr)
        {
            approachX = targetBuilding->x + targetBuilding->GetWidth() / 2;
            approachY = targetBuilding->y + targetBuilding->GetDepth() / 2;
        }
    }
    if (!isThreaded)
    {
        if (player != g_LocalPlayer && !IsComputerPlayer(player))
            DEBUG_REPORT("#DEBUG: No thread command for computer player");
        attacker = nullptr;
        lastOrder = LAST_ORDER_NONE;
        returnX = NoReturnPoint;
        returnY = NoReturnPoint;
    }
    if (command == CMD_PATROL)
    {
        patrolAX = tx;
        patrolAY = ty;
        patrolBX = x;
        patrolBY = y;
        lastOrder = LAST_ORDER_PATROL;
    }
}

bool CUnit::PerformAction(bool isThreaded)
{
    if (IsNetworkGame() && awaitingMoveAnswer)
        return false;
    if (orderState != 1 || (threaded != 0) != isThreaded || !ready)
        return false;
    // Wrap-safe: a deadline just past the 32-bit wrap is still in the future.
    if (deadline != 0 && static_cast<int32_t>(SysClock::TickCount() - deadline) < 0)
        return false;
    if (!onMap)
    {
        DEBUG_REPORT("#DEBUG: PerformAction on invisible unit");
        WriteLog();
        Stop();
        orderState = 0;
        return false;
    }
    performed = 1;
    orderState = 0;
    if (IsOwnedHere(player))
        onPerformAction();
    threaded = 1;
    if (performed)
        deadline = 0;
    return true;
}

void CUnit::StartPath()
{
    if (!IsOwnedHere(player))
        return;
    // A unit off the map has no tile to start from.
    if (!onMap || !IsFootprintRegistered())
        return;
    CPathFinder& finder = g_PathFinder;
    finder.Init(player, this);
    if (waypointCount > 0)
    {
        --waypointCount;
        targetX = waypoints[waypointCount][0];
        targetY = waypoints[waypointCount][1];
    }
    CPathFinder::SPoint end{x, y};
    int32_t length;
    if (waypointCount > 0)
        length = finder.FindPath(x, y, targetX, targetY, GetSize(), GetMoveLayer(), 0, 0, nullptr, nullptr, 0, 0,
                                 route, end);
    else
        length = finder.FindPath(x, y, targetX, targetY, GetSize(), GetMoveLayer(), minRange, maxRange, targetUnit,
                                 targetBuilding, formationOffsetX, formationOffsetY, route, end);
    routeEnd = std::clamp(length, 0, RouteCapacity);
    formationOffsetX = 0;
    formationOffsetY = 0;
    if (routeEnd > 0)
    {
        currentStep = routeEnd;
        retryCounter = 0;
        stepTicks = 0;
        pathFlag = 1;
        moveDestX = end.x;
        moveDestY = end.y;
        return;
    }
    if (IsTargetReached())
    {
        // A type whose own reach test disagrees would come straight back
        // here and recurse without end.
        if (s_StartPathDepth > 0)
        {
            DEBUG_REPORT("#DEBUG: StartPath called again by a reached action");
            Stop();
            return;
        }
        ++s_StartPathDepth;
        onPerformAction();
        --s_StartPathDepth;
        return;
    }
    // The computer opponent counts this order as done once; a type that
    // retries must not count it again.
    if (aiOrderPending != 0)
    {
        if (CPlayer* owner = PlayerAt(player))
            owner->computerAI.OnUnitOrderDone(this);
    }
    aiOrderPending = 0;
    onMoveEnd();
}

bool CUnit::IsTargetReached()
{
    const int32_t cx = static_cast<int32_t>(centreX);
    const int32_t cy = static_cast<int32_t>(centreY);
    if (IsComputerPlayer(player) && currentCommand == CMD_GARRISON_SHIP)
    {
        // The ship may have sunk meanwhile.
        if (targetUnit == nullptr)
            return false;
        approachX = targetUnit->GetCentreCellX();
        approachY = targetUnit->GetCentreCellY();
        return GlobalFunc::Distance(cx, cy, approachX, approachY) / TenthsPerBlock < BoardingReach;
    }
    if (ranged)
    {
        if (targetKind == TARGET_UNIT && (targetUnit == nullptr || !targetUnit->IsAlive()))
            return false;
        if (targetKind == TARGET_BUILDING && (targetBuilding == nullptr || !targetBuilding->IsAlive()))
            return false;
        if (targetKind == TARGET_RESOURCE && targetObject == nullptr)
            return false;
        int32_t tolerance = RangeTolerance;
        if (targetUnit != nullptr)
        {
            approachX = targetUnit->GetCentreCellX();
            approachY = targetUnit->GetCentreCellY();
            if (targetUnit->pathFlag)
                tolerance = RangeToleranceMoving;
        }
        const int32_t distance =
            GlobalFunc::Distance(cx, cy, approachX, approachY) / TenthsPerBlock - GetSize() / 2;
        return minRange - tolerance <= distance && distance <= maxRange + tolerance;
    }
    switch (targetKind)
    {
    case TARGET_NONE:
        return true;
    case TARGET_UNIT:
        return targetUnit != nullptr && targetUnit->IsAlive() && IsTouchingUnit(*targetUnit);
    case TARGET_BUILDING:
        return targetBuilding != nullptr && targetBuilding->IsAlive() && IsAdjacentToBuilding(targetBuilding);
    case TARGET_RESOURCE:
        return targetObject != nullptr && IsAdjacentToBuilding(targetObject);
    case TARGET_BLOCK:
        return x == targetX && y == targetY;
    default:
        return false;
    }
}

bool CUnit::IsTouchingUnit(const CUnit& other) const
{
    const float dx = std::fabs(centreX - other.centreX);
    const float dy = std::fabs(centreY - other.centreY);
    const float gap = std::max(dx, dy) - static_cast<float>(GetSize()) * 0.5f -
                      static_cast<float>(other.GetSize()) * 0.5f;
    return gap < (other.pathFlag ? TouchingGapMoving : TouchingGap);
}

namespace
{
// Calls test(cell) for each cell of the contact ring of an n x n footprint
// at (x, y) that lies on the map; true as soon as one test holds.
template <typename Test>
bool AnyContactCell(int32_t x, int32_t y, int32_t size, Test test)
{
    if (g_SquareBorders == nullptr || size < 0 || size >= SquareBorderCount)
        return false;
    const CRangeTable& ring = g_SquareBorders[size];
    for (int32_t i = 0; i < ring.count; ++i)
    {
        const int32_t cellX = x + ring.entries[i].dx;
        const int32_t cellY = y + ring.entries[i].dy;
        if (g_GameMap.IsOnMap(cellX, cellY) && test(std::as_const(g_GameMap).Block(cellX, cellY)))
            return true;
    }
    return false;
}
}  // namespace

bool CUnit::IsAdjacentToBuilding(const CBuilding* building) const
{
    if (building == nullptr)
        return false;
    return AnyContactCell(x, y, GetSize(), [building](const SMapBlock& block) { return block.building == building; });
}

bool CUnit::IsAdjacentToRegion(int32_t region) const
{
    return AnyContactCell(x, y, GetSize(), [region](const SMapBlock& block) { return block.regionId == region; });
}

void CUnit::ResumeAction()
{
    if (!IsAlive() || !IsOwnedHere(player))
        return;
    animType = ANIM_STAND;
    ready = 1;
    if (orderState != 1)
        onPerformAction();
    else
        SetModelByAnimation();
}

void CUnit::RestartAction()
{
    InitAction(nullptr, nullptr, nullptr, x, y, CMD_NONE, TARGET_NONE, true, false);
    if (IsNetworkGame() && IsOwnedHere(player))
        g_MultiplayerGame.SendUnitStopAction(this);
}

void CUnit::StoreReturnPoint()
{
    if (returnX != NoReturnPoint)
        return;
    if (lastOrder == LAST_ORDER_PATROL || (lastOrder == LAST_ORDER_GUARD && stance == STANCE_DEFENSIVE))
    {
        returnX = x;
        returnY = y;
    }
}

void CUnit::ResumeGuardOrPatrol()
{
    if (returnX == NoReturnPoint)
        return;
    if (lastOrder == LAST_ORDER_GUARD)
    {
        if (x == returnX && y == returnY)
        {
            returnX = NoReturnPoint;
            returnY = NoReturnPoint;
        }
        else
            InitAction(nullptr, nullptr, nullptr, returnX, returnY, CMD_MOVE_TO_DEFENSE_POS, TARGET_BLOCK, true,
                       false);
        attacker = nullptr;
    }
    else if (lastOrder == LAST_ORDER_PATROL)
    {
        const int32_t keptX = patrolBX;
        const int32_t keptY = patrolBY;
        InitAction(nullptr, nullptr, nullptr, patrolAX, patrolAY, CMD_PATROL, TARGET_BLOCK, true, false);
        patrolBX = keptX;
        patrolBY = keptY;
        returnX = NoReturnPoint;
        returnY = NoReturnPoint;
        attacker = nullptr;
    }
}
