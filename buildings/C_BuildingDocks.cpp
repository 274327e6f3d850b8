#include "buildings/C_BuildingDocks.h"

CBuildingDocks::CBuildingDocks(int32_t ownerIndex) : CBuildingOfCast(CastDocks, ownerIndex)
{}
