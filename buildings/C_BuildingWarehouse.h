#pragma once
// A warehouse: workers deliver their goods here.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingWarehouse : public CBuildingOfCast
{
public:
    explicit CBuildingWarehouse(int32_t ownerIndex);
};
