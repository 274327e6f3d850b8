#include "units/C_Unit_Warhound.h"

CUnitWarhound::CUnitWarhound() : CUnitOfType(UNIT_WARHOUND) {}
