#pragma once
// The fire-throwing demon of the dark altar.

#include "units/C_UnitOfType.h"

class CUnitDemon : public CUnitOfType
{
public:
    CUnitDemon();
};
