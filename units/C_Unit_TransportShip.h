#pragma once
// The ship that carries land units over water.

#include "units/C_UnitOfType.h"

class CUnitTransportShip : public CUnitOfType
{
public:
    CUnitTransportShip();
};
