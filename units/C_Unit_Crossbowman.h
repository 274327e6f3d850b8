#pragma once
// The crossbow soldier of the barracks.

#include "units/C_UnitOfType.h"

class CUnitCrossbowman : public CUnitOfType
{
public:
    CUnitCrossbowman();
};
