#include "units/C_Unit_Undead.h"

CUnitUndead::CUnitUndead() : CUnitOfType(UNIT_UNDEAD) {}
