// The fighting behaviour most combat units share: taking an order, looking
// for a fight while idle, answering an enemy in sight or a hit, letting a
// lost target go, and performing the buffered action on arrival.  The types
// that use each body are listed in CUnitBehaviourTable.

#include <algorithm>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/ActionTargets.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t BuildCastTower = 6;
constexpr uint32_t RetryPause = 500;   // ms before a short move is tried again
constexpr int32_t PatrolStopBlocks = 4;
constexpr int32_t RetryBeyondBlocks = 3;
constexpr int32_t TenthsPerBlock = 10;
constexpr int32_t NoReturnPoint = -1;

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

int32_t TileBlocks(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY)
{
    return GlobalFunc::Distance(fromX, fromY, toX, toY) / TenthsPerBlock;
}

uint32_t DeadlineIn(uint32_t milliseconds)
{
    // 0 means no deadline.
    const uint32_t deadline = SysClock::TickCount() + milliseconds;
    return deadline != 0 ? deadline : 1;
}
}  // namespace

void CUnit::MeleeOnCommand(CUnit* newTargetUnit, CBuilding* newTargetBuilding, int32_t tx, int32_t ty,
                           int32_t command)
{
    // A melee unit never keeps a resource as its target.
    InitAction(newTargetUnit, newTargetBuilding, nullptr, tx, ty, command, TARGET_CHOOSE, false, false);
}

void CUnit::MeleeOnIdle(bool fromRange)
{
    if (stance == STANCE_STAND_GROUND)
        return;
    if (stance == STANCE_DEFENSIVE)
        lastOrder = LAST_ORDER_GUARD;
    // Garrisoned and aboard, a unit has nothing around it to look at.
    if (!IsFootprintRegistered())
        return;
    CUnit* foundUnit = nullptr;
    CBuilding* foundBuilding = nullptr;
    if (const CRangeTable* circle = SearchCircle(GetSightRadius()))
        FindTargetInRange(*circle, &foundUnit, &foundBuilding, false);
    if (foundUnit != nullptr)
    {
        InitAction(foundUnit, nullptr, nullptr, x, y, CMD_ATTACK, TARGET_UNIT, true, fromRange);
        StoreReturnPoint();
    }
    else if (foundBuilding != nullptr)
    {
        InitAction(nullptr, foundBuilding, nullptr, x, y, CMD_ATTACK, TARGET_BUILDING, true, fromRange);
        StoreReturnPoint();
    }
    else
        ResumeGuardOrPatrol();
}

void CUnit::MeleeOnEnemySighted(CUnit* enemy, bool fromRange)
{
    if (enemy == nullptr || !IsOwnedHere(player) || !IsFootprintRegistered())
        return;
    // A shooter renews its attack even while the bow is drawn, so that the
    // range is measured again; a striker not in the middle of a blow.
    if (currentCommand == CMD_ATTACK && targetKind == TARGET_UNIT && (fromRange || animType != ANIM_ATTACK) &&
        targetUnit == enemy)
    {
        InitAction(enemy, nullptr, nullptr, x, y, CMD_ATTACK, TARGET_UNIT, true, fromRange);
        return;
    }
    const int32_t distance = BlocksTo(enemy->GetCentreCellX(), enemy->GetCentreCellY());
    if (currentCommand != CMD_NONE && currentCommand != CMD_PATROL)
        return;
    if (distance > GetSightRadius() || stance == STANCE_STAND_GROUND)
        return;
    // The enemy is answered as if it had struck first.
    onAttacked(enemy, nullptr);
    if (lastOrder == LAST_ORDER_PATROL)
    {
        InitAction(enemy, nullptr, nullptr, x, y, CMD_ATTACK, TARGET_UNIT, true, fromRange);
        StoreReturnPoint();
    }
    else
    {
        orderState = 0;
        onPerformAction();
    }
}

void CUnit::MeleeOnAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding, bool variantB, bool fromRange)
{
    bool isFree = animType == ANIM_STAND;
    if (currentCommand == CMD_ATTACK && actionTargetBuilding != nullptr &&
        (!variantB || stance != STANCE_STAND_GROUND))
    {
        // A tower's arrows do not pull a unit off the building it strikes.
        if (attackerUnit != nullptr ||
            (attackerBuilding != nullptr && attackerBuilding->GetBuildCast() != BuildCastTower))
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
    if (attacker != nullptr || stance == STANCE_STAND_GROUND ||
        (targetBuilding != nullptr && targetBuilding->GetBuildCast() == BuildCastTower))
        return;
    // A human player's walking unit keeps walking; a computer's turns.
    if (!isFree && (animType == ANIM_ATTACK || !IsComputerPlayer(player)))
        return;
    if (attackerUnit != nullptr && attackerUnit->IsAlive() && !attackerUnit->IsDying() &&
        !IsAlliedWith(attackerUnit->player))
    {
        attacker = attackerUnit;
        InitAction(attackerUnit, nullptr, nullptr, attackerUnit->GetCentreCellX(), attackerUnit->GetCentreCellY(),
                   CMD_ATTACK, TARGET_UNIT, true, fromRange);
        StoreReturnPoint();
    }
    else if (attackerBuilding != nullptr && attackerBuilding->IsAlive() && !attackerBuilding->IsFriendTo(player))
    {
        InitAction(nullptr, attackerBuilding, nullptr, attackerBuilding->x + attackerBuilding->GetWidth() / 2,
                   attackerBuilding->y + attackerBuilding->GetDepth() / 2, CMD_ATTACK, TARGET_BUILDING, true,
                   fromRange);
        StoreReturnPoint();
    }
}

void CUnit::WindDownOnTargetLost(CUnit* unit, CBuilding* building)
{
    const bool struck = (unit != nullptr && actionTargetUnit == unit) ||
                        (building != nullptr && actionTargetBuilding == building);
    if (struck && IsAlive())
        animType = ANIM_WIND_DOWN;
}

void CUnit::HaltOnTargetLost(CUnit* unit, CBuilding* building)
{
    if ((unit != nullptr && actionTargetUnit == unit) || (building != nullptr && actionTargetBuilding == building))
        Stop();
}

void CUnit::MeleeOnPerformAction(float extraDegrees, int32_t sourceLine, const char* sourceFile)
{
    if (IsNetworkGame() && !IsOwnedHere(player))
    {
        DebugReport("#DEBUG: Unit action performed on non-local mulitplayer unit", sourceLine, sourceFile);
        return;
    }
    if ((targetKind == TARGET_UNIT && targetUnit == nullptr) ||
        (targetKind == TARGET_BUILDING && targetBuilding == nullptr))
    {
        Stop();
        return;
    }
    if (!IsTargetReached())
    {
        if ((currentCommand == CMD_PATROL || currentCommand == CMD_MOVE_TO_DEFENSE_POS) &&
            TileBlocks(x, y, approachX, approachY) < PatrolStopBlocks)
        {
            returnX = NoReturnPoint;
            returnY = NoReturnPoint;
            Stop();
            return;
        }
        StartPath();
        return;
    }
    pathFlag = 0;
    actionTargetUnit = nullptr;
    actionTargetBuilding = nullptr;
    switch (currentCommand)
    {
    case CMD_ATTACK:
        AttackOrderTarget(*this);
        break;
    case CMD_PATROL:
    {
        // The legs swap: the far end becomes the near one.
        const int32_t oldAX = patrolAX;
        const int32_t oldAY = patrolAY;
        InitAction(nullptr, nullptr, nullptr, patrolBX, patrolBY, CMD_PATROL, TARGET_BLOCK, true, false);
        patrolBX = oldAX;
        patrolBY = oldAY;
        break;
    }
    case CMD_GARRISON_SHIP:
        BoardOrderedTransport(*this);
        break;
    default:
        Stop();
        break;
    }
    FaceActionTarget(*this, extraDegrees);
    SetModelByAnimation();
}

void CUnit::MeleeOnMoveEnd()
{
    switch (currentCommand)
    {
    case CMD_MOVE_TO_DEFENSE_POS:
    case CMD_PATROL:
        if (TileBlocks(x, y, approachX, approachY) > RetryBeyondBlocks)
        {
            orderState = 1;
            deadline = DeadlineIn(RetryPause);
        }
        break;
    case CMD_ATTACK:
        if (stopped)
        {
            currentCommand = CMD_NONE;
            break;
        }
        [[fallthrough]];
    case CMD_GARRISON_SHIP:
        actionTargetUnit = targetUnit;
        if (targetUnit != nullptr && targetUnit->currentCommand == CMD_MOVE_TO_GARRISON)
        {
            orderState = 1;
            deadline = DeadlineIn(RetryPause);
        }
        else
            Stop();
        break;
    default:
        break;
    }
    SetModelByAnimation();
}
