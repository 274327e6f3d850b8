#pragma once
// The light rider: one blow at the end of each swing, and a horse that snorts.

#include "units/C_UnitMeleeType.h"

class CUnitLightCavalry : public CUnitMeleeType
{
public:
    CUnitLightCavalry();
};
