// The worker's action buffer: the search sub-tasks that find its next
// storage, resource or building site, the flight from an attacker, what it
// does on arriving, and what it does when no way leads to its target.

#include <algorithm>

#include "buildings/C_Building.h"
#include "core/C_LogFile.h"
#include "effects/C_Particles.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/C_FoundRoute.h"
#include "units/C_Unit_Worker.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_GameMap.h"
#include "world/C_PathFinder.h"
#include "world/C_Player.h"

namespace
{
constexpr int32_t BuildSiteSearchLimit = 15;
constexpr uint32_t RetryMilliseconds = 500;

uint32_t RetryDeadline()
{
    return SysClock::TickCount() + RetryMilliseconds;
}

CPlayer* ComputerOwner(int32_t index)
{
    CPlayer* owner = PlayerAt(index);
    return owner != nullptr && owner->type == PLAYER_COMPUTER ? owner : nullptr;
}
}  // namespace

void CUnitWorker::onPerformAction()
{
    if (IsNetworkGame() && !IsOwnedHere(player))
    {
        g_Log.Write("#DEBUG: Unit action performed on non-local mulitplayer unit");
        return;
    }
    if (targetKind == TARGET_RESOURCE && targetObject == nullptr)
        currentCommand = CMD_FIND_RESOURCE;
    if (currentCommand == CMD_RETURN_GOODS && targetBuilding == nullptr)
        currentCommand = CMD_FIND_STORAGE;
    switch (currentCommand)
    {
    case CMD_FIND_STORAGE:
        SearchStorage();
        return;
    case CMD_FIND_RESOURCE:
        SearchResource();
        return;
    case CMD_FIND_UNCOMPLETED_BUILDING:
        SearchBuildSite();
        return;
    case CMD_RUNAWAY:
        RunAway();
        return;
    default:
        break;
    }
    // Without an order (the end of a flight) there is nowhere to go: the
    // target point left in the buffer is where the attacker stood.
    if (currentCommand == CMD_NONE)
        return;
    if (IsArrived())
    {
        // Back at the building it was dismantling (a renewed order, or the
        // way back after being pushed away), the worker goes on where it was.
        const bool keepProgress = currentCommand == CMD_DISMANTLE && actionTargetBuilding != nullptr &&
                                  actionTargetBuilding == targetBuilding;
        pathFlag = 0;
        actionTargetUnit = nullptr;
        actionTargetBuilding = nullptr;
        ActOnArrival(keepProgress);
        return;
    }
    if (targetObject != nullptr && targetKind == TARGET_RESOURCE)
    {
        // Walk beside the resource; the next perform then takes the nearest
        // one of its kind from there.
        targetKind = TARGET_BLOCK;
        StartPath();
        targetObject = nullptr;
        if (currentCommand == CMD_HARVEST && targetKind == TARGET_BLOCK)
            targetKind = TARGET_RESOURCE;
        return;
    }
    StartPath();
}

bool CUnitWorker::IsArrived()
{
    if (IsTargetReached())
        return true;
    // The way back to a resource may end on another side of it than the
    // harvest point: beside it counts as back.
    return currentCommand == CMD_RETURN_TO_HARVEST_POINT && targetBuilding != nullptr &&
           IsAdjacentToBuilding(targetBuilding);
}

void CUnitWorker::ActOnArrival(bool keepDismantleProgress)
{
    switch (currentCommand)
    {
    case CMD_RETURN_TO_HARVEST_POINT:
        targetUnit = nullptr;
        targetBuilding = nullptr;
        targetObject = nullptr;
        currentCommand = CMD_FIND_RESOURCE;
        orderState = 1;
        targetKind = TARGET_RESOURCE;
        break;
    case CMD_BUILD:
        animType = ANIM_BUILD;
        actionTargetBuilding = targetBuilding;
        break;
    case CMD_HARVEST:
    {
        const int32_t kind = targetObject != nullptr ? targetObject->GetResourceKind() : KindNone;
        if (kind == KindWood || kind == KindStone || (kind == KindGold && targetObject->GetAmount() > 0))
        {
            actionTargetBuilding = targetObject;
            animType = kind == KindWood ? ANIM_CHOP_TREE : kind == KindStone ? ANIM_MINE_STONE : ANIM_MINE_GOLD;
        }
        else if (kind == KindGold || kind == KindClosedMine || targetObject == nullptr)
        {
            // A closed mine gives nothing: an open one is looked for.
            if (targetObject != nullptr)
                carriedKind = KindGold;
            StartFindResourceHere();
            return;
        }
        else
            g_Log.Write("#DEBUG: Worker onPerformAction() Harvest RESOURCE_0");
        break;
    }
    case CMD_REPAIR:
        animType = ANIM_REPAIR;
        if (targetBuilding != nullptr)
            actionTargetBuilding = targetBuilding;
        else
            actionTargetUnit = targetUnit;
        break;
    case CMD_DISMANTLE:
        if (!keepDismantleProgress)
            dismantleProgress = 0.0f;
        animType = ANIM_DISMANTLE;
        actionTargetBuilding = targetBuilding;
        break;
    case CMD_RETURN_GOODS:
        DeliverGoods();
        break;
    case CMD_GARRISON_SHIP:
        currentCommand = CMD_NONE;
        // Boarding takes the worker off the map; nothing more to turn to.
        if (BoardTransport(targetUnit))
            return;
        break;
    default:
        Stop();
        break;
    }
    if (actionTargetBuilding != nullptr)
        TurnTowards(false, static_cast<float>(actionTargetBuilding->x) + actionTargetBuilding->GetWidth() * 0.5f,
                    static_cast<float>(actionTargetBuilding->y) + actionTargetBuilding->GetDepth() * 0.5f, 0.0f);
    else if (actionTargetUnit != nullptr)
        TurnTowards(false, actionTargetUnit->centreX, actionTargetUnit->centreY, 0.0f);
    if (onMap)
        SetModelByAnimation();
}

void CUnitWorker::DeliverGoods()
{
    if (CPlayer* owner = PlayerAt(player))
    {
        if (carriedKind == KindWood)
            owner->AddResources(carriedAmount, 0, 0);
        else if (carriedKind == KindStone)
            owner->AddResources(0, carriedAmount, 0);
        else if (carriedKind == KindGold || carriedKind == KindClosedMine)
            owner->AddResources(0, 0, carriedAmount);
    }
    if (player == g_LocalPlayer && carriedAmount != 0)
        g_Particles.AddFloatingNumber(carriedAmount, GoodsColour(carriedKind), centreX, GoodsNumberHeight, centreY);
    carriedAmount = 0;
    if (hasHarvestPoint)
    {
        targetX = harvestX;
        targetY = harvestY;
        targetBuilding = FindResourceAtHarvestPoint();
        currentCommand = CMD_RETURN_TO_HARVEST_POINT;
        orderState = 1;
        targetObject = nullptr;
        targetKind = TARGET_BLOCK;
    }
    else
        Stop();
    animType = ANIM_STAND;
    if (IsNetworkGame())
        g_MultiplayerGame.SendCarriedGoods(this, carriedKind, carriedAmount);
}

CBuilding* CUnitWorker::FindResourceAtHarvestPoint() const
{
    constexpr int32_t Ring = 1;
    for (int32_t dy = -Ring; dy <= Ring; ++dy)
        for (int32_t dx = -Ring; dx <= Ring; ++dx)
        {
            const int32_t bx = harvestX + dx;
            const int32_t by = harvestY + dy;
            if (!g_GameMap.IsOnMap(bx, by))
                continue;
            CBuilding* building = std::as_const(g_GameMap).Block(bx, by).building;
            if (building == nullptr || building->IsTakenDown())
                continue;
            const int32_t kind = building->GetResourceKind();
            const bool gold = kind == KindGold || kind == KindClosedMine;
            if (kind == carriedKind || (gold && carriedKind == KindGold))
                return building;
        }
    return nullptr;
}

void CUnitWorker::StartFindResourceHere()
{
    InitAction(nullptr, nullptr, nullptr, x, y, CMD_FIND_RESOURCE, TARGET_RESOURCE, true, false);
    animType = ANIM_STAND;
    SetModelByAnimation();
}

void CUnitWorker::WalkFoundRoute(int32_t length, int32_t endX, int32_t endY)
{
    // Beside the target already: no route is left over from before.
    if (length <= 0)
        routeEnd = 0;
    CFoundRoute::Walk(*this, length, endX, endY);
}

void CUnitWorker::SearchStorage()
{
    harvestX = x;
    harvestY = y;
    hasHarvestPoint = 1;
    CPathFinder::SPoint end{x, y};
    g_PathFinder.Init(player, this);
    const int32_t length = g_PathFinder.FindStorage(x, y, route, end);
    CBuilding* storage = g_PathFinder.GetTargetBuilding();
    if (storage == nullptr)
    {
        Stop();
        return;
    }
    targetBuilding = storage;
    targetKind = TARGET_BUILDING;
    currentCommand = CMD_RETURN_GOODS;
    if (CPlayer* computer = ComputerOwner(player))
        computer->computerAI.RecordAttackPosition(this, length);
    WalkFoundRoute(length, end.x, end.y);
}

void CUnitWorker::SearchResource()
{
    CPlayer* owner = PlayerAt(player);
    const int32_t kind = carriedKind == KindClosedMine ? KindGold : carriedKind;
    const int32_t limit = owner != nullptr && owner->type == PLAYER_LOCAL ? owner->GetWorkerSearchLimit() : 0;
    CPathFinder::SPoint end{x, y};
    g_PathFinder.Init(player, this);
    const int32_t length = g_PathFinder.FindResource(x, y, kind, 0, limit, route, end);
    CBuilding* found = g_PathFinder.GetTargetBuilding();
    if (CPlayer* computer = ComputerOwner(player); computer != nullptr && kind >= 0 && kind < KindCount)
        computer->resourceRunOutTime[kind] = found != nullptr ? 0 : SysClock::TickCount();
    if (found == nullptr)
    {
        if (carriedAmount > 0)
            GoToStorage();
        else
            Stop();
        return;
    }
    targetObject = found;
    targetBuilding = found;
    objectResourceKind = found->GetResourceKind();
    targetKind = TARGET_RESOURCE;
    currentCommand = CMD_HARVEST;
    WalkFoundRoute(length, end.x, end.y);
}

void CUnitWorker::SearchBuildSite()
{
    const CPlayer* owner = PlayerAt(player);
    if (owner == nullptr || owner->type != PLAYER_LOCAL)
    {
        Stop();
        return;
    }
    CPathFinder::SPoint end{x, y};
    g_PathFinder.Init(player, this);
    const int32_t length = g_PathFinder.FindBuildSite(x, y, BuildSiteSearchLimit, route, end);
    CBuilding* site = g_PathFinder.GetTargetBuilding();
    if (site == nullptr)
    {
        Stop();
        return;
    }
    targetBuilding = site;
    targetKind = TARGET_BUILDING;
    currentCommand = CMD_BUILD;
    WalkFoundRoute(length, end.x, end.y);
}

void CUnitWorker::RunAway()
{
    if (attacker == nullptr)
    {
        Stop();
        return;
    }
    const int32_t sight = attacker->GetSightRadius();
    formationOffsetX = 0;
    formationOffsetY = 0;
    CPathFinder::SPoint end{x, y};
    g_PathFinder.Init(player, this);
    const int32_t length = g_PathFinder.FindPath(x, y, targetX, targetY, GetSize(), GetMoveLayer(), sight + 1,
                                                 2 * sight, nullptr, nullptr, 0, 0, route, end);
    // The worker flees without an order.
    Stop();
    if (length > 0)
        WalkFoundRoute(length, end.x, end.y);
}

void CUnitWorker::onMoveEnd()
{
    switch (currentCommand)
    {
    case CMD_BUILD:
        if (CPlayer* computer = ComputerOwner(player))
            computer->computerAI.RemoveFromBuildQueue(targetBuilding);
        Stop();
        break;
    case CMD_HARVEST:
        currentCommand = CMD_FIND_RESOURCE;
        orderState = 1;
        animType = ANIM_STAND;
        deadline = RetryDeadline();
        break;
    case CMD_GARRISON_SHIP:
        if (targetUnit != nullptr && targetUnit->currentCommand == CMD_MOVE_TO_GARRISON)
        {
            orderState = 1;
            deadline = RetryDeadline();
        }
        else
            Stop();
        break;
    case CMD_RETURN_TO_HARVEST_POINT:
        // No way back to the harvest point: the nearest resource of the
        // kind from here instead of asking again for ever.
        currentCommand = CMD_FIND_RESOURCE;
        targetKind = TARGET_RESOURCE;
        targetObject = nullptr;
        targetBuilding = nullptr;
        orderState = 1;
        deadline = RetryDeadline();
        break;
    case CMD_RETURN_GOODS:
        orderState = 1;
        deadline = RetryDeadline();
        break;
    default:
        Stop();
        break;
    }
    SetModelByAnimation();
}
