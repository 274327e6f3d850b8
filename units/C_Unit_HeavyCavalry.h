#pragma once
// The armoured rider of the barracks.

#include "units/C_UnitOfType.h"

class CUnitHeavyCavalry : public CUnitOfType
{
public:
    CUnitHeavyCavalry();
};
