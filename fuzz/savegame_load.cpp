// Whole saved games loaded into a small running game through the in-game
// controller: any bytes are refused (with the running game brought back as
// it was) or become the running game.  Each input is tried as it is and,
// when a header can be found, once more with its CRC-32 made to match, so
// that the sections behind the header get read.  The world is built once:
// eight players with the game's factories, the type records, the range
// tables and a 32 x 32 map holding a few units, a building and a corpse.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "buildings/C_BuildingCastTable.h"
#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "fuzz/FuzzSaveFile.h"
#include "game/C_CtrlGame.h"
#include "game/C_GameObjects.h"
#include "units/C_Unit.h"
#include "units/C_UnitTypeTable.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_SaveGame.h"
#include "world/C_Theme.h"
#include "world/C_UnitStats.h"
#include "world/RangeTables.h"

namespace
{
constexpr size_t kLargestInput = 1u << 20;
constexpr int32_t kMapSide = 32;
constexpr int32_t kMeleeDamage = 1;
constexpr int32_t kKillingBlow = 100000;

// The game's objects go before the globals that hold them (the particle pool
// among them) are destroyed, so that none is left unreachable at exit.
void FreeGameAtExit()
{
    CGameObjects::FreeWorld(g_ReferenceBase);
}

// Players and type records live as long as the process.
void BuildSmallGame()
{
    g_Config.logging = 0;
    g_Config.fogOfWar = 0;
    g_Config.networkRole = 0;
    g_Config.unitHealthMultiply = 0;
    g_Config.languageFolder = "English\\";
    g_GameMap.NewMap(kMapSide, kMapSide, 0, NoTheme);
    AllocRangeTables();
    g_UnitStats = new CUnitStats[TypeRecordCount];
    g_Players = new CPlayer[MaxPlayers];
    g_LocalPlayer = 0;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        g_Players[p].Init(p, p, p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER, nullptr);
    InitTypeRecords();
    g_Players[0].CreateUnit(UNIT_WARRIOR, 5, 5);
    g_Players[1].CreateUnit(UNIT_WARRIOR, 20, 20);
    g_Players[1].CreateBuilding(CastBlacksmith, 10, 20);
    if (CUnit* doomed = g_Players[2].CreateUnit(UNIT_WARRIOR, 25, 5))
        doomed->TakeHit(nullptr, kKillingBlow, kMeleeDamage, false);
    for (int32_t frame = 0; frame < 60; ++frame)
        CCtrlGame::SimulationStep(1);
    g_PtrGarbage.Flush();
    std::atexit(FreeGameAtExit);
}


void Load(const uint8_t* data, size_t size)
{
    CSaveGame stream;
    stream.BeginLoadFromMemory(data, int(size));
    g_CtrlGame.LoadGame(stream);
    if (g_Players == nullptr || g_GameMap.width < MinMapSide || g_GameMap.width > MaxMapSide)
        __builtin_trap();
    // A loaded game must also play: the corpses decay, the units act.
    CCtrlGame::SimulationStep(1);
    g_PtrGarbage.Flush();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool built = (BuildSmallGame(), true);
    (void)built;
    if (size > kLargestInput)
        return 0;
    Load(data, size);
    // An input whose CRC-32 matches already was read whole the first time.
    const std::vector<uint8_t> fixed = WithMatchingCrc(data, size);
    if (!fixed.empty() && std::memcmp(fixed.data(), data, size) != 0)
        Load(fixed.data(), fixed.size());
    return 0;
}
