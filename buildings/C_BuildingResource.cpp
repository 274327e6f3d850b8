#include "buildings/C_BuildingResource.h"

#include "buildings/C_BuildingCastTable.h"
#include "core/GlobalFunc.h"

namespace
{
// Debris pieces of the two kinds a projectile hit throws.
constexpr int32_t RockHitDebris[2] = {3, 0};
constexpr int32_t RockFacings = 8;
constexpr int32_t RockFacingStep = 45;
}  // namespace

CResource::CResource() : CResource(ResourceKindRock, RockModel, RockAmount)
{
    facing = static_cast<float>(GlobalFunc::Random(RockFacings) * RockFacingStep);
}

CResource::CResource(int32_t kind, int32_t modelNumber, int32_t startAmount)
    : CBuilding(-1, -1, -1), resourceKind(kind), amount(startAmount), facing(0.0f)
{
    model = modelNumber;
}

int32_t CResource::GetBuildCast() const
{
    return CastResource;
}

void CResource::GetHitDebris(int32_t* first, int32_t* second) const
{
    *first = RockHitDebris[0];
    *second = RockHitDebris[1];
}
