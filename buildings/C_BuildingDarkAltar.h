#pragma once
// The dark altar: summons the dark units.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingDarkAltar : public CBuildingOfCast
{
public:
    explicit CBuildingDarkAltar(int32_t ownerIndex);

    int32_t flameEmitters[2] = {-1, -1};   // altar flames, -1 none
};
