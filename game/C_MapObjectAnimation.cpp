#include "game/C_MapObjectAnimation.h"

#include <vector>

#include "buildings/C_Building.h"
#include "world/C_GameMap.h"

void CMapObjectAnimation::AnimateUnlisted(int32_t ticks)
{
    if (ticks <= 0 || g_GameMap.GetWidth() <= 0)
        return;
    // Copied first: an object's step may take objects off the map and so
    // off the list.  Kept between passes, so that a pass allocates nothing.
    static std::vector<CBuilding*> objects;
    const auto listed = g_GameMap.MapObjects();
    objects.assign(listed.begin(), listed.end());
    for (CBuilding* building : objects)
        if (!building->IsTakenDown())
            building->Animate(static_cast<float>(ticks));
}
