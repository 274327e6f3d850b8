#pragma once
// The wagon that founds a keep.

#include "units/C_UnitOfType.h"

class CUnitSettler : public CUnitOfType
{
public:
    CUnitSettler();
};
