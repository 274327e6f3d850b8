#pragma once
// The castle: trains the heavy troops.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingCastle : public CBuildingOfCast
{
public:
    explicit CBuildingCastle(int32_t ownerIndex);
};
