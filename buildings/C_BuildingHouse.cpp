#include "buildings/C_BuildingHouse.h"

CBuildingHouse::CBuildingHouse(int32_t ownerIndex) : CBuildingOfCast(CastHouse, ownerIndex)
{}
