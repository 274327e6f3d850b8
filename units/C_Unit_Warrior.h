#pragma once
// The foot soldier of the barracks.

#include "units/C_UnitMeleeType.h"

class CUnitWarrior : public CUnitMeleeType
{
public:
    CUnitWarrior();
};
