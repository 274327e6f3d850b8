#pragma once
// The hero who fires a laser.

#include "units/C_UnitOfType.h"

class CUnitQuib : public CUnitOfType
{
public:
    CUnitQuib();
};
