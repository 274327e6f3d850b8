#pragma once
// The alchemy: researches the magic technologies.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingAlchemy : public CBuildingOfCast
{
public:
    explicit CBuildingAlchemy(int32_t ownerIndex);
};
