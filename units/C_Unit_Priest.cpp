// The priest's choices: which wounded unit it goes to when idle, what it
// does on arrival, and how it answers a hit.  Its animation, the heal steps
// and the fireball are in C_Unit_Priest_Animate.cpp.

#include "units/C_Unit_Priest.h"

#include <algorithm>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/ActionTargets.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_Unit_TowerArcher.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
// An idle priest with nobody to heal looks again after this long.
constexpr uint32_t IdleSearchPause = 2000;   // ms
constexpr int32_t TechnologyPriestAttack = 50;   // TC_PRIEST_ATT_1: fights back instead of fleeing
constexpr int32_t TechnologyPyro = 54;           // TC_PYRO: the attack throws fireballs

bool IsComputerPlayer(int32_t index)
{
    const CPlayer* owner = PlayerAt(index);
    return owner != nullptr && owner->type == PLAYER_COMPUTER;
}

bool IsEnemyUnit(const CUnit* unit, const CUnit& self)
{
    return unit != nullptr && unit->IsAlive() && !unit->IsDying() && !self.IsAlliedWith(unit->player);
}

bool IsEnemyBuilding(const CBuilding* building, int32_t player)
{
    return building != nullptr && building->IsAlive() && !building->IsFriendTo(player);
}

int32_t CentreX(const CBuilding& building)
{
    return building.x + building.GetWidth() / 2;
}

int32_t CentreY(const CBuilding& building)
{
    return building.y + building.GetDepth() / 2;
}

// The first archer of a tower, who is what shot; none for other buildings.
CUnit* FirstArcherOf(CBuilding& building)
{
    if (building.GetBuildCast() != CastTower)
        return nullptr;
    const CBuildingTower* tower = dynamic_cast<const CBuildingTower*>(&building);
    return tower != nullptr && tower->archerCount > 0 ? tower->archers[0] : nullptr;
}

// A tower that shot with no archer left to remember still sees as far as
// its archers would; nothing else drives a priest away without an attacker.
int32_t TowerSightAt(int32_t blockX, int32_t blockY)
{
    if (!g_GameMap.IsOnMap(blockX, blockY))
        return 0;
    const CBuilding* building = std::as_const(g_GameMap).Block(blockX, blockY).building;
    if (building == nullptr || building->owner < 0 || building->GetBuildCast() != CastTower || !building->IsAlive())
        return 0;
    CUnitTowerArcher probe;
    probe.player = building->owner;
    return probe.GetSightRadius();
}

uint32_t DeadlineIn(uint32_t milliseconds)
{
    // 0 means no deadline.
    const uint32_t deadline = SysClock::TickCount() + milliseconds;
    return deadline != 0 ? deadline : 1;
}
}  // namespace

CUnitPriest::CUnitPriest() : CUnitTableType(UNIT_PRIEST) {}

void CUnitPriest::onIdle()
{
    // Garrisoned and aboard, a priest has nobody around it to look at.
    if (!IsFootprintRegistered() || g_FilledDiscs == nullptr)
        return;
    const CRangeTable& circle = g_FilledDiscs[std::clamp(GetSightRadius(), 0, RangeRingCount - 1)];
    const int32_t cx = GetCentreCellX();
    const int32_t cy = GetCentreCellY();
    for (int32_t i = 0; i < circle.count; ++i)
    {
        const int32_t cellX = cx + circle.entries[i].dx;
        const int32_t cellY = cy + circle.entries[i].dy;
        if (!g_GameMap.IsOnMap(cellX, cellY))
            continue;
        CUnit* patient = std::as_const(g_GameMap).Block(cellX, cellY).unit;
        // Only its own player's units: allies are not healed.
        if (patient == nullptr || patient == this || patient->player != player || !patient->IsAlive() ||
            patient->IsDying() || patient->health == FullHealth || !patient->IsHealable())
            continue;
        InitAction(patient, nullptr, nullptr, x, y, CMD_HEAL, TARGET_UNIT, true, true);
        return;
    }
    // An empty heal order that comes due later, finds no patient and stops
    // the priest, whose stop looks again.
    animType = ANIM_STAND;
    SetModelByAnimation();
    InitAction(nullptr, nullptr, nullptr, x, y, CMD_HEAL, TARGET_UNIT, true, true);
    deadline = DeadlineIn(IdleSearchPause);
    performed = 0;
}

void CUnitPriest::onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    if (!CUnitTypeTable::IsResearched(player, TechnologyPriestAttack))
    {
        // Without the technology a priest only ever runs: it never walks
        // toward what hit it, even a building with no archer to remember.
        RunFrom(attackerUnit, attackerBuilding);
        return;
    }
    AnswerAttack(attackerUnit, attackerBuilding);
}

void CUnitPriest::RunFrom(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    if (IsEnemyUnit(attackerUnit, *this))
    {
        attacker = attackerUnit;
        InitAction(nullptr, nullptr, nullptr, attackerUnit->GetCentreCellX(), attackerUnit->GetCentreCellY(),
                   CMD_RUNAWAY, TARGET_BLOCK, true, false);
    }
    else if (IsEnemyBuilding(attackerBuilding, player))
    {
        attacker = FirstArcherOf(*attackerBuilding);
        InitAction(nullptr, nullptr, nullptr, CentreX(*attackerBuilding), CentreY(*attackerBuilding), CMD_RUNAWAY,
                   TARGET_BLOCK, true, false);
    }
}

void CUnitPriest::AnswerAttack(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    if (attacker != nullptr || stance == STANCE_STAND_GROUND)
        return;
    // A human player's busy priest carries on; a computer's turns unless
    // it is throwing already.
    if (animType != ANIM_STAND && (animType == ANIM_ATTACK || !IsComputerPlayer(player)))
        return;
    if (IsEnemyUnit(attackerUnit, *this))
    {
        attacker = attackerUnit;
        InitAction(attackerUnit, nullptr, nullptr, attackerUnit->GetCentreCellX(), attackerUnit->GetCentreCellY(),
                   CMD_ATTACK, TARGET_UNIT, true, true);
    }
    else if (IsEnemyBuilding(attackerBuilding, player))
        InitAction(nullptr, attackerBuilding, nullptr, CentreX(*attackerBuilding), CentreY(*attackerBuilding),
                   CMD_ATTACK, TARGET_BUILDING, true, true);
}

void CUnitPriest::onPerformAction()
{
    if (!MayPerformAction(__LINE__, __FILE__))
        return;
    if (currentCommand == CMD_RUNAWAY)
    {
        PerformRunaway();
        return;
    }
    if (IsTargetReached())
        PerformArrived();
    else
        StartPath();
}

void CUnitPriest::PerformRunaway()
{
    // Far enough to be just out of the attacker's sight, and no further
    // than twice that.
    const int32_t sight = attacker != nullptr ? attacker->GetSightRadius() : TowerSightAt(targetX, targetY);
    if (sight <= 0)
    {
        Stop();
        return;
    }
    CPathFinder::Route flight;
    CPathFinder::SPoint end{x, y};
    g_PathFinder.Init(player, this);
    formationOffsetX = 0;
    formationOffsetY = 0;
    const int32_t length = g_PathFinder.FindPath(x, y, targetX, targetY, GetSize(), GetMoveLayer(), sight + 1,
                                                 2 * sight, nullptr, nullptr, 0, 0, flight, end);
    if (length <= 0)
    {
        pathFlag = 0;
        Stop();
        return;
    }
    routeEnd = std::min(length, RouteCapacity);
    std::copy(flight, flight + routeEnd, route);
    currentStep = routeEnd;
    retryCounter = 0;
    stepTicks = 0;
    pathFlag = 1;
    moveDestX = end.x;
    moveDestY = end.y;
}

void CUnitPriest::PerformArrived()
{
    pathFlag = 0;
    actionTargetUnit = nullptr;
    actionTargetBuilding = nullptr;
    switch (currentCommand)
    {
    case CMD_ATTACK:
        if (!CUnitTypeTable::IsResearched(player, TechnologyPyro))
        {
            Stop();
            break;
        }
        AttackOrderTarget(*this);
        break;
    case CMD_GARRISON_SHIP:
        BoardOrderedTransport(*this);
        break;
    case CMD_HEAL:
        // A priest heals its own player's units only and never itself; an
        // order to heal another ends at once, so that the idle search runs
        // again.
        if (targetUnit == nullptr || targetUnit == this || targetUnit->player != player)
        {
            Stop();
            break;
        }
        actionTargetUnit = targetUnit;
        animType = ANIM_SPELL;
        break;
    default:
        Stop();
        break;
    }
    FaceActionTarget(*this, 0.0f);
    SetModelByAnimation();
}

void CUnitPriest::onMoveEnd()
{
    // The shared body, without the retry of a patrol leg: a priest does not
    // patrol.
    if (currentCommand == CMD_PATROL || currentCommand == CMD_MOVE_TO_DEFENSE_POS)
    {
        SetModelByAnimation();
        return;
    }
    MeleeOnMoveEnd();
}
