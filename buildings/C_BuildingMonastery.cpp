#include "buildings/C_BuildingMonastery.h"

CBuildingMonastery::CBuildingMonastery(int32_t ownerIndex) : CBuildingOfCast(CastMonastery, ownerIndex)
{}
