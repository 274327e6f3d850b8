#include "units/C_Unit_Settler.h"

CUnitSettler::CUnitSettler() : CUnitOfType(UNIT_SETTLER) {}
