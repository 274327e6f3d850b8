#pragma once
// One wall segment; joins its neighbours into posts and runs.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CBuildingWall : public CBuildingOfCast
{
public:
    explicit CBuildingWall(int32_t ownerIndex);

    int32_t joinState = 0;
};
