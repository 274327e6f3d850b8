#include "buildings/C_BuildingDarkAltar.h"

CBuildingDarkAltar::CBuildingDarkAltar(int32_t ownerIndex) : CBuildingOfCast(CastDarkAltar, ownerIndex)
{}
