#pragma once
// The economic unit: harvests, carries, builds and repairs.

#include "units/C_UnitOfType.h"

class CUnitWorker : public CUnitOfType
{
public:
    CUnitWorker();
};
