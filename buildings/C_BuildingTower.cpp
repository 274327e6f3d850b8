#include "buildings/C_BuildingTower.h"

#include "units/C_Unit_TowerArcher.h"

CBuildingTower::CBuildingTower(int32_t ownerIndex) : CBuildingOfCast(CastTower, ownerIndex)
{
    // The sight of its archers is what a tower archer of the owner sees.
    CUnitTowerArcher probe;
    probe.player = ownerIndex;
    sightRange = probe.GetSightRadius();
}
