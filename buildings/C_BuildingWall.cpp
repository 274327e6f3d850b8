#include "buildings/C_BuildingWall.h"

CBuildingWall::CBuildingWall(int32_t ownerIndex) : CBuildingOfCast(CastWall, ownerIndex)
{}
