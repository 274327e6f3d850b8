#include "units/C_Unit_Knight.h"

CUnitKnight::CUnitKnight() : CUnitOfType(UNIT_KNIGHT) {}
