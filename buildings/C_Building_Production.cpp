// The production queue and the research of a building: items are paid for
// when they are queued, the head item is worked on every simulation step,
// a finished unit waits inside until it has a cell to step out to, and the
// command panel's requests (queue, research, cancel, demolish, the king)
// arrive through OnPanelCommand.
//
// The owner counts a unit as "in production" from the step that starts
// the head item until its unit is made; IsHeadInProduction derives that
// from the queue alone, so every path that lowers the counts asks it and
// none lowers them twice.

#include <algorithm>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "game/C_BuildingCommand.h"
#include "game/C_Selection.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr uint32_t NoticeColour = 0xFFFF00;
constexpr uint32_t DoneColour = 0x00FF00;
constexpr int32_t ShiftQueueCount = 5;
// A client asks the host again after this many waiting steps.
constexpr int32_t ExitRequestInterval = 32;
// A client shows "waiting for the host" for its first requests only.
constexpr int32_t HostWaitRequests = 2;
constexpr int32_t MercenaryTechnology = 44;   // "TC_MERC_FORCE"
constexpr float MercenaryRateFactor = 1.3f;

// The speed factor comes from the configuration file; a factor below 1
// would stop or reverse every production.
int32_t ProductionFactor()
{
    return std::max(g_Config.productionFactor, 1);
}

bool IsTowerArcherItem(const CUnitStats* item)
{
    return item != nullptr && item->unitType == UNIT_TOWERARCHER;
}

// Workers, catapults, priests and transport ships are no mercenaries.
bool IsHiredFaster(int32_t unitType)
{
    return unitType != UNIT_WORKER && unitType != UNIT_CATAPULT && unitType != UNIT_PRIEST &&
           unitType != UNIT_TRANSPORTSHIP;
}

void ShowLocalised(const char* key, uint32_t colour)
{
    const char* text = g_Localizer.GetString(key, false);
    GetPlayerServices().AddMessage(text != nullptr ? text : "", colour);
}

bool IsLocalOwner(int32_t owner)
{
    return owner >= 0 && owner == g_LocalPlayer;
}

bool IsUnitFootprintOnMap(int32_t cellX, int32_t cellY, int32_t size)
{
    return g_GameMap.IsOnMap(cellX, cellY) && g_GameMap.IsOnMap(cellX + size - 1, cellY + size - 1);
}
}  // namespace

// ---- Queue and research entries ------------------------------------------------

bool CBuilding::EnqueueItem(const CUnitStats* item)
{
    CPlayer* player = PlayerAt(owner);
    if (item == nullptr || player == nullptr)
    {
        DEBUG_REPORT("#DEBUG: Nothing to queue");
        return false;
    }
    if (queueCount >= QueueCapacity)
    {
        if (IsLocalOwner(owner))
            ShowLocalised("MSG_PRODUCTIONFULL", NoticeColour);
        return false;
    }
    // A tower has five places; an archer beyond them would be paid for and
    // never stationed.
    if (IsTowerArcherItem(item) && GetBuildCast() == CastTower)
    {
        const CBuildingTower& tower = static_cast<const CBuildingTower&>(*this);
        const int32_t queued = static_cast<int32_t>(std::count_if(queue, queue + queueCount, IsTowerArcherItem));
        if (tower.archerCount + queued >= CBuildingTower::ArcherCapacity)
            return false;
    }
    if (!player->HasResources(item->woodCost, item->stoneCost, item->goldCost, 1))
        return false;
    queue[queueCount++] = item;
    return true;
}

int32_t CBuilding::StartResearch(int32_t technologyIndex)
{
    CPlayer* player = PlayerAt(owner);
    if (player == nullptr)
        return 0;
    if (!CTechnologyTree::IsValidId(technologyIndex))
    {
        LogInvalidTechnologyId(technologyIndex);
        return 0;
    }
    // A second research would leave the first one linked here and unpaid
    // for, and a research over a started unit would take its progress.
    if (research != nullptr || (queueCount > 0 && (progress != 0.0f || productionUnit != nullptr)))
    {
        DEBUG_REPORT("#DEBUG: Technology research not allowed when an other is in progress");
        return 0;
    }
    CTechnology& state = player->technologies[technologyIndex];
    // Researched twice, its effects would be applied twice.
    if (state.researchingBuilding != nullptr || state.IsResearched())
    {
        DEBUG_REPORT("#DEBUG: Technology is researched or being researched");
        return 0;
    }
    const CUnitStats* record = state.type;
    if (record == nullptr)
    {
        DEBUG_REPORT("#DEBUG: Technology has no type record");
        return 0;
    }
    if (!player->HasResources(record->woodCost, record->stoneCost, record->goldCost, 1))
        return 0;
    research = &state;
    state.StartResearch(this);
    return 1;
}

// ---- The production step -------------------------------------------------------

void CBuilding::UpdateProduction(int32_t ticks)
{
    if (ticks <= 0 || takenDown)
        return;
    const float work = static_cast<float>(ProductionFactor()) * static_cast<float>(ticks);
    if (research != nullptr)
    {
        StepResearch(work);
        return;
    }
    if (queueCount <= 0)
        return;
    if (queue[0] == nullptr)
    {
        DEBUG_REPORT("#DEBUG: Empty entry at the head of the production queue");
        RemoveQueueEntry(0);
        return;
    }
    if (!IsTowerArcherItem(queue[0]))
    {
        if (productionUnit != nullptr)
        {
            if (!TryReleaseUnit())
            {
                const bool waitsForHost = IsNetworkGame() && exitRequests < HostWaitRequests;
                productionState = waitsForHost ? ProductionWaitingForHost : ProductionNoExit;
                return;
            }
            if (queueCount <= 0 || queue[0] == nullptr)
                return;
        }
        if (progress == 0.0f && !IsTowerArcherItem(queue[0]) && !StartHeadItem())
            return;
    }
    AdvanceHeadItem(work);
}

void CBuilding::StepResearch(float work)
{
    CTechnology* state = research;
    if (state->researchingBuilding != this)
    {
        // Someone else took the research over; this building has none left.
        g_Log.Write("#DEBUG: Research is no longer linked to its building");
        research = nullptr;
        progress = 0.0f;
        productionState = ProductionIdle;
        return;
    }
    const EResearchStep step = state->AdvanceResearch(work);
    if (step == EResearchStep::Running)
    {
        progress = state->progress;
        productionState = ProductionResearching;
        return;
    }
    // Only a research finished by this step is applied here: one finished
    // by another way (script, network) was applied there.
    if (step == EResearchStep::FinishedNow)
    {
        CPlayer* player = PlayerAt(owner);
        if (player != nullptr)
            player->OnTechnologyResearched(state->technologyId);
        if (IsLocalOwner(owner))
            AnnounceDone(state->type);
        if (IsNetworkGame() && IsOwnedHere(owner))
            g_MultiplayerGame.SendTechnologyResearched(owner, state->technologyId);
    }
    research = nullptr;
    progress = 0.0f;
    productionState = ProductionIdle;
}

// Population gate of the head item; the owner counts it from now on.
bool CBuilding::StartHeadItem()
{
    CPlayer* player = PlayerAt(owner);
    if (player == nullptr)
        return false;
    uint8_t atMaximum = 0;
    if (player->IsPopulationFull(&atMaximum))
    {
        // The message comes once; the state stays until the item starts.
        if (productionState != ProductionIdle)
            return false;
        productionState = atMaximum ? ProductionPopulationMaximum : ProductionNeedsHouses;
        if (IsLocalOwner(owner))
            ShowLocalised(atMaximum ? "MSG_POPLIMITREACHED" : "MSG_NEEDMOREHOUSES", NoticeColour);
        return false;
    }
    // Without work to do the item stays unstarted and uncounted: a step that
    // left the progress at 0 would count it again next time.
    if (queue[0]->rate <= 0.0f)
        return false;
    player->CountUnitInProduction(queue[0]->unitType, +1);
    return true;
}

void CBuilding::AdvanceHeadItem(float work)
{
    const CUnitStats& item = *queue[0];
    float rate = item.rate;
    CPlayer* player = PlayerAt(owner);
    if (player != nullptr && IsHiredFaster(item.unitType) && player->IsResearched(MercenaryTechnology))
        rate *= MercenaryRateFactor;
    if (rate <= 0.0f)
        return;
    productionState = ProductionRunning;
    progress += work * rate;
    if (progress < FinishedProgress)
        return;
    progress = FinishedProgress;
    CompleteHeadItem();
}

void CBuilding::CompleteHeadItem()
{
    if (IsTowerArcherItem(queue[0]))
    {
        StationTowerArcher();
        return;
    }
    CPlayer* player = PlayerAt(owner);
    if (player == nullptr)
        return;
    const int32_t unitType = queue[0]->unitType;
    CUnit* unit = player->CreateUnit(unitType, -1, -1);
    if (unit == nullptr)
    {
        // The player's list is full: the item stays finished and counted,
        // and the next step tries again.
        productionState = ProductionPopulationMaximum;
        return;
    }
    productionUnit = unit;
    player->CountUnitInProduction(unitType, -1);
    if (IsNetworkGame() && IsOwnedHere(owner))
        g_MultiplayerGame.SendUnitProduced(this, unitType, unit->uniqueId);
}

// The archer goes straight to the tower: it never waits for an exit and is
// never counted in production.  The id sent is the id the archer gets, so
// that the other machines can find it by that id.
void CBuilding::StationTowerArcher()
{
    const CUnitStats* item = queue[0];
    CPlayer* player = PlayerAt(owner);
    CBuildingTower* tower = GetBuildCast() == CastTower ? static_cast<CBuildingTower*>(this) : nullptr;
    const bool room = player != nullptr && tower != nullptr && tower->archerCount < CBuildingTower::ArcherCapacity;
    const int32_t uniqueId = room ? player->NextUnitId(0) : -1;
    if (room && tower->AddArcher(uniqueId))
    {
        if (IsNetworkGame() && IsOwnedHere(owner))
            g_MultiplayerGame.SendTowerArcherTrained(this, uniqueId);
        if (IsLocalOwner(owner))
            AnnounceDone(item);
    }
    else
    {
        g_Log.Write("#DEBUG: No place for the tower archer, its price is refunded");
        RefundItem(item);
    }
    RemoveQueueEntry(0);
}

// ---- Leaving the building --------------------------------------------------------

bool CBuilding::TryReleaseUnit()
{
    CUnit* unit = productionUnit;
    if (unit == nullptr)
        return false;
    if (!IsNetworkGame() || owner == CMultiplayer::HostSlot)
    {
        int32_t cell[2] = {-1, -1};
        if (!FindExitCell(unit->GetSize(), unit->GetMoveLayer(), cell))
            return false;
        if (IsNetworkGame())
            g_MultiplayerGame.SendPacket(CNetPacket::Make(CMultiplayerGame::CommandBuildingExit,
                                                          CMultiplayer::GetBuildingRef(this),
                                                          CMultiplayer::GetUnitRef(unit), cell[0], cell[1]),
                                         CMultiplayer::AllMachines);
        return ReleaseUnit(unit, cell[0], cell[1]);
    }
    if (exitRequests % ExitRequestInterval == 0)
        g_MultiplayerGame.RequestEnterBuilding(this, unit);
    ++exitRequests;
    return false;
}

bool CBuilding::ReleaseUnit(CUnit* unit, int32_t cellX, int32_t cellY)
{
    if (unit != nullptr && unit->GetCastID() == UNIT_KING)
        DEBUG_REPORT("#DEBUG: Only for production units!");
    // The host may answer twice (a client asks every 32 steps), or after the
    // item was cancelled: only the unit held here may leave, and only once.
    if (unit == nullptr || unit != productionUnit)
    {
        g_Log.Write("#DEBUG: Exit for a unit the building does not hold");
        return false;
    }
    if (!IsUnitFootprintOnMap(cellX, cellY, unit->GetSize()))
    {
        g_Log.Write("#DEBUG: Exit cell outside the map");
        return false;
    }
    productionUnit = nullptr;
    unit->x = cellX;
    unit->y = cellY;
    unit->ShowUnit(true);
    unit->stance = STANCE_AGGRESSIVE;
    if (unit->currentCommand == CMD_NONE || unit->currentCommand == CMD_PATROL)
        unit->onIdle();
    if (rallyX != NoRally && rallyY != NoRally && IsOwnedHere(owner))
        unit->InitAction(nullptr, nullptr, nullptr, rallyX, rallyY, CMD_MOVE_TO, TARGET_BLOCK, true, false);
    if (IsLocalOwner(owner) && queueCount > 0)
        AnnounceDone(queue[0]);
    exitRequests = 0;
    if (CPlayer* player = PlayerAt(owner))
        player->OnUnitTrained(unit);
    PopQueue();
    return true;
}

void CBuilding::PopQueue()
{
    if (IsNetworkGame() && !IsOwnedHere(owner))
        return;
    if (queueCount <= 0)
    {
        DEBUG_REPORT("#DEBUG: Unit production count underrun");
        queueCount = 0;
    }
    else
        RemoveQueueEntry(0);
    // A unit still held would stay in its owner's list, off the map, for
    // ever.
    DiscardHeldUnit();
    progress = 0.0f;
    productionState = ProductionIdle;
}

void CBuilding::RemoveQueueEntry(int32_t slot)
{
    if (slot < 0 || slot >= queueCount)
        return;
    std::copy(queue + slot + 1, queue + queueCount, queue + slot);
    --queueCount;
    queue[queueCount] = nullptr;
    if (slot == 0)
    {
        progress = 0.0f;
        productionState = ProductionIdle;
    }
}

// ---- The owner's counts ---------------------------------------------------------

bool CBuilding::IsHeadInProduction() const
{
    // While a research runs the progress is the research's, and a research
    // only starts before the head item does.
    return research == nullptr && queueCount > 0 && queue[0] != nullptr && !IsTowerArcherItem(queue[0]) &&
           progress != 0.0f && productionUnit == nullptr;
}

void CBuilding::ReturnProductionCount()
{
    if (!IsHeadInProduction())
        return;
    if (CPlayer* player = PlayerAt(owner))
        player->CountUnitInProduction(queue[0]->unitType, -1);
}

// A unit made for an item that is given up: it never lived, so it does not
// count as a loss.
void CBuilding::DiscardHeldUnit()
{
    CUnit* unit = productionUnit;
    if (unit == nullptr)
        return;
    CPlayer* player = PlayerAt(owner);
    const bool listed = player != nullptr && player->HasUnit(unit);
    ReleaseProductionUnit(true);
    if (listed && player->statistics[STAT_UNITS_LOST] > 0)
        --player->statistics[STAT_UNITS_LOST];
}

void CBuilding::RefundItem(const CUnitStats* item) const
{
    CPlayer* player = PlayerAt(owner);
    if (item != nullptr && player != nullptr)
        player->RefundResources(item->woodCost, item->stoneCost, item->goldCost);
}

// A yellow marker at the building's centre and the item's message in green.
void CBuilding::AnnounceDone(const CUnitStats* item) const
{
    GetPlayerServices().AddMinimapMarker(x + GetWidth() / 2, y + GetDepth() / 2, NoticeColour);
    if (item != nullptr)
        GetPlayerServices().AddMessage(item->message, DoneColour);
}

// ---- The command panel -----------------------------------------------------------

bool CBuilding::OnPanelCommand()
{
    CBuildingCommand& command = g_BuildingCommand;
    if (command.item != nullptr)
    {
        const int32_t times = g_Selection.shiftDown ? ShiftQueueCount : 1;
        for (int32_t i = 0; i < times && EnqueueItem(command.item); ++i)
        {
        }
    }
    if (command.technology != CBuildingCommand::NoTechnology)
        StartResearch(command.technology);
    if (command.cancelSlot == CBuildingCommand::CancelDemolish)
        Demolish();
    else if (command.cancelSlot == CBuildingCommand::CancelCurrent)
        CancelCurrent();
    else if (command.cancelSlot > 0)
        CancelQueueEntry(command.cancelSlot);
    const bool kingCommand = command.commandCode == CBuildingCommand::CodeUngarrisonKing;
    if (kingCommand)
        RunKingCommand();
    command.cancelSlot = CBuildingCommand::NoCancel;
    pendingCommand = kingCommand ? 0 : command.commandCode;
    g_Selection.pendingAction = pendingCommand;
    g_Selection.pendingValue = 0;
    return true;
}

// Cancelling gives the full price back at any stage.
void CBuilding::CancelCurrent()
{
    if (research != nullptr)
    {
        RefundItem(research->type);
        if (research->researchingBuilding == this)
            research->researchingBuilding = nullptr;
        research = nullptr;
    }
    else if (queueCount > 0)
    {
        RefundItem(queue[0]);
        ReturnProductionCount();
        DiscardHeldUnit();
        RemoveQueueEntry(0);
    }
    progress = 0.0f;
    productionState = ProductionIdle;
}

// The slot comes from the icon under the mouse in the last frame; the queue
// may have moved on since.
void CBuilding::CancelQueueEntry(int32_t slot)
{
    if (slot >= queueCount)
    {
        g_Log.Write("#DEBUG: Cancelled production slot is empty");
        return;
    }
    RefundItem(queue[slot]);
    RemoveQueueEntry(slot);
}

void CBuilding::RunKingCommand()
{
    if (GetBuildCast() != CastKeep)
    {
        DEBUG_REPORT("#DEBUG: Ungarrison available only for keep");
        return;
    }
    if (!UngarrisonKing())
        ShowLocalised("MSG_NOPLACEFORUNGARRKING", NoticeColour);
}

void CBuilding::SetRallyPoint(int32_t blockX, int32_t blockY)
{
    const bool onThisBuilding = g_GameMap.IsOnMap(blockX, blockY) && std::as_const(g_GameMap).Block(blockX, blockY).building == this;
    rallyX = onThisBuilding ? NoRally : blockX;
    rallyY = onThisBuilding ? NoRally : blockY;
    pendingCommand = 0;
    g_Selection.pendingAction = 0;
    g_Selection.pendingValue = 0;
}
