#pragma once
// The armoured swordsman: two half blows in each swing.

#include "units/C_UnitMeleeType.h"

class CUnitKnight : public CUnitMeleeType
{
public:
    CUnitKnight();
};
