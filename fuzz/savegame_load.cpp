// Whole saved games loaded into a small running game through the in-game
// controller: any bytes are refused (with the running game brought back as
// it was) or become the running game.  Each input is tried as it is and,
// when a header can be found, once more with its CRC-32 made to match, so
// that the sections behind the header get read.  A loaded game then plays
// long enough for its units to look again at what they follow and for
// corpses near their end to decay, and is taken apart when the starting
// game is loaded back, so that every input starts from the same game
// (FuzzSaveGame.h), built once.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/C_Config.h"
#include "core/C_PtrGarbage.h"
#include "fuzz/FuzzSaveFile.h"
#include "fuzz/FuzzSaveGame.h"
#include "game/C_CtrlGame.h"
#include "game/C_GameObjects.h"
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
// A follower looks at the unit it follows every 64 ticks.
constexpr int32_t kFramesAfterLoad = 70;

std::vector<uint8_t> g_StartingGame;

// The game's objects go before the globals that hold them (the particle pool
// among them) are destroyed, so that none is left unreachable at exit.
void FreeGameAtExit()
{
    CGameObjects::FreeWorld(g_ReferenceBase);
}

// The whole running game as a save file, its map's colours brought up to
// date as a drawn frame would (a loaded map works them out afresh).
std::vector<uint8_t> SaveRunningGame()
{
    g_GameMap.UpdateArea(0, 0, -1, -1);
    CSaveGame stream;
    std::vector<uint8_t> file;
    if (!stream.BeginSaveToMemory())
        __builtin_trap();
    g_CtrlGame.WriteGame(stream);
    if (!stream.CloseToMemory(file))
        __builtin_trap();
    return file;
}

bool LoadBytes(const uint8_t* data, size_t size)
{
    CSaveGame stream;
    stream.BeginLoadFromMemory(data, int(size));
    return g_CtrlGame.LoadGame(stream);
}

// Players and type records live as long as the process.
void BuildStartingGame()
{
    g_Config.logging = 0;
    g_Config.fogOfWar = 0;
    g_Config.networkRole = 0;
    g_Config.unitHealthMultiply = 0;
    g_Config.languageFolder = "English\\";
    g_GameMap.NewMap(FuzzSaveGame::MapSide, FuzzSaveGame::MapSide, 0, NoTheme);
    AllocRangeTables();
    g_UnitStats = new CUnitStats[TypeRecordCount];
    g_Players = new CPlayer[MaxPlayers];
    g_LocalPlayer = 0;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        g_Players[p].Init(p, p, p == 0 ? PLAYER_LOCAL : PLAYER_COMPUTER, nullptr);
    InitTypeRecords();
    if (!FuzzSaveGame::Build())
        __builtin_trap();
    g_StartingGame = SaveRunningGame();
    std::atexit(FreeGameAtExit);
}

// A refused input leaves the starting game exactly as it was; a loaded one
// must also play, and then gives way to the starting game again.
void Load(const uint8_t* data, size_t size)
{
    const bool loaded = LoadBytes(data, size);
    if (g_Players == nullptr || g_GameMap.width < MinMapSide || g_GameMap.width > MaxMapSide)
        __builtin_trap();
    if (!loaded)
    {
        if (SaveRunningGame() != g_StartingGame)
            __builtin_trap();
        return;
    }
    for (int32_t frame = 0; frame < kFramesAfterLoad; ++frame)
    {
        CCtrlGame::SimulationStep(1);
        g_PtrGarbage.Flush();
    }
    if (!LoadBytes(g_StartingGame.data(), g_StartingGame.size()))
        __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool built = (BuildStartingGame(), true);
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
