#include "buildings/C_BuildingTrap.h"

CBuildingTrap::CBuildingTrap(int32_t ownerIndex) : CBuildingOfCast(CastTrap, ownerIndex)
{}
