#include "world/C_PathFinderPlayers.h"

#include "buildings/C_Building.h"
#include "units/C_Unit.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
const CPlayer* FindPlayer(int32_t player)
{
    if (g_Players == nullptr || player < 0 || player >= MaxPlayers)
        return nullptr;
    return &g_Players[player];
}

bool IsBlockIndex(int32_t x, int32_t y)
{
    return x >= 0 && y >= 0 && x < MapBlockSide && y < MapBlockSide;
}
} // namespace

int32_t CPathFinderPlayers::GetVisibility(int32_t player, int32_t x, int32_t y) const
{
    const CPlayer* record = FindPlayer(player);
    return record != nullptr ? record->GetVisibility(x, y) : 0;
}

bool CPathFinderPlayers::WasAttackedNear(int32_t player, int32_t x, int32_t y) const
{
    const CPlayer* record = FindPlayer(player);
    return record != nullptr && record->WasAttackedNear(x, y);
}

int32_t CPathFinderPlayers::GetUnitSightCount(int32_t player, int32_t x, int32_t y) const
{
    const CPlayer* record = FindPlayer(player);
    if (record == nullptr || !IsBlockIndex(x, y))
        return 0;
    return record->unitSightCounts[x * MapBlockSide + y];
}

int32_t CPathFinderPlayers::GetBuildingSightCount(int32_t player, int32_t x, int32_t y) const
{
    const CPlayer* record = FindPlayer(player);
    if (record == nullptr || !IsBlockIndex(x, y))
        return 0;
    return record->buildingSightCounts[x * MapBlockSide + y];
}

bool CPathFinderPlayers::IsUnitAlliedWith(const CUnit& unit, int32_t player) const
{
    return unit.IsAlliedWith(player);
}

bool CPathFinderPlayers::IsBuildingFriendTo(const CBuilding& building, int32_t player) const
{
    return building.IsFriendTo(player);
}

const CPathFinderPlayers& CPathFinderPlayers::Default()
{
    static const CPathFinderPlayers answers;
    return answers;
}
