#include "units/C_Unit_TowerArcher.h"

CUnitTowerArcher::CUnitTowerArcher() : CUnitOfType(UNIT_TOWERARCHER) {}
