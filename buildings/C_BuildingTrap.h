#pragma once
// A trap: hidden from enemies until it springs.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingTrap : public CBuildingOfCast
{
public:
    explicit CBuildingTrap(int32_t ownerIndex);
};
