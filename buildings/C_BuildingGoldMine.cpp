#include "buildings/C_BuildingGoldMine.h"

#include "buildings/C_BuildingCastTable.h"

namespace
{
// Debris pieces of the two kinds a projectile hit throws.
constexpr int32_t GoldMineHitDebris[2] = {3, 2};
}  // namespace

CBuildingGoldMine::CBuildingGoldMine() : CResource(ResourceKindGoldMine, Model, StartAmount), extra(0.0f) {}

void CBuildingGoldMine::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = GoldMineHitDebris[0];
    *second = GoldMineHitDebris[1];
}
