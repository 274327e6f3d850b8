#include "units/C_Unit_Warrior.h"

CUnitWarrior::CUnitWarrior() : CUnitMeleeType(UNIT_WARRIOR) {}
