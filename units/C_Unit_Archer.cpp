#include "units/C_Unit_Archer.h"

CUnitArcher::CUnitArcher() : CUnitOfType(UNIT_ARCHER) {}
