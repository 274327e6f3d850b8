#pragma once
// The archer stationed on a tower.

#include "units/C_UnitOfType.h"

class CUnitTowerArcher : public CUnitOfType
{
public:
    CUnitTowerArcher();
};
