#pragma once
// The keep, which becomes the stronghold: a player's start building.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingKeep : public CBuildingOfCast
{
public:
    explicit CBuildingKeep(int32_t ownerIndex);

    int32_t hearthEmitter = -1;  // hearth flame particle, -1 none
};
