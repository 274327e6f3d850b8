#include "units/C_Unit_Catapult.h"

CUnitCatapult::CUnitCatapult() : CUnitOfType(UNIT_CATAPULT) {}
