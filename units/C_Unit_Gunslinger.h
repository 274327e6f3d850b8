#pragma once
// The hero with two guns.

#include "units/C_UnitOfType.h"

class CUnitGunslinger : public CUnitOfType
{
public:
    CUnitGunslinger();
};
