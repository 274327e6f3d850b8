#include "units/C_Unit_Priest.h"

CUnitPriest::CUnitPriest() : CUnitOfType(UNIT_PRIEST) {}
