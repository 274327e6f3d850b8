// Saving and loading a whole game.  The sections follow each other in one
// payload: the reference table with every object's creation data and
// state; the controller's pause flag and timers; the local player's index;
// the mission objectives; the current profile's name; the selection; the
// option bytes; the eight players; the particles; the map.
//
// A load replaces the world, so before it touches anything the running game
// is written into memory with the same writer; when the saved game turns
// out bad half-way, the half-loaded world is taken apart and the snapshot
// is loaded back.

#include <cstring>

#include "core/C_Config.h"
#include "core/C_D3D8Game.h"
#include "core/C_LogFile.h"
#include "effects/C_Particles.h"
#include "frontend/C_PlayerProfiles.h"
#include "game/C_CtrlGame.h"
#include "game/C_GameObjects.h"
#include "game/C_MissionObjectives.h"
#include "game/C_Selection.h"
#include "media/C_EnvironmentFX.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_SaveGame.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr const char* kRefusal = "Save game refused: ";

// ---- The players' sections ---------------------------------------------------------

void RegisterPlayerObjects(CReferenceBase& table)
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
        g_Players[p].RegisterReferences(table);
}

void SavePlayers(CSaveGame& stream, const CReferenceBase& table)
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
        g_Players[p].SaveGame(stream, table);
}

bool LoadPlayers(CSaveGame& stream, const CReferenceBase& table)
{
    for (int32_t p = 0; p < MaxPlayers; ++p)
        if (!g_Players[p].LoadGame(stream, table))
            return false;
    return true;
}

// ---- Local player, profile and options ------------------------------------------

bool ReadLocalPlayer(CSaveGame& stream)
{
    const int32_t local = stream.ReadI32();
    if (stream.HasError())
        return false;
    if (local < 0 || local >= MaxPlayers)
    {
        g_Log.Write(CString(kRefusal) + "the local player's index is out of range");
        stream.SetError();
        return false;
    }
    g_LocalPlayer = local;
    return true;
}

// The name, not the index: the profile list may have changed since the game
// was saved.  An empty name stands for no profile.
void WriteProfile(CSaveGame& stream)
{
    const int32_t current = g_PlayerProfiles.GetCurrent();
    CString name = current >= 0 && current < g_PlayerProfiles.GetCount() ? g_PlayerProfiles.GetName(current) : "";
    if (name.GetLength() > CSaveGame::MaxShortStringLength)
        name = name.Mid(0, CSaveGame::MaxShortStringLength);
    stream.WriteShortString(name.GetBuffer());
}

// A profile of that name becomes the current one; without one the current
// profile stays.
bool ReadProfile(CSaveGame& stream)
{
    CString name;
    if (!stream.ReadShortString(name))
        return false;
    for (int32_t i = 0; i < g_PlayerProfiles.GetCount() && !name.IsEmpty(); ++i)
        if (g_PlayerProfiles.profiles[i] != nullptr && g_PlayerProfiles.profiles[i]->name == name)
        {
            g_PlayerProfiles.current = i;
            break;
        }
    return true;
}

// The options the running game reads: the fog of war and the hit point
// multiplier, which is built into the type records (so they are built again
// when a game saved with the other setting comes in).
void WriteOptions(CSaveGame& stream)
{
    stream.WriteU8(g_Config.fogOfWar ? 1 : 0);
    stream.WriteU8(g_Config.unitHealthMultiply ? 1 : 0);
}

bool ReadOptions(CSaveGame& stream)
{
    const uint8_t fogOfWar = stream.ReadU8();
    const uint8_t healthMultiply = stream.ReadU8();
    if (stream.HasError())
        return false;
    if (fogOfWar > 1 || healthMultiply > 1)
    {
        g_Log.Write(CString(kRefusal) + "an option byte is not 0 or 1");
        stream.SetError();
        return false;
    }
    g_Config.fogOfWar = fogOfWar;
    if (g_Config.unitHealthMultiply != healthMultiply)
    {
        g_Config.unitHealthMultiply = healthMultiply;
        InitTypeRecords();
    }
    return true;
}

// The stream's status text and, since the locale may lack that text, its
// key: "The saved game is damaged (MSG_SAVE_CRCERROR)".
CString StatusLine(const CSaveGame& stream)
{
    CString line = stream.GetStatus();
    if (*stream.GetStatusKey() != '\0')
        line = line + " (" + stream.GetStatusKey() + ")";
    return line;
}

bool HasGame()
{
    return g_Players != nullptr;
}
}  // namespace

// ---- The controller's own section ---------------------------------------------------

// What the game needs to go on as it was: the pause flag and the sixteen
// timer records that pace it (the countdown of each decides in which frame
// its next tick falls).  The other fields belong to screens that are not
// part of a game's state.
void CCtrlGame::WriteControllerState(CSaveGame& stream) const
{
    stream.WriteU8(paused ? 1 : 0);
    for (const CtrlTimer& timer : g_D3D8Game.timers)
    {
        stream.WriteU8(timer.enabled ? 1 : 0);
        stream.WriteI32(timer.reload);
        stream.WriteI32(timer.counter);
    }
}

bool CCtrlGame::ReadControllerState(CSaveGame& stream)
{
    const uint8_t pausedFlag = stream.ReadU8();
    CtrlTimer timers[CD3D8Game::kTimerCount] = {};
    for (CtrlTimer& timer : timers)
    {
        timer.enabled = stream.ReadU8();
        timer.reload = stream.ReadI32();
        timer.counter = stream.ReadI32();
    }
    if (stream.HasError())
        return false;
    bool sound = pausedFlag <= 1;
    for (const CtrlTimer& timer : timers)
        sound = sound && timer.enabled <= 1 && timer.reload >= 0 && timer.counter >= 0;
    if (!sound)
    {
        g_Log.Write(CString(kRefusal) + "bad pause flag or timer record");
        stream.SetError();
        return false;
    }
    paused = pausedFlag;
    std::memcpy(g_D3D8Game.timers, timers, sizeof(timers));
    return true;
}

// ---- Saving ---------------------------------------------------------------------------

void CCtrlGame::WriteGame(CSaveGame& stream) const
{
    g_ReferenceBase.Reset();
    RegisterPlayerObjects(g_ReferenceBase);
    g_GameMap.RegisterReferences(g_ReferenceBase);
    g_Particles.RegisterReferences(g_ReferenceBase);
    g_ReferenceBase.SaveGame(stream);

    WriteControllerState(stream);
    stream.WriteI32(g_LocalPlayer);
    g_MissionObjectives.SaveGame(stream);
    WriteProfile(stream);
    g_Selection.SaveGame(stream, g_ReferenceBase);
    WriteOptions(stream);

    SavePlayers(stream, g_ReferenceBase);
    g_Particles.SaveGame(stream, g_ReferenceBase);
    g_GameMap.SaveGame(stream, g_ReferenceBase);
    g_ReferenceBase.Reset();
}

bool CCtrlGame::SaveGame(const char* fileName)
{
    if (!HasGame())
    {
        g_Log.Write("Save game refused: no game is running");
        return false;
    }
    CSaveGame stream;
    if (!stream.BeginSave(fileName))
    {
        stream.Close();
        return false;
    }
    WriteGame(stream);
    stream.Close();
    return !stream.HasError();
}

// ---- Loading --------------------------------------------------------------------------

bool CCtrlGame::TakeSnapshot(std::vector<uint8_t>& file) const
{
    CSaveGame snapshot;
    if (!snapshot.BeginSaveToMemory())
        return false;
    WriteGame(snapshot);
    return snapshot.CloseToMemory(file);
}

// Every section after the table, in the order they were written.
bool CCtrlGame::ReadSections(CSaveGame& stream)
{
    return ReadControllerState(stream) && ReadLocalPlayer(stream) && g_MissionObjectives.LoadGame(stream) &&
           ReadProfile(stream) && g_Selection.LoadGame(stream, g_ReferenceBase) && ReadOptions(stream) &&
           LoadPlayers(stream, g_ReferenceBase) && g_Particles.LoadGame(stream, g_ReferenceBase) &&
           g_GameMap.LoadGame(stream, g_ReferenceBase);
}

// Takes the running world apart and reads the saved one into the empty
// world.  False as soon as a section refuses what it reads; the objects
// made so far stay where the load put them, for FreeWorld.  `checkHolders`
// asks for the check of who holds which object and what links name, which
// the snapshot of the running game is spared.
bool CCtrlGame::ReadGame(CSaveGame& stream, bool checkHolders)
{
    CGameObjects::FreeWorld(g_ReferenceBase);
    for (int32_t p = 0; p < MaxPlayers; ++p)
        g_Players[p].Init(p, p, PLAYER_LOCAL, nullptr);
    if (!g_ReferenceBase.LoadGame(stream) || !ReadSections(stream))
        return false;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        g_Players[p].RestoreConstructionSites();
    const char* fault = checkHolders ? CGameObjects::FindLoadFault(g_ReferenceBase) : nullptr;
    if (fault != nullptr)
    {
        g_Log.Write(CString(kRefusal) + fault);
        stream.SetError();
        return false;
    }
    if (stream.GetPosition() != stream.GetPayloadSize())
    {
        g_Log.Write(CString(kRefusal) + "bytes are left over behind the map");
        stream.SetError();
        return false;
    }
    g_ReferenceBase.Reset();
    return true;
}

// The snapshot is read without the check of who holds which object and
// what links name: the game ran that way a moment ago, and losing it would
// be worse than any untidiness in it.
bool CCtrlGame::RestoreSnapshot(const std::vector<uint8_t>& file)
{
    CSaveGame snapshot;
    snapshot.BeginLoadFromMemory(file.data(), static_cast<int>(file.size()));
    const bool restored = !snapshot.HasError() && ReadGame(snapshot, false);
    snapshot.Close();
    if (restored)
        return true;
    // Nothing of either game is left standing rather than half of one.
    DEBUG_REPORT("#DEBUG: The running game could not be restored after a failed load");
    CGameObjects::FreeWorld(g_ReferenceBase);
    return false;
}

bool CCtrlGame::LoadGame(CSaveGame& stream)
{
    if (stream.HasError() || !stream.HasPayload() || stream.GetMode() != CSaveGame::ModeLoad)
    {
        g_Log.Write(CString(kRefusal) + StatusLine(stream));
        stream.Close();
        return false;
    }
    if (!HasGame())
    {
        g_Log.Write("Save game refused: there are no players to load it into");
        stream.Close();
        return false;
    }
    std::vector<uint8_t> snapshot;
    if (!TakeSnapshot(snapshot))
    {
        g_Log.Write("Save game refused: the running game could not be kept aside");
        stream.Close();
        return false;
    }
    const bool loaded = ReadGame(stream, true);
    stream.Close();
    if (loaded)
    {
        g_EnvironmentFX.InitEnvironment(true);
        return true;
    }
    CGameObjects::FreeWorld(g_ReferenceBase);
    if (RestoreSnapshot(snapshot))
        g_Log.Write("Save game refused; the running game goes on");
    else
        g_Log.Write("Save game refused; the running game could not be brought back and has ended");
    return false;
}

bool CCtrlGame::LoadGame(const char* fileName)
{
    CSaveGame stream;
    stream.BeginLoad(fileName);
    return LoadGame(stream);
}
