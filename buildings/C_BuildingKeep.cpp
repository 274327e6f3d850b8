#include "buildings/C_BuildingKeep.h"

#include "world/C_Player.h"

namespace
{
constexpr int32_t StrongholdTechnology = 8;   // "TC_TRONGHOLD"
constexpr int32_t StrongholdModel = 172;
}  // namespace

CBuildingKeep::CBuildingKeep(int32_t ownerIndex) : CBuildingOfCast(CastKeep, ownerIndex)
{
    // All keeps of a player turn into strongholds together.
    if (g_Players != nullptr && ownerIndex >= 0 && ownerIndex < MaxPlayers &&
        g_Players[ownerIndex].IsResearched(StrongholdTechnology))
        model = StrongholdModel;
}
