// Feeds arbitrary bytes to the reader of a player's section of a saved game.
// List entries and the researching building resolve through a small table
// of two units and two buildings of player 0.  Each input loads into a
// fresh player, which lets go of the listed objects before it goes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "buildings/C_Building.h"
#include "fuzz/FuzzSaveStream.h"
#include "media/C_SaveStream.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr size_t kLargestInput = 1u << 20;

class CFuzzUnit : public CUnit
{
};

class CFuzzBuilding : public CBuilding
{
public:
    CFuzzBuilding() { owner = 0; }
};

struct SWorld
{
    SWorld()
    {
        records = std::make_unique<CUnitStats[]>(TypeRecordCount);
        g_UnitStats = records.get();
        players = std::make_unique<CPlayer[]>(MaxPlayers);
        g_Players = players.get();
        table.AddUnit(&units[0]);
        table.AddBuilding(&buildings[0]);
        table.AddUnit(&units[1]);
        table.AddBuilding(&buildings[1]);
    }

    std::unique_ptr<CUnitStats[]> records;
    std::unique_ptr<CPlayer[]> players;
    CFuzzUnit units[2];
    CFuzzBuilding buildings[2];
    CReferenceBase table;
};

SWorld& World()
{
    static SWorld world;
    return world;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kLargestInput)
        return 0;
    SWorld& world = World();
    CFuzzSaveStream stream(data, size);
    auto player = std::make_unique<CPlayer>();
    player->LoadGame(stream, world.table);
    // The objects belong to the world, not to the player.
    player->unitCount = 0;
    player->buildingCount = 0;
    for (CTechnology& technology : player->technologies)
        technology.researchingBuilding = nullptr;
    return 0;
}
