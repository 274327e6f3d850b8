#pragma once
// The bowman of the barracks: releases its arrow late in the draw.

#include "units/C_UnitRangedType.h"

class CUnitArcher : public CUnitRangedType
{
public:
    CUnitArcher();
};
