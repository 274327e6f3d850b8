#include "units/C_Unit_Gunslinger.h"

CUnitGunslinger::CUnitGunslinger() : CUnitOfType(UNIT_GUNSLINGER) {}
