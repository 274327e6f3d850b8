#pragma once
// The armoured foot soldier of the barracks.

#include "units/C_UnitOfType.h"

class CUnitKnight : public CUnitOfType
{
public:
    CUnitKnight();
};
