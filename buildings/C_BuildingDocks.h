#pragma once
// The docks: build ships on the shore.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingDocks : public CBuildingOfCast
{
public:
    explicit CBuildingDocks(int32_t ownerIndex);

    int32_t dockState = 0;
};
