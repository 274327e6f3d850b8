#include "buildings/C_BuildingResourceTree.h"

#include "buildings/C_BuildingCastTable.h"
#include "core/C_Config.h"
#include "core/GlobalFunc.h"

namespace
{
// Debris pieces of the two kinds a projectile hit throws.
constexpr int32_t TreeHitDebris[2] = {0, 10};
constexpr int32_t FullCircle = 360;
constexpr int32_t LookCount = 4;
constexpr int32_t FirstFelledState = 4;
constexpr int32_t LastFelledState = 6;
constexpr int32_t StandingAmount = 96;

int32_t ModelOfVariant(int32_t variant)
{
    if (variant < 1 || variant > CResourceTree::VariantCount)
        return 0;
    return CResourceTree::FirstModel + 2 * (variant - 1);
}
}  // namespace

CResourceTree::CResourceTree(int32_t variant)
    : CResource(ResourceKindTree, ModelOfVariant(variant), StartAmount), treeCast(variant), look(0), state(0)
{
    if (g_Config.networkRole != 0)
        facing = NetworkFacing;
    else
        facing = static_cast<float>(GlobalFunc::Random(FullCircle));
    look = GlobalFunc::Random(LookCount);
}

bool CResourceTree::CanBeMined() const
{
    return (state < FirstFelledState || state > LastFelledState) && amount >= StandingAmount;
}

void CResourceTree::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = TreeHitDebris[0];
    *second = TreeHitDebris[1];
}
