#pragma once
// The bowman of the barracks.

#include "units/C_UnitOfType.h"

class CUnitArcher : public CUnitOfType
{
public:
    CUnitArcher();
};
