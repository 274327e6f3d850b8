#include "units/C_Unit_WarGalley.h"

CUnitWarGalley::CUnitWarGalley() : CUnitOfType(UNIT_WARGALLEY) {}
