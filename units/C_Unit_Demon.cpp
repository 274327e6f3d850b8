#include "units/C_Unit_Demon.h"

CUnitDemon::CUnitDemon() : CUnitOfType(UNIT_DEMON) {}
