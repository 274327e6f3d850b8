#pragma once
// A tower: manned by up to five tower archers.

#include <cstdint>

#include "buildings/C_BuildingOfCast.h"

class CUnit;

class CBuildingTower : public CBuildingOfCast
{
public:
    explicit CBuildingTower(int32_t ownerIndex);

    static constexpr int32_t ArcherCapacity = 5;

    CUnit* archers[ArcherCapacity] = {};
    int32_t archerCount = 0;
    int32_t sightRange = 0;   // of its archers, from a probe archer of the owner
};
