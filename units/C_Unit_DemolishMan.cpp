#include "units/C_Unit_DemolishMan.h"

CUnitDemolishMan::CUnitDemolishMan() : CUnitOfType(UNIT_DEMOLISHMAN) {}
