#pragma once
// The monastery: trains priests.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingMonastery : public CBuildingOfCast
{
public:
    explicit CBuildingMonastery(int32_t ownerIndex);
};
