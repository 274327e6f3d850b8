#include "buildings/C_BuildingBlacksmith.h"

CBuildingBlacksmith::CBuildingBlacksmith(int32_t ownerIndex) : CBuildingOfCast(CastBlacksmith, ownerIndex)
{}
