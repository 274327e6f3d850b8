// The worker's harvest: the strokes of chopping and mining, the gold taken
// inside a mine, the load and the way to storage, and the way out of a
// gold mine through a free exit cell (asked of the host on the other
// machines of a network game).

#include "buildings/C_Building.h"
#include "game/C_Selection.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_Unit_Worker.h"
#include "units/C_UnitActionBuffer.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
constexpr SSoundPair ChopSound = {0, 4};
constexpr SSoundPair StoneSound = {4, 2};
constexpr float WholeGold = 1.0f;
constexpr int32_t HostPlayerIndex = 0;

bool IsGoldKind(int32_t kind)
{
    return kind == CUnitWorker::KindGold || kind == CUnitWorker::KindClosedMine;
}
}  // namespace

void CUnitWorker::AnimateHarvest()
{
    if (!AdvanceCycle(GetHarvestRate(carriedKind)))
        return;
    const SSoundPair sound = animType == ANIM_CHOP_TREE ? ChopSound : StoneSound;
    PlaySoundAt(sound.sample, sound.variants, 0);
    if (IsOwnedHere(player))
        HarvestOne(actionTargetBuilding);
}

void CUnitWorker::AnimateGold()
{
    animFrame += GetHarvestRate(KindGold);
    while (animFrame >= WholeGold && animType == ANIM_MINE_GOLD)
    {
        animFrame -= WholeGold;
        if (IsOwnedHere(player))
            HarvestOne(actionTargetBuilding);
    }
}

void CUnitWorker::HarvestOne(CBuilding* resource)
{
    if (resource == nullptr || resource->IsTakenDown() || resource->GetAmount() <= 0)
    {
        // A worker inside an emptied mine comes out before it looks further.
        if (!onMap && !LeaveMine())
            return;
        if (carriedAmount > 0 && IsGoldKind(carriedKind))
            GoToStorage();
        else
            StartFindResourceHere();
        return;
    }
    if (carriedAmount >= GetCarryLimit())
    {
        GoToStorage();
        return;
    }
    if (!IsNetworkGame())
    {
        AddCarriedGoods(resource, resource->TakeOne());
        return;
    }
    if (g_LocalPlayer == HostPlayerIndex)
    {
        AddCarriedGoods(resource, resource->TakeOne());
        g_MultiplayerGame.SendResourceAmount(resource, resource->GetAmount());
        return;
    }
    g_MultiplayerGame.RequestHarvest(this, resource);
}

bool CUnitWorker::AddCarriedGoods(CBuilding* resource, int32_t amount)
{
    const int32_t limit = GetCarryLimit();
    if (resource == nullptr || carriedAmount >= limit)
        return false;
    const bool wasEmpty = carriedAmount == 0;
    carriedAmount += amount;
    if (wasEmpty && carriedAmount > 0 && IsNetworkGame() && IsOwnedHere(player))
        g_MultiplayerGame.SendCarriedGoods(this, carriedKind, carriedAmount);
    if (carriedAmount >= limit)
    {
        GoToStorage();
        return true;
    }
    if (resource->GetAmount() > 0)
        return false;
    if (IsGoldKind(resource->GetResourceKind()))
        GoToStorage();
    else
        StartFindResourceHere();
    return true;
}

void CUnitWorker::GoToStorage()
{
    // Inside a mine nothing changes until the worker is out again.
    if (!onMap && !LeaveMine())
        return;
    InitAction(nullptr, nullptr, nullptr, x, y, CMD_FIND_STORAGE, TARGET_BUILDING, true, false);
    animType = ANIM_STAND;
    SetModelByAnimation();
}

void CUnitWorker::LeaveToStorage(int32_t tx, int32_t ty)
{
    leaveRequested = 0;
    if (!onMap)
    {
        const int32_t kind = carriedKind;
        x = tx;
        y = ty;
        ShowUnit(true);
        carriedKind = kind;
        if (!onMap)
            return;
    }
    InitAction(nullptr, nullptr, nullptr, x, y, CMD_FIND_STORAGE, TARGET_BUILDING, true, false);
    animType = ANIM_STAND;
    SetModelByAnimation();
}

bool CUnitWorker::LeaveMine()
{
    if (onMap)
        return true;
    // Only a worker inside a gold mine comes out of one; one off the map for
    // another reason (aboard a ship) stays where it is.
    if (animType != ANIM_MINE_GOLD)
        return false;
    if (IsNetworkGame() && player != HostPlayerIndex)
    {
        if (!leaveRequested)
        {
            leaveRequested = 1;
            g_MultiplayerGame.RequestWorker(this);
        }
        return false;
    }
    int32_t cell[2] = {harvestX, harvestY};
    const CBuilding* mine = actionTargetBuilding;
    const bool found = mine != nullptr ? mine->FindExitCell(GetSize(), GetMoveLayer(), cell)
                                       : g_GameMap.IsAreaFree(cell[0], cell[1], GetSize(), GetMoveLayer());
    if (!found)
        return false;
    // Stepping out stops the worker, which would forget an empty load's kind.
    const int32_t kind = carriedKind;
    x = cell[0];
    y = cell[1];
    ShowUnit(true);
    carriedKind = kind;
    if (!onMap)
        return false;
    actionTargetBuilding = nullptr;
    if (IsNetworkGame())
        g_MultiplayerGame.SendWorkerLeave(this, x, y);
    return true;
}

void CUnitWorker::EnterMine()
{
    if (!onMap)
        return;
    harvestX = x;
    harvestY = y;
    g_Selection.RemoveUnit(this);
    if (IsNetworkGame() && IsOwnedHere(player))
        g_MultiplayerGame.SendUnitHidden(this);
    ShowUnit(false);
    animFrame = 0.0f;
}
