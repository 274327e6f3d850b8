#pragma once
// The siege engine of the castle.

#include "units/C_UnitOfType.h"

class CUnitCatapult : public CUnitOfType
{
public:
    CUnitCatapult();
};
