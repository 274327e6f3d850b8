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
#include "fuzz/FuzzSaveWorld.h"
#include "media/C_SaveStream.h"
#include "units/C_Unit.h"
#include "world/C_Player.h"
#include "world/C_ReferenceBase.h"
#include "world/C_UnitStats.h"

namespace
{
constexpr size_t kLargestInput = 1u << 20;

class CFuzzBuilding : public CBuilding
{
public:
    CFuzzBuilding() { owner = 0; }
};

using SWorld = SFuzzSaveWorld<CFuzzBuilding>;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kLargestInput)
        return 0;
    SWorld& world = SWorld::Get();
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
