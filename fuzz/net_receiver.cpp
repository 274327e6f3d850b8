// Feeds arbitrary bytes to the receiver of the game commands.  The first
// byte picks this machine's role (host or client) and its slot; the rest is
// cut into 72-byte packets, a short tail included, each handed to the
// receiver of a small world made afresh for the input.  One simulation step
// follows, under the sanitizers.
//
// The world's objects have references a seed can name: player 0 owns a
// warrior (unique id 0, at 5,5), a worker (1, at 5,8), a transport ship (2,
// at 12,5) carrying a warrior (3); player 1 a warrior (0, at 9,5), a tower
// (at 15,15) and a trap (at 20,20); the defeated player 3 a warrior (0, at
// 6,5).

#include <cstddef>
#include <cstdint>
#include <memory>

#include "buildings/C_Building.h"
#include "buildings/C_BuildingCastTable.h"
#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "effects/C_Particles.h"
#include "game/C_CtrlGame.h"
#include "game/C_GameObjects.h"
#include "game/C_Selection.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "units/C_Unit_TransportShip.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_Theme.h"
#include "world/C_UnitStats.h"
#include "world/RangeTables.h"

namespace
{
constexpr size_t kMostPackets = 64;
constexpr int32_t kMapSide = 32;
constexpr int32_t kDefeated = 3;

class CReceiverWorld
{
public:
    CReceiverWorld()
    {
        SysClock::UseTestClock(1000000);
        g_GameMap.NewMap(kMapSide, kMapSide, 0, NoTheme);
        m_Records = std::make_unique<CUnitStats[]>(TypeRecordCount);
        g_UnitStats = m_Records.get();
        m_Players = std::make_unique<CPlayer[]>(MaxPlayers);
        g_Players = m_Players.get();
        for (int32_t p = 0; p < MaxPlayers; ++p)
        {
            g_Players[p].Init(p, p, p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER, nullptr);
            g_Players[p].nextUniqueId = -1;
        }
        InitTypeRecords();
        g_Players[kDefeated].type = PLAYER_DEFEATED;
        g_Players[0].CreateUnit(UNIT_WARRIOR, 5, 5);
        g_Players[0].CreateUnit(UNIT_WORKER, 5, 8);
        auto* ship = static_cast<CUnitTransportShip*>(g_Players[0].CreateUnit(UNIT_TRANSPORTSHIP, 12, 5));
        CUnit* passenger = g_Players[0].CreateUnit(UNIT_WARRIOR, -1, -1);
        if (ship != nullptr && passenger != nullptr)
            ship->AcceptGarrison(passenger);
        g_Players[1].CreateUnit(UNIT_WARRIOR, 9, 5);
        g_Players[1].CreateBuilding(CastTower, 15, 15);
        g_Players[1].CreateBuilding(CastTrap, 20, 20);
        g_Players[kDefeated].CreateUnit(UNIT_WARRIOR, 6, 5);
    }

    ~CReceiverWorld()
    {
        g_Selection.Clear();
        for (int32_t p = 0; p < MaxPlayers; ++p)
            for (int32_t i = 0; i < g_Players[p].unitCount; ++i)
                if (g_Players[p].units[i]->IsFootprintRegistered())
                    g_Players[p].units[i]->ShowUnit(false);
        CGameObjects::FreeWorld(g_ReferenceBase);
        for (int32_t p = 0; p < MaxPlayers; ++p)
            g_Players[p].Release();
        g_Particles.Reset();
        g_PtrGarbage.Flush();
        g_GameMap.Free();
        g_Players = nullptr;
        g_UnitStats = nullptr;
        g_MultiplayerGame.ClearSent();
    }

private:
    std::unique_ptr<CUnitStats[]> m_Records;
    std::unique_ptr<CPlayer[]> m_Players;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    if (g_SightDiscs == nullptr)
        AllocRangeTables();
    g_Config.fogOfWar = 0;
    g_Config.networkRole = 1 + (data[0] & 1);
    g_LocalPlayer = (data[0] >> 1) % MaxPlayers;
    CReceiverWorld world;
    size_t at = 1;
    for (size_t n = 0; n < kMostPackets && at < size; ++n, at += CNetPacket::kByteSize)
    {
        const size_t left = size - at;
        g_MultiplayerGame.OnGamePacket(data + at, left < CNetPacket::kByteSize ? left : CNetPacket::kByteSize);
    }
    // What the packets left behind is played on for a step, so that a
    // dangling hold on an object shows under the sanitizers.
    CCtrlGame::SimulationStep(1);
    g_PtrGarbage.Flush();
    return 0;
}
