#pragma once
// The barracks: trains the foot soldiers.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingBarracks : public CBuildingOfCast
{
public:
    explicit CBuildingBarracks(int32_t ownerIndex);
};
