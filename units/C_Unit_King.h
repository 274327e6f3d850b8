#pragma once
// The player's king, who may shelter in a keep.

#include "units/C_UnitOfType.h"

class CUnitKing : public CUnitOfType
{
public:
    CUnitKing();
};
