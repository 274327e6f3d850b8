#include "buildings/C_BuildingWarehouse.h"

CBuildingWarehouse::CBuildingWarehouse(int32_t ownerIndex) : CBuildingOfCast(CastWarehouse, ownerIndex)
{}
