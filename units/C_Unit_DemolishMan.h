#pragma once
// The soldier who blows himself up against buildings.

#include "units/C_UnitOfType.h"

class CUnitDemolishMan : public CUnitOfType
{
public:
    CUnitDemolishMan();
};
