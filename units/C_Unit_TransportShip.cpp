#include "units/C_Unit_TransportShip.h"

#include <algorithm>

#include "core/C_Config.h"
#include "core/C_Localizer.h"
#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "net/C_MultiplayerGame.h"
#include "units/C_FoundRoute.h"
#include "units/C_ShipWake.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitAnimationTable.h"
#include "units/C_Unit_King.h"
#include "world/C_GameMap.h"
#include "world/C_ObjectReferences.h"
#include "world/C_PathFinder.h"
#include "world/C_Player.h"
#include "world/C_PlayerServices.h"

namespace
{
constexpr int32_t HullModel = 44;
constexpr int32_t WreckModel = 45;
constexpr uint32_t NoPlaceColour = 0xFFFF00;
// Animation frames per tick of the sinking.
constexpr float SinkFramesPerTick = 0.3f;
// The wake table, bow first, stern last; the rows used while lying and
// while sailing, and how fast they drift.
constexpr CShipWake::SRow WakeRows[] = {
    {14.87f, 35.7f, 45.0f},    {-14.87f, 35.7f, -45.0f},   {25.66f, -8.63f, 90.0f}, {-25.49f, -8.63f, -90.0f},
    {19.41f, -45.15f, 135.0f}, {-19.27f, -45.15f, -135.0f}, {0.0f, -60.0f, 180.0f},
};
constexpr CShipWake::STable Wake = {
    .rows = WakeRows, .lyingRows = 7, .sailingRows = 4, .lyingSpeed = 0.001f, .sailingSpeed = 0.008f};
// Land for unloaded units is searched this many sight radii around the ship.
constexpr int32_t UnloadSearchSightRadii = 3;
constexpr const char* CargoRefusalPrefix = "Transport ship record refused: ";

bool IsClientMachine()
{
    return IsNetworkGame() && g_Config.networkRole == CMultiplayer::RoleClient;
}

bool IsHostMachine()
{
    return IsNetworkGame() && g_Config.networkRole == CMultiplayer::RoleHost;
}

bool IsListedByAnyPlayer(const CUnit* unit)
{
    if (g_Players == nullptr)
        return false;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        if (g_Players[p].HasUnit(unit))
            return true;
    return false;
}

// Compares pointers before it reads the unit: a unit no player lists may
// have been deleted already.
bool IsStillAboard(const CUnit* unit)
{
    return unit != nullptr && IsListedByAnyPlayer(unit) && !unit->onMap && unit->IsAlive() && !unit->IsDying();
}

// Tells every other machine that the ship put the unit ashore on that tile.
void AnnounceUnloaded(const CUnit& ship, const CUnit* unit, int32_t tx, int32_t ty)
{
    g_MultiplayerGame.SendPacket(CNetPacket::Make(CMultiplayerGame::CommandUnitUnloaded,
                                                  CMultiplayer::GetUnitRef(&ship), CMultiplayer::GetUnitRef(unit), tx,
                                                  ty),
                                 CMultiplayer::AllMachines);
}
}  // namespace

CUnitTransportShip::CUnitTransportShip() : T_UnitIgnoringEnemies(UNIT_TRANSPORTSHIP) {}

// ---- Orders ---------------------------------------------------------------------

void CUnitTransportShip::onCommand(CUnit* newTargetUnit, CBuilding* newTargetBuilding, CBuilding* newTargetObject,
                                   int32_t tx, int32_t ty, int32_t command)
{
    (void)newTargetObject;
    if (command == CMD_UNGARRISON || command == CMD_UNGARRISON_ONE)
    {
        // Unloading starts with the search for a coast from where it lies.
        InitAction(newTargetUnit, nullptr, nullptr, x, y, CMD_FIND_UNGARRISON_COAST, TARGET_NONE, true, false);
        return;
    }
    InitAction(newTargetUnit, newTargetBuilding, nullptr, tx, ty, command, TARGET_CHOOSE, false, false);
}

void CUnitTransportShip::onPerformAction()
{
    if (IsNetworkGame() && !IsOwnedHere(player))
    {
        DEBUG_REPORT("#DEBUG: Unit action performed on non-local mulitplayer unit");
        return;
    }
    switch (currentCommand)
    {
    case CMD_MOVE_TO_GARRISON:
        SailToCallIsland();
        return;
    case CMD_FIND_UNGARRISON_COAST:
        SailToCoast();
        return;
    case CMD_UNGARRISON:
    case CMD_UNGARRISON_ONE:
        if (IsTargetReached())
            UnloadWhereItLies();
        return;   // otherwise the walk goes on
    case CMD_RUNAWAY:
        CUnitKing::PerformRunaway(*this);
        return;
    default:
        // Any other order (a plain move) sails until its target is reached.
        if (!IsTargetReached())
        {
            StartPath();
            return;
        }
        Stop();
        SetModelByAnimation();
        return;
    }
}

void CUnitTransportShip::SailToCallIsland()
{
    if (IsAdjacentToRegion(callIsland))
    {
        Stop();
        return;
    }
    CPathFinder::Route routeOut;
    CPathFinder::SPoint end{x, y};
    g_PathFinder.Init(player, this);
    const int32_t length = g_PathFinder.FindPath(x, y, targetX, targetY, GetSize(), GetMoveLayer(), 0, 0, nullptr,
                                                 nullptr, 0, 0, routeOut, end);
    if (length > 0)
    {
        std::copy(routeOut, routeOut + length, route);
        CFoundRoute::Walk(*this, length, end.x, end.y);
        return;
    }
    // The ship can come no closer: the units waiting for it give up
    // instead of asking again for ever.
    pathFlag = 0;
    Stop();
}

void CUnitTransportShip::SailToCoast()
{
    CPathFinder::Route routeOut;
    CPathFinder::SPoint end{x, y};
    g_PathFinder.Init(player, this);
    const int32_t length = g_PathFinder.FindCoastToUngarrison(x, y, GetSize(), 0, routeOut, end);
    targetX = end.x;
    targetY = end.y;
    currentCommand = targetUnit != nullptr ? CMD_UNGARRISON_ONE : CMD_UNGARRISON;
    if (length > 0)
        std::copy(routeOut, routeOut + length, route);
    // With no coast to sail to, the unloading is tried from here.
    CFoundRoute::Walk(*this, length, end.x, end.y);
}

void CUnitTransportShip::UnloadWhereItLies()
{
    pathFlag = 0;
    routeEnd = 0;
    actionTargetUnit = nullptr;
    actionTargetBuilding = nullptr;
    if (currentCommand == CMD_UNGARRISON)
        UnloadAll();
    else
        UnloadOne(targetUnit, true);
    Stop();
    SetModelByAnimation();
}

// Unarmed, the ship flees as the king does.
void CUnitTransportShip::onAttacked(CUnit* attackerUnit, CBuilding* attackerBuilding)
{
    CUnitKing::RunFromAttacker(*this, attackerUnit, attackerBuilding);
}

// ---- Cargo ------------------------------------------------------------------------

bool CUnitTransportShip::AcceptGarrison(CUnit* unit)
{
    DropLostCargo();
    if (unit == nullptr || unit == this || unit->IsShip() || !unit->IsAlive() || unit->IsDying())
        return false;
    if (m_CargoCount >= CargoCapacity || IndexOf(unit) >= 0)
        return false;
    m_Cargo[m_CargoCount++] = unit;
    return true;
}

bool CUnitTransportShip::IsCarrying(const CUnit* unit) const
{
    return unit != nullptr && IndexOf(unit) >= 0 && IsStillAboard(unit);
}

int32_t CUnitTransportShip::IndexOf(const CUnit* unit) const
{
    for (int32_t i = 0; i < m_CargoCount; ++i)
        if (m_Cargo[i] == unit)
            return i;
    return -1;
}

void CUnitTransportShip::RemoveAt(int32_t index)
{
    if (index < 0 || index >= m_CargoCount)
        return;
    std::copy(m_Cargo + index + 1, m_Cargo + m_CargoCount, m_Cargo + index);
    m_Cargo[--m_CargoCount] = nullptr;
}

void CUnitTransportShip::TakeOutEveryOccurrence(const CUnit* unit)
{
    for (int32_t index = IndexOf(unit); index >= 0; index = IndexOf(unit))
        RemoveAt(index);
}

void CUnitTransportShip::DropLostCargo()
{
    for (int32_t i = 0; i < m_CargoCount;)
    {
        if (IsStillAboard(m_Cargo[i]))
            ++i;
        else
            RemoveAt(i);
    }
}

// ---- Unloading --------------------------------------------------------------------

void CUnitTransportShip::UnloadAll()
{
    DropLostCargo();
    if (IsClientMachine())
    {
        for (int32_t i = 0; i < m_CargoCount; ++i)
            g_MultiplayerGame.RequestUnload(this, m_Cargo[i]);
        OpenBatch(m_CargoCount, true);
        return;
    }
    for (int32_t i = 0; i < m_CargoCount;)
    {
        // A unit put ashore leaves its place to the one behind it.
        if (!UnloadOne(m_Cargo[i], false))
            ++i;
    }
    if (m_CargoCount > 0)
        ShowNoPlaceMessage(true);
}

bool CUnitTransportShip::UnloadOne(CUnit* unit, bool report)
{
    DropLostCargo();
    const int32_t index = IndexOf(unit);
    if (unit == nullptr || index < 0)
    {
        DEBUG_REPORT("#DEBUG: TransportShip -> Invalid unit to ungarrison");
        return false;
    }
    if (IsClientMachine())
    {
        g_MultiplayerGame.RequestUnload(this, unit);
        OpenBatch(1, false);
        return true;
    }
    int32_t tx = 0;
    int32_t ty = 0;
    if (!FindUnloadTile(unit->GetSize(), &tx, &ty))
    {
        if (report)
            ShowNoPlaceMessage(false);
        return false;
    }
    if (!UnloadUnit(unit, tx, ty))
        return false;
    RemoveAt(IndexOf(unit));
    // Every machine puts its copy ashore, whether one unit or all were asked.
    if (IsHostMachine())
        AnnounceUnloaded(*this, unit, tx, ty);
    return true;
}

bool CUnitTransportShip::FindUnloadTile(int32_t unitSize, int32_t* outX, int32_t* outY)
{
    if (outX == nullptr || outY == nullptr)
        return false;
    CPathFinder::SPoint end{x, y};
    g_PathFinder.Init(player, this);
    if (g_PathFinder.FindUngarrisonPos(x, y, unitSize, UnloadSearchSightRadii * GetSightRadius(), end) != 1)
        return false;
    *outX = end.x;
    *outY = end.y;
    return true;
}

bool CUnitTransportShip::UnloadUnit(CUnit* unit, int32_t tx, int32_t ty)
{
    if (unit == nullptr || unit->onMap || unit->IsDying() || !unit->IsAlive())
    {
        DEBUG_REPORT("#DEBUG: TransportShip -> Unit cannot be put ashore");
        return false;
    }
    const int32_t size = unit->GetSize();
    if (!g_GameMap.IsOnMap(tx, ty) || !g_GameMap.IsOnMap(tx + size - 1, ty + size - 1))
    {
        DEBUG_REPORT("#DEBUG: TransportShip -> Unloading tile outside the map");
        return false;
    }
    unit->x = tx;
    unit->y = ty;
    unit->ShowUnit(true);
    if (IsClientMachine())
    {
        TakeOutEveryOccurrence(unit);
        // Only the machine that asked counts its answers.
        if (IsOwnedHere(player) && pendingAnswers > 0)
        {
            --pendingAnswers;
            if (pendingAnswers == 0 && refusedAnswers > 0)
                ShowNoPlaceMessage(batchIsAll != 0);
        }
    }
    return true;
}

void CUnitTransportShip::OnUnloadRefused(CUnit* unit)
{
    (void)unit;
    if (!IsClientMachine())
        DEBUG_REPORT("#DEBUG: Multiplayer client-event sent to non client player");
    if (pendingAnswers <= 0)
        return;   // an answer to no question
    --pendingAnswers;
    ++refusedAnswers;
    if (pendingAnswers == 0)
        ShowNoPlaceMessage(batchIsAll != 0);
}

void CUnitTransportShip::OnUnloadRequest(CUnit* unit)
{
    // The host's copy of a client's ship carries nothing: what it can check
    // is that the unit is off the map, alive and of the ship's player.
    const bool askable = unit != nullptr && !unit->onMap && unit->IsAlive() && !unit->IsDying() &&
                         unit->player == player && unit->GetMoveLayer() != CPathFinder::LayerWater;
    int32_t tx = 0;
    int32_t ty = 0;
    if (askable && FindUnloadTile(unit->GetSize(), &tx, &ty) && UnloadUnit(unit, tx, ty))
    {
        TakeOutEveryOccurrence(unit);
        AnnounceUnloaded(*this, unit, tx, ty);
        return;
    }
    g_MultiplayerGame.SendPacket(
        CNetPacket::Make(CMultiplayerGame::CommandUnloadRefused, CMultiplayer::GetUnitRef(this),
                         CMultiplayer::GetUnitRef(unit)),
        player);
}

void CUnitTransportShip::OpenBatch(int32_t requests, bool isAll)
{
    pendingAnswers = requests;
    refusedAnswers = 0;
    batchIsAll = isAll ? 1 : 0;
}

void CUnitTransportShip::ShowNoPlaceMessage(bool isAll) const
{
    if (player != g_LocalPlayer)
        return;
    const char* text = g_Localizer.GetString(isAll ? "MSG_TRANSPORTNOPLACEALL" : "MSG_TRANSPORTNOPLACE1", false);
    GetPlayerServices().AddMessage(text != nullptr ? text : "", NoPlaceColour);
}

// ---- Sinking ----------------------------------------------------------------------

void CUnitTransportShip::DestroyCargo()
{
    DropLostCargo();
    const bool announce = IsNetworkGame() && IsOwnedHere(player);
    for (int32_t i = 0; i < m_CargoCount; ++i)
    {
        CUnit* unit = m_Cargo[i];
        m_Cargo[i] = nullptr;
        CPlayer* owner = PlayerAt(unit->player);
        if (owner == nullptr || !owner->HasUnit(unit))
            continue;
        unit->health = 0.0f;
        // Units that target or follow it, a tower aiming at it and the
        // selection would otherwise hold it past its deletion.
        unit->ForgetEverywhere();
        owner->RemoveUnit(unit, 1);
        if (announce)
            g_MultiplayerGame.SendUnitDied(unit, false);
        g_PtrGarbage.AddUnit(unit);
    }
    m_CargoCount = 0;
}

void CUnitTransportShip::SetModelByAnimation()
{
    if (animType == ANIM_DIE)
    {
        animFrame = 0.0f;
        model = WreckModel;
        DestroyCargo();
        CShipWake::ThrowSplashes(*this);
        return;
    }
    model = HullModel;
    SendAnimationChange();
}

bool CUnitTransportShip::Animate(int32_t ticks)
{
    for (int32_t tick = 0; tick < ticks; ++tick)
    {
        if (CShipWake::StepLyingOrSailing(*this, waveTicks, Wake))
            continue;
        if (animType == ANIM_DIE &&
            !AnimateDeath(SinkFramesPerTick, static_cast<float>(CUnitAnimationTable::FrameCount(model))))
            return false;
    }
    return true;
}

// ---- Saved state ------------------------------------------------------------------

void CUnitTransportShip::SaveGameExtra(CSaveStream& stream, const CObjectReferences& references) const
{
    // A unit that died or left the game since it boarded is not written.
    int32_t aboard[CargoCapacity];
    int32_t count = 0;
    for (int32_t i = 0; i < m_CargoCount; ++i)
        if (IsStillAboard(m_Cargo[i]))
            aboard[count++] = references.GetUnitRef(m_Cargo[i]);
    CSaveWriter out(stream);
    out.I32(waveTicks);
    out.Count(count, 0, CargoCapacity, "cargo count");
    for (int32_t i = 0; i < count; ++i)
        out.I32(aboard[i]);
    out.I32(callIsland);
}

bool CUnitTransportShip::LoadGameExtra(CSaveStream& stream, const CObjectReferences& references)
{
    CSaveReader in(stream, CargoRefusalPrefix);
    const int32_t loadedWaveTicks = in.I32();
    int32_t count = 0;
    in.Count(count, 0, CargoCapacity, "cargo count");
    CUnit* loaded[CargoCapacity] = {};
    bool sound = !in.Failed();
    for (int32_t i = 0; i < count && sound; ++i)
    {
        const int32_t id = in.I32();
        if (in.Failed())
            break;
        CUnit* unit = references.GetUnit(id);
        if (unit == nullptr || unit == this)
            sound = in.Refuse("a carried unit's id names no other unit");
        else if (std::find(loaded, loaded + i, unit) != loaded + i)
            sound = in.Refuse("a unit is carried twice");
        else
            loaded[i] = unit;
    }
    const int32_t loadedCallIsland = in.I32();
    if (sound && !in.Failed() && loadedWaveTicks < 0)
        sound = in.Refuse("the wave count is negative");
    if (!sound || !in.Finish())
        return false;
    // A count beyond the longest wait, run up off the map, acts as that wait.
    waveTicks = std::min(loadedWaveTicks, CShipWake::StandWaveTicks);
    std::copy(loaded, loaded + CargoCapacity, m_Cargo);
    m_CargoCount = count;
    callIsland = loadedCallIsland;
    pendingAnswers = 0;
    refusedAnswers = 0;
    batchIsAll = 0;
    return true;
}
