#pragma once
// The small network game the receiver's target plays its packets into, made
// afresh for every input.  32 x 32 blocks, deep water from block column 21
// on.  Slot 0 is the host's machine, slots 1 and 2 are the clients' machines,
// 3 a defeated player, 4 a computer player and 5 to 7 empty.  Each player's
// units are numbered in the order they are made, the archers of its towers
// after them.
//
// Units a seed can name, as (owner, unique id): on this machine a unit's
// reference is ((id x 16 + owner) x 256 + 255).
//   (0,0) warrior at 5,5        (0,1) ship at 21,3     (0,2) knight aboard it
//   (0,3) king in the keep      (0,4) worker at 5,6    (0,5) archer in the tower
//   (1,0) warrior at 9,5        (1,1) worker in the gold mine
//   (1,2) ship at 21,9          (1,3) warrior and (1,4) worker aboard it
//   (2,0) warrior at 9,7        (2,1) ship at 21,15    (2,2) warrior aboard it
//   (2,3) warrior waiting in the barracks             (2,4), (2,5) archers
//   (3,0) warrior at 7,5 of the defeated player    (3,1) archer in its tower
// A finished tower comes with its first archer.
// Buildings, as the corner block x,y (reference x x 65536 + y), all finished:
//   player 0: tower 2,14 and keep 8,14; player 1: trap 12,10; player 2:
//   barracks 2,22, tower 14,14 and a house at 0 health 14,22 (another
//   machine's hit brought it down, and its owner has not yet said so);
//   player 3: tower 18,2; player 4: house 10,8, whose corner block is a
//   step from (2,0); neutral: gold mine 14,2.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "buildings/C_BuildingTower.h"
#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "game/C_CtrlGame.h"
#include "game/C_GameObjects.h"
#include "game/C_Selection.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "units/C_UnitActionBuffer.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_SaveGame.h"
#include "world/C_Theme.h"
#include "world/C_UnitStats.h"
#include "world/RangeTables.h"

namespace FuzzNetWorld
{
constexpr int32_t MapSide = 32;
constexpr int32_t WaterColumn = 21;
constexpr int32_t DeepCorner = -30;
constexpr int32_t Host = 0;
constexpr int32_t FirstClient = 1;
constexpr int32_t SecondClient = 2;
constexpr int32_t Defeated = 3;
constexpr int32_t Computer = 4;
constexpr int32_t GoldInMine = 5000;
// Frames a worker takes at most to walk into the gold mine beside it.
constexpr int32_t MostFramesToTheMine = 200;
constexpr uint32_t ClockStart = 1000000;
constexpr uint32_t TickMilliseconds = 28;

// What a seed names: the unit of that owner and id is of that type.
struct SNamedUnit
{
    int32_t owner;
    int32_t uniqueId;
    int32_t type;
};

constexpr SNamedUnit NamedUnits[] = {
    {0, 0, UNIT_WARRIOR},  {0, 1, UNIT_TRANSPORTSHIP}, {0, 2, UNIT_KNIGHT},  {0, 3, UNIT_KING},
    {0, 4, UNIT_WORKER},   {0, 5, UNIT_TOWERARCHER},   {1, 0, UNIT_WARRIOR}, {1, 1, UNIT_WORKER},
    {1, 2, UNIT_TRANSPORTSHIP}, {1, 3, UNIT_WARRIOR},  {1, 4, UNIT_WORKER},  {2, 0, UNIT_WARRIOR},
    {2, 1, UNIT_TRANSPORTSHIP}, {2, 2, UNIT_WARRIOR},  {2, 3, UNIT_WARRIOR}, {2, 4, UNIT_TOWERARCHER},
    {2, 5, UNIT_TOWERARCHER},   {3, 0, UNIT_WARRIOR},     {3, 1, UNIT_TOWERARCHER},
};

constexpr int32_t UnitRef(int32_t owner, int32_t uniqueId)
{
    return (uniqueId * 16 + owner) * 256 + 255;
}

// A machine plays each of the first three slots; the others are what the
// game made them.
inline bool IsMachineSlot(int32_t slot)
{
    return slot >= Host && slot <= SecondClient;
}

[[noreturn]] inline void Fail(const char* what)
{
    std::fprintf(stderr, "net_receiver world: %s\n", what);
    std::abort();
}

inline CBuilding* Finished(int32_t owner, int32_t cast, int32_t x, int32_t y)
{
    CBuilding* building = g_Players[owner].CreateBuilding(cast, x, y);
    if (building == nullptr)
        Fail("a building was refused");
    building->Construct(0.0f, true);
    return building;
}

inline CUnit* Unit(int32_t owner, int32_t type, int32_t x, int32_t y)
{
    CUnit* unit = g_Players[owner].CreateUnit(type, x, y);
    if (unit == nullptr)
        Fail("a unit was refused");
    return unit;
}

inline CUnitTransportShip* ShipWithCargo(int32_t owner, int32_t y, std::initializer_list<int32_t> cargo)
{
    auto* ship = static_cast<CUnitTransportShip*>(Unit(owner, UNIT_TRANSPORTSHIP, WaterColumn, y));
    for (int32_t type : cargo)
        if (!ship->AcceptGarrison(Unit(owner, type, -1, -1)))
            Fail("a ship refused its cargo");
    return ship;
}

inline void AddArcher(int32_t owner, CBuilding* tower)
{
    if (!static_cast<CBuildingTower*>(tower)->AddArcher(g_Players[owner].NextUnitId(0)))
        Fail("a tower refused an archer");
}

// The worker walks into the mine beside it and stays there: in a network
// game a client's worker asks the host before it comes out.
inline void SendIntoTheMine(CUnit* worker, CBuilding* mine)
{
    worker->onCommand(nullptr, nullptr, mine, mine->x, mine->y, CMD_HARVEST);
    for (int32_t frame = 0; frame < MostFramesToTheMine && worker->onMap; ++frame)
    {
        SysClock::AdvanceTestClock(TickMilliseconds);
        CCtrlGame::SimulationStep(1);
    }
    if (worker->onMap)
        Fail("the worker did not go into the mine");
}

inline void BuildObjects()
{
    Unit(Host, UNIT_WARRIOR, 5, 5);
    ShipWithCargo(Host, 3, {UNIT_KNIGHT});
    CUnit* king = Unit(Host, UNIT_KING, 7, 12);
    Unit(Host, UNIT_WORKER, 5, 6);
    Finished(Host, CastTower, 2, 14);
    if (!king->EnterBuilding(Finished(Host, CastKeep, 8, 14)))
        Fail("the king did not go into his keep");

    CBuilding* mine = g_Players[FirstClient].CreateResource(ResourceKindGoldMine, 14, 2, GoldInMine, 0);
    if (mine == nullptr)
        Fail("the gold mine was refused");
    Unit(FirstClient, UNIT_WARRIOR, 9, 5);
    CUnit* miner = Unit(FirstClient, UNIT_WORKER, 14, 8);
    ShipWithCargo(FirstClient, 9, {UNIT_WARRIOR, UNIT_WORKER});
    Finished(FirstClient, CastTrap, 12, 10);

    Unit(SecondClient, UNIT_WARRIOR, 9, 7);
    ShipWithCargo(SecondClient, 15, {UNIT_WARRIOR});
    CUnit* waiting = Unit(SecondClient, UNIT_WARRIOR, -1, -1);
    Finished(SecondClient, CastBarracks, 2, 22)->productionUnit = waiting;
    AddArcher(SecondClient, Finished(SecondClient, CastTower, 14, 14));
    CBuilding* fallen = Finished(SecondClient, CastHouse, 14, 22);

    Unit(Defeated, UNIT_WARRIOR, 7, 5);
    Finished(Defeated, CastTower, 18, 2);
    g_Players[Defeated].type = PLAYER_DEFEATED;
    Finished(Computer, CastHouse, 10, 8);

    SendIntoTheMine(miner, mine);
    g_PtrGarbage.Flush();
    fallen->health = 0.0f;
}

// The save of the running game.
inline std::vector<uint8_t> Save()
{
    CSaveGame stream;
    std::vector<uint8_t> file;
    if (!stream.BeginSaveToMemory())
        Fail("no save stream");
    g_CtrlGame.WriteGame(stream);
    if (!stream.CloseToMemory(file))
        Fail("the save was not written");
    return file;
}

inline bool Load(const std::vector<uint8_t>& file)
{
    CSaveGame stream;
    stream.BeginLoadFromMemory(file.data(), int(file.size()));
    return g_CtrlGame.LoadGame(stream);
}

// What lives as long as the process: the configuration, range tables, type
// records and players.
inline void SetUpOnce()
{
    g_Config.logging = 0;
    g_Config.fogOfWar = 0;
    g_Config.unitHealthMultiply = 0;
    g_Config.languageFolder = "English\\";
    AllocRangeTables();
    g_UnitStats = new CUnitStats[TypeRecordCount];
    g_Players = new CPlayer[MaxPlayers];
    for (int32_t p = 0; p < MaxPlayers; ++p)
        g_Players[p].Init(p, p, PLAYER_REMOTE, nullptr);
    InitTypeRecords();
}

// The game made afresh, in a single player's frame of mind (the worker walks
// into the mine without asking a host).
inline void Build()
{
    g_Config.networkRole = CMultiplayer::RoleSinglePlayer;
    g_LocalPlayer = Host;
    SysClock::UseTestClock(ClockStart);
    g_GameMap.NewMap(MapSide, MapSide, 0, NoTheme);
    for (int32_t x = WaterColumn + 1; x <= MapSide; ++x)
        for (int32_t y = 0; y <= MapSide; ++y)
            g_GameMap.CornerHeight(x, y) = DeepCorner;
    g_GameMap.UpdateArea(0, 0, -1, -1);
    for (int32_t p = 0; p < MaxPlayers; ++p)
        g_Players[p].Init(p, p, p <= SecondClient ? PLAYER_REMOTE : p == Computer ? PLAYER_COMPUTER : PLAYER_NONE,
                          nullptr);
    BuildObjects();
}

// Every object goes, wherever it is held; the players' preparation empties
// their lists and a new map its blocks.
inline void Clear()
{
    g_Selection.Clear();
    CGameObjects::FreeWorld(g_ReferenceBase);
    g_Particles.Reset();
    g_PtrGarbage.Flush();
    g_MultiplayerGame.ClearSent();
}

// This machine is the host or one of the clients: its slot is its local
// player, who has selected his warrior, and the other machines' players are
// remote ones.
inline void TakeRole(bool client, bool second)
{
    g_Config.networkRole = client ? CMultiplayer::RoleClient : CMultiplayer::RoleHost;
    g_LocalPlayer = client ? (second ? SecondClient : FirstClient) : Host;
    for (int32_t p = Host; p <= SecondClient; ++p)
        g_Players[p].type = p == g_LocalPlayer ? PLAYER_LOCAL : PLAYER_REMOTE;
    g_Selection.Clear();
    g_Selection.AddUnit(g_Players[g_LocalPlayer].units[0], 0);
    g_MultiplayerGame.ClearSent();
}

// Every seed relies on these: a game made otherwise is a fault of the
// target, not a finding.
inline void CheckNamedUnits()
{
    for (const SNamedUnit& named : NamedUnits)
    {
        const CUnit* unit = CMultiplayer::FindUnitByRef(UnitRef(named.owner, named.uniqueId));
        if (unit == nullptr || unit->GetCastID() != named.type)
            Fail("a unit the seeds name is not where they expect it");
    }
}
}  // namespace FuzzNetWorld
