// Walking a route tile by tile: the per-tick interpolation between tile
// centres, the test and occupation of the next tile, waiting behind moving
// units, and the tile-step protocol of a network game, in which the host
// (player index 0) arbitrates every step of the other machines' units.

#include <algorithm>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/RangeTables.h"

namespace
{
constexpr int32_t DirectionCount = 8;
// One block is this many units of the step base: 32 straight, 45 diagonal.
constexpr float StepBaseScale = 0.03125f;
constexpr float StraightStepBase = 32.0f;
constexpr float DiagonalStepBase = 45.0f;
// A crawl slower than this many ticks per block counts as this.
constexpr int32_t MaxStepTicks = 1 << 20;
// The largest reveal circle; the fog is revealed three blocks beyond sight.
constexpr int32_t MaxRevealCircle = RangeRingCount - 1;
constexpr int32_t RevealBeyondSight = 3;

bool IsClientMachine()
{
    return g_Config.networkRole == CMultiplayer::RoleClient;
}
}  // namespace

int32_t CUnit::StepTicksFor(float blocksPerTick, bool diagonal)
{
    // Also false for NaN: such a unit does not walk at all.
    if (!(blocksPerTick > 0.0f))
        return 0;
    const float base = diagonal ? DiagonalStepBase : StraightStepBase;
    const float ticks = base * StepBaseScale / blocksPerTick;
    if (!(ticks < static_cast<float>(MaxStepTicks)))
        return MaxStepTicks;
    // A unit faster than a block per tick still spends a tick per step.
    return std::max(static_cast<int32_t>(ticks), 1);
}

void CUnit::UpdateActionBuffer(int32_t ticks)
{
    if (IsNetworkGame() && awaitingMoveAnswer)
        return;
    if (GetLivingHitPoints() <= 0)
    {
        routeEnd = 0;
        return;
    }
    // A hidden unit walks no further: its next step would put it back into
    // the blocks of the map.
    if (!onMap || !IsFootprintRegistered())
    {
        routeEnd = 0;
        pathFlag = 0;
        stepTicks = 0;
        retryCounter = 0;
        return;
    }
    for (int32_t tick = 0; tick < ticks && routeEnd != 0; ++tick)
        if (!WalkOneTick())
            return;
}

bool CUnit::WalkOneTick()
{
    if (retryCounter != 0)
    {
        RequestNextTile();
        return !(IsNetworkGame() && awaitingMoveAnswer);
    }
    if (stepTicks > 0)
    {
        --stepTicks;
        centreX += stepDeltaX;
        centreY += stepDeltaY;
        return true;
    }
    ArriveAtTileCentre();
    if (CheckTrapUnderfoot())
    {
        routeEnd = 0;
        pathFlag = 0;
        return false;
    }
    if (orderState == 1)
    {
        // A new order stops the walk here, at a tile centre.
        routeEnd = 0;
        ready = 1;
        pathFlag = 0;
        animType = ANIM_STAND;
        SetModelByAnimation();
        return false;
    }
    --currentStep;
    if (currentStep < 0)
    {
        FinishPath();
        return false;
    }
    int32_t nextX = x;
    int32_t nextY = y;
    GetNextTile(&nextX, &nextY);
    bool stop = false;
    SeekTargetOnPatrol(nextX, nextY, &stop);
    if (scriptWatcher != 0)
        if (CPlayer* owner = PlayerAt(player))
            owner->script.CheckUnitPosition(this, GetCentreCellX(), GetCentreCellY());
    if (routeEnd == 0)
        return false;
    if (stop)
    {
        routeEnd = 0;
        ready = 1;
        return false;
    }
    RequestNextTile();
    // A client asks the host for one tile per frame at most.
    return !IsClientMachine();
}

void CUnit::ArriveAtTileCentre()
{
    const float half = static_cast<float>(GetSize()) * 0.5f;
    centreX = static_cast<float>(x) + half;
    centreY = static_cast<float>(y) + half;
}

// A computer player's unit at the end of its path tells its opponent
// nothing: the order-done notice is for a unit that finds no path.
void CUnit::FinishPath()
{
    routeEnd = 0;
    pathFlag = 0;
    animType = ANIM_STAND;
    ready = 1;
    SetModelByAnimation();
    if (aiOrderPending != 0)
        GlobalFunc::NopArg(this);
    if (!IsOwnedHere(player))
        return;
    if (waypointCount > 0)
        StartPath();
    else
        onPerformAction();
}

void CUnit::RequestNextTile()
{
    if (awaitingMoveAnswer)
        return;
    if (routeEnd <= 0 || currentStep < 0 || currentStep >= routeEnd)
        return;
    const int32_t direction = route[currentStep];
    if (direction >= DirectionCount)
    {
        GiveUpBlockedTile();
        return;
    }
    const int32_t nextX = x + DirectionDX[direction];
    const int32_t nextY = y + DirectionDY[direction];
    const int32_t newFacing = DirectionFacing[direction];
    if (IsNetworkGame() && player != CMultiplayer::HostSlot)
    {
        awaitingMoveAnswer = 1;
        g_MultiplayerGame.RequestMoveStep(this, nextX, nextY, newFacing, direction);
        return;
    }
    SetDirection(newFacing, true);
    switch (TestTileFree(nextX, nextY))
    {
    case TileFree:
        StepToTile(nextX, nextY, newFacing);
        if (IsNetworkGame())
            g_MultiplayerGame.SendPacket(CNetPacket::Make(CMultiplayerGame::CommandMoveStep,
                                                          CMultiplayer::GetUnitRef(this), nextX, nextY, newFacing,
                                                          direction, TileFree),
                                         CMultiplayer::AllMachines);
        SetModelByAnimation();
        break;
    case TileHeldByMovers:
        StandAndWait();
        break;
    default:
        GiveUpBlockedTile();
        break;
    }
}

void CUnit::StandAndWait()
{
    // Counts on for as long as the wait lasts, but never past its top.
    if (retryCounter < INT32_MAX)
        ++retryCounter;
    // Units that wait long enough stop counting as moving, so that those
    // waiting for them find the tile blocked and look for another way.
    if (retryCounter >= MaxTileRetries)
        pathFlag = 0;
    ready = 1;
    animType = ANIM_STAND;
    SetModelByAnimation();
}

void CUnit::GiveUpBlockedTile()
{
    routeEnd = 0;
    retryCounter = 0;
    threaded = 1;
    orderState = 1;
    pathFlag = 0;
    ready = 1;
    animType = ANIM_STAND;
    SetModelByAnimation();
}

int32_t CUnit::TestTileFree(int32_t tx, int32_t ty) const
{
    const int32_t size = GetSize();
    bool metMover = false;
    for (int32_t cellX = tx; cellX < tx + size; ++cellX)
        for (int32_t cellY = ty; cellY < ty + size; ++cellY)
        {
            if (!g_GameMap.IsOnMap(cellX, cellY))
                return TileBlocked;
            const SMapBlock& block = std::as_const(g_GameMap).Block(cellX, cellY);
            if (block.blocked)
                return TileBlocked;
            if (block.unit == nullptr || block.unit == this)
                continue;
            if (!block.unit->pathFlag)
                return TileBlocked;
            metMover = true;
        }
    return metMover ? TileHeldByMovers : TileFree;
}

void CUnit::StepToTile(int32_t tx, int32_t ty, int32_t newFacing)
{
    (void)newFacing;
    const int32_t ticksForStep = StepTicksFor(speed, tx != x && ty != y);
    if (ticksForStep <= 0)
    {
        // A unit without speed cannot leave its tile.
        routeEnd = 0;
        pathFlag = 0;
        retryCounter = 0;
        ready = 1;
        animType = ANIM_STAND;
        return;
    }
    const int32_t cellX = tx + GetSize() / 2;
    const int32_t cellY = ty + GetSize() / 2;
    const int32_t radius = GetSightRadius();
    CPlayer* owner = PlayerAt(player);
    if (owner != nullptr)
        if (const CRangeTable* sight = SightPattern(radius))
            owner->ScanSightPattern(cellX, cellY, *sight);
    int32_t reveal = radius + RevealBeyondSight;
    if (reveal > MaxRevealCircle)
    {
        DEBUG_REPORT("#DEBUG: Reveal circle out of range");
        reveal = MaxRevealCircle;
    }
    if (owner != nullptr)
        if (const CRangeTable* circle = SightPattern(reveal))
            owner->UpdateSightArea(cellX, cellY, *circle, 0);
    pathFlag = 1;
    retryCounter = 0;
    stepTicks = ticksForStep;
    stepDeltaX = static_cast<float>(tx - x) / static_cast<float>(ticksForStep);
    stepDeltaY = static_cast<float>(ty - y) / static_cast<float>(ticksForStep);
    SetTile(tx, ty);
    animType = ANIM_WALK;
    ready = 0;
}

void CUnit::SetTile(int32_t tx, int32_t ty)
{
    const bool registered = IsFootprintRegistered();
    const int32_t oldCentreX = GetCentreCellX();
    const int32_t oldCentreY = GetCentreCellY();
    if (registered)
        PlaceFootprint(false);
    x = tx;
    y = ty;
    if (registered)
    {
        PlaceFootprint(true);
        MoveSight(oldCentreX, oldCentreY);
    }
    RefreshFogArea(sightRadiusInUse);
    CaptureAdjacent();
}

void CUnit::GetNextTile(int32_t* nextX, int32_t* nextY) const
{
    *nextX = x;
    *nextY = y;
    if (routeEnd == 0 || currentStep < 0 || currentStep >= routeEnd || route[currentStep] >= DirectionCount)
        return;
    *nextX = x + DirectionDX[route[currentStep]];
    *nextY = y + DirectionDY[route[currentStep]];
}

void CUnit::GetStepTargetCentre(float* cx, float* cy) const
{
    if (!pathFlag)
    {
        *cx = centreX;
        *cy = centreY;
        return;
    }
    // The tile is taken at the start of a step: it is the step's target.
    const float half = static_cast<float>(GetSize()) * 0.5f;
    *cx = static_cast<float>(x) + half;
    *cy = static_cast<float>(y) + half;
}

bool CUnit::IsValidStep(int32_t tx, int32_t ty, int32_t direction) const
{
    if (direction < 0 || direction >= DirectionCount)
        return false;
    if (tx != x + DirectionDX[direction] || ty != y + DirectionDY[direction])
        return false;
    const int32_t size = GetSize();
    return g_GameMap.IsOnMap(tx, ty) && g_GameMap.IsOnMap(tx + size - 1, ty + size - 1);
}

void CUnit::OnNetworkMoveResponse(int32_t tx, int32_t ty, int32_t newFacing, int32_t result, int32_t direction)
{
    awaitingMoveAnswer = 0;
    // A unit that died or left the map meanwhile must not step back into
    // the blocks.
    if (!IsAlive() || !onMap || !IsFootprintRegistered() || GetLife() != UnitLife::OnMap)
        return;
    if (result < TileFree || result > TileBlocked)
    {
        DEBUG_REPORT("#DEBUG: Invalid move answer");
        return;
    }
    SetDirection(newFacing, false);
    switch (result)
    {
    case TileFree:
        if (!IsValidStep(tx, ty, direction))
        {
            DEBUG_REPORT("#DEBUG: Invalid move answer");
            break;
        }
        if (!IsOwnedHere(player))
        {
            route[0] = static_cast<uint8_t>(direction);
            routeEnd = 1;
            currentStep = 0;
            moveDestX = tx;
            moveDestY = ty;
            retryCounter = 0;
            waypointCount = 0;
        }
        ArriveAtTileCentre();
        StepToTile(tx, ty, newFacing);
        break;
    case TileHeldByMovers:
        StandAndWait();
        break;
    default:
        GiveUpBlockedTile();
        break;
    }
    SetModelByAnimation();
}

void CUnit::OnNetworkMoveRequest(int32_t sender, int32_t tx, int32_t ty, int32_t newFacing, int32_t direction)
{
    if (g_Config.networkRole != CMultiplayer::RoleHost)
        return;
    // Only the owner's machine may move a unit, only onto a neighbouring
    // tile of the map, and only while the unit stands on it.
    int32_t result = TileBlocked;
    if (sender == player && IsAlive() && onMap && IsFootprintRegistered() && GetLife() == UnitLife::OnMap &&
        IsValidStep(tx, ty, direction))
        result = TestTileFree(tx, ty);
    const int32_t receiver = result == TileFree ? CMultiplayer::AllMachines : player;
    g_MultiplayerGame.SendPacket(CNetPacket::Make(CMultiplayerGame::CommandMoveStep, CMultiplayer::GetUnitRef(this), tx,
                                                  ty, newFacing, direction, result),
                                 receiver);
    OnNetworkMoveResponse(tx, ty, newFacing, result, direction);
}
