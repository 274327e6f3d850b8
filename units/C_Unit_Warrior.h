#pragma once
// The foot soldier of the barracks.

#include "units/C_UnitOfType.h"

class CUnitWarrior : public CUnitOfType
{
public:
    CUnitWarrior();
};
