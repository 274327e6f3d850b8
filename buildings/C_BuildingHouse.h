#pragma once
// A house: raises its owner's population limit.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingHouse : public CBuildingOfCast
{
public:
    explicit CBuildingHouse(int32_t ownerIndex);
};
