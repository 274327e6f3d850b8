#include "game/C_MapObjectAnimation.h"

#include <unordered_set>
#include <vector>

#include "buildings/C_Building.h"
#include "world/C_GameMap.h"
#include "world/C_Player.h"

namespace
{
std::unordered_set<const CBuilding*> ListedBuildings()
{
    std::unordered_set<const CBuilding*> listed;
    for (int32_t p = 0; g_Players != nullptr && p < MaxPlayers; ++p)
        for (int32_t i = 0; i < g_Players[p].buildingCount; ++i)
            listed.insert(g_Players[p].buildings[i]);
    return listed;
}
}  // namespace

void CMapObjectAnimation::AnimateUnlisted(int32_t ticks)
{
    if (ticks <= 0 || g_GameMap.GetWidth() <= 0)
        return;
    const std::unordered_set<const CBuilding*> listed = ListedBuildings();
    // Gathered first: an object's step may change the blocks.
    std::vector<CBuilding*> objects;
    std::unordered_set<const CBuilding*> seen;
    for (int32_t x = 0; x < g_GameMap.GetWidth(); ++x)
        for (int32_t y = 0; y < g_GameMap.GetHeight(); ++y)
        {
            CBuilding* building = g_GameMap.Block(x, y).building;
            if (building != nullptr && listed.count(building) == 0 && seen.insert(building).second)
                objects.push_back(building);
        }
    for (CBuilding* building : objects)
        if (!building->IsTakenDown())
            building->Animate(static_cast<float>(ticks));
}
