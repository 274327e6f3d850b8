#pragma once
// The hero rider.

#include "units/C_UnitOfType.h"

class CUnitHeroCavalry : public CUnitOfType
{
public:
    CUnitHeroCavalry();
};
