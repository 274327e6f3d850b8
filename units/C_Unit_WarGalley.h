#pragma once
// The fighting ship of the docks.

#include "units/C_UnitOfType.h"

class CUnitWarGalley : public CUnitOfType
{
public:
    CUnitWarGalley();
};
