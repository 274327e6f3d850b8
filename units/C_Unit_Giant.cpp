#include "units/C_Unit_Giant.h"

CUnitGiant::CUnitGiant() : CUnitOfType(UNIT_GIANT) {}
