#include "units/C_Unit_HeavyCavalry.h"

CUnitHeavyCavalry::CUnitHeavyCavalry() : CUnitOfType(UNIT_HEAVYCAVALRY) {}
