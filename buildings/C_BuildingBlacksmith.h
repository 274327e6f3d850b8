#pragma once
// The blacksmith: researches weapons and armour; its forge smokes.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingBlacksmith : public CBuildingOfCast
{
public:
    explicit CBuildingBlacksmith(int32_t ownerIndex);

    int32_t smokeEmitter = -1;   // forge smoke particle, -1 none
};
