// A building changing hands, and its part in the fog of war.

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "effects/C_Particles.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"
#include "world/C_Technology.h"
#include "world/RangeTables.h"

namespace
{
constexpr uint32_t ConvertedColour = 0x0000FF00;
// The patterns a new owner scans over each footprint block: the smallest
// sight disc, then the filled disc of radius 6.
constexpr int32_t BlockSightRing = 0;
constexpr int32_t SurroundingsRing = 5;
constexpr int32_t SightRefreshMargin = 6;
constexpr int32_t MarkRefreshMargin = 1;

bool IsPlayerIndex(int32_t index)
{
    return g_Players != nullptr && index >= 0 && index < MaxPlayers;
}
}  // namespace

bool CBuilding::ConvertToPlayer(int32_t newOwner, bool announce)
{
    if (!IsPlayerIndex(newOwner))
    {
        DEBUG_REPORT("#DEBUG: Building conversion to a player that does not exist");
        return false;
    }
    if (newOwner == owner || takenDown || !IsAlive())
        return false;
    const int32_t previousOwner = owner;
    const bool hadSight = sightGiven != 0;
    if (IsPlayerIndex(previousOwner))
    {
        CPlayer& oldOwner = g_Players[previousOwner];
        EndOwnerWork();
        // A conversion is no loss: whatever the removal counts is undone.
        const int32_t lost = oldOwner.statistics[STAT_BUILDINGS_LOST];
        if (countedAsPlaced || countedAsFinished || oldOwner.HasBuilding(this))
            oldOwner.RemoveBuilding(this, 0);
        oldOwner.statistics[STAT_BUILDINGS_LOST] = lost;
    }
    if (hadSight)
        UpdateOwnerSight(-1);
    AddConstructionMark(-1);
    owner = newOwner;
    CPlayer& player = g_Players[newOwner];
    // A finished building joins the new owner's list and counts; one under
    // construction only its construction count, so that finishing it lists
    // and counts it once.
    if (countedAsFinished)
        player.AddBuilding(this);
    else
    {
        if (countedAsPlaced)
            player.OnBuildingPlaced(this);
        ++player.buildingsAdded;
        player.script.OnBuildingConverted(this);
    }
    TakeOverQueue();
    if (hadSight)
        UpdateOwnerSight(+1);
    if (placed)
        AddConstructionMark(+1);
    ApplySight(newOwner);
    OnOwnerChanged(previousOwner);
    if (newOwner != g_LocalPlayer)
        return true;
    g_Particles.AddTargetMark(nullptr, this);
    GetPlayerServices().AddMinimapMarker(x + GetWidth() / 2, y + GetDepth() / 2, ConvertedColour);
    if (!announce)
        return true;
    const char* name = g_Localizer.GetString(GetName(), false);
    const char* text = g_Localizer.GetString("MSG_BUILDING_CONVERTED", false);
    const CString line =
        GlobalFunc::ReplaceString(text != nullptr ? text : "", "%s", name != nullptr ? name : GetName());
    GetPlayerServices().AddMessage(line.GetBuffer(), ConvertedColour);
    PlaySelectSound();
    return true;
}

// What the old owner started here and only the old owner can go on with
// ends with the change: its research (the technology state is the old
// owner's) is paid back to it, and a finished unit waiting for its exit,
// which is listed with the old owner, never lived.  The queue stays: its
// items are paid for and the new owner trains them.
void CBuilding::EndOwnerWork()
{
    const bool researching = research != nullptr;
    if (researching)
    {
        RefundItem(research->type);
        if (research->researchingBuilding == this)
            research->researchingBuilding = nullptr;
        research = nullptr;
    }
    ReturnProductionCount();
    DiscardHeldUnit();
    // The progress was the research's.
    if (researching)
    {
        progress = 0.0f;
        productionState = ProductionIdle;
    }
}

// The head item the old owner had started is the new owner's unit in
// production now: it finishes from where it stands.
void CBuilding::TakeOverQueue()
{
    if (!IsHeadInProduction())
        return;
    if (CPlayer* player = PlayerAt(owner))
        player->CountUnitInProduction(queue[0]->unitType, +1);
}

void CBuilding::AddConstructionMark(int32_t delta)
{
    CPlayer* player = PlayerAt(owner);
    if (player == nullptr)
        return;
    if (delta > 0 && (constructionMarked || IsFinished() || !g_Config.fogOfWar || owner != g_LocalPlayer))
        return;
    if (delta < 0 && !constructionMarked)
        return;
    player->AddConstructionSite(x, y, x + GetWidth() - 1, y + GetDepth() - 1, delta > 0 ? int8_t(1) : int8_t(-1));
    constructionMarked = delta > 0 ? 1 : 0;
    g_GameMap.UpdateArea(x - MarkRefreshMargin, y - MarkRefreshMargin, GetWidth() + 2 * MarkRefreshMargin,
                         GetDepth() + 2 * MarkRefreshMargin);
}

void CBuilding::RestoreConstructionMark()
{
    constructionMarked = 0;
    if (placed)
        AddConstructionMark(+1);
}

void CBuilding::UpdateOwnerSight(int32_t sign)
{
    // Only what was given is taken away, and nothing is given twice: the
    // owner's sight counts are 8-bit.
    if ((sign > 0) == (sightGiven != 0))
        return;
    AddOwnerSight(sign > 0 ? int8_t(1) : int8_t(-1));
}

void CBuilding::ApplySight(int32_t playerIndex)
{
    if (playerIndex == -1)
        playerIndex = g_LocalPlayer;
    if (!IsPlayerIndex(playerIndex) || g_SightDiscs == nullptr || g_FilledDiscs == nullptr)
        return;
    CPlayer& player = g_Players[playerIndex];
    for (int32_t i = 0; i < GetWidth(); ++i)
        for (int32_t j = 0; j < GetDepth(); ++j)
        {
            player.ScanSightPattern(x + i, y + j, g_SightDiscs[BlockSightRing]);
            player.ScanSightPattern(x + i, y + j, g_FilledDiscs[SurroundingsRing]);
        }
    // One refresh covers what a refresh per block would.
    g_GameMap.UpdateArea(x - SightRefreshMargin, y - SightRefreshMargin, GetWidth() + 2 * SightRefreshMargin,
                         GetDepth() + 2 * SightRefreshMargin);
}
