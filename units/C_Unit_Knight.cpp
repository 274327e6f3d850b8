#include "units/C_Unit_Knight.h"

CUnitKnight::CUnitKnight() : CUnitMeleeType(UNIT_KNIGHT) {}
