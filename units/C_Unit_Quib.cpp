#include "units/C_Unit_Quib.h"

CUnitQuib::CUnitQuib() : CUnitOfType(UNIT_QUIB) {}
