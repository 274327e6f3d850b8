#include "units/C_Unit_LightCavalry.h"

CUnitLightCavalry::CUnitLightCavalry() : CUnitMeleeType(UNIT_LIGHTCAVALRY) {}
