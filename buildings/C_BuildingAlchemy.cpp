#include "buildings/C_BuildingAlchemy.h"

CBuildingAlchemy::CBuildingAlchemy(int32_t ownerIndex) : CBuildingOfCast(CastAlchemy, ownerIndex)
{}
