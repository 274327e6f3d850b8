#include "buildings/C_BuildingCastle.h"

CBuildingCastle::CBuildingCastle(int32_t ownerIndex) : CBuildingOfCast(CastCastle, ownerIndex)
{}
