#include "units/C_Unit_HeroCavalry.h"

CUnitHeroCavalry::CUnitHeroCavalry() : CUnitOfType(UNIT_HEROCAVALRY) {}
