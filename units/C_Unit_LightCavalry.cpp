#include "units/C_Unit_LightCavalry.h"

CUnitLightCavalry::CUnitLightCavalry() : CUnitOfType(UNIT_LIGHTCAVALRY) {}
