#pragma once
// The healer of the monastery.

#include "units/C_UnitOfType.h"

class CUnitPriest : public CUnitOfType
{
public:
    CUnitPriest();
};
