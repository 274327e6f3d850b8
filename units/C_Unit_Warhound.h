#pragma once
// The hero with a gun.

#include "units/C_UnitOfType.h"

class CUnitWarhound : public CUnitOfType
{
public:
    CUnitWarhound();
};
