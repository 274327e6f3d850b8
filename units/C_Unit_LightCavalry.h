#pragma once
// The fast rider of the barracks.

#include "units/C_UnitOfType.h"

class CUnitLightCavalry : public CUnitOfType
{
public:
    CUnitLightCavalry();
};
