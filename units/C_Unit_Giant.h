#pragma once
// The giant of the dark altar.

#include "units/C_UnitOfType.h"

class CUnitGiant : public CUnitOfType
{
public:
    CUnitGiant();
};
