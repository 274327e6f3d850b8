#pragma once
// The undead warrior of the dark altar.

#include "units/C_UnitOfType.h"

class CUnitUndead : public CUnitOfType
{
public:
    CUnitUndead();
};
