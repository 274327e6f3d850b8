#include "units/C_Unit_Crossbowman.h"

CUnitCrossbowman::CUnitCrossbowman() : CUnitOfType(UNIT_CROSSBOWMAN) {}
