#include "units/C_Unit_Warrior.h"

CUnitWarrior::CUnitWarrior() : CUnitOfType(UNIT_WARRIOR) {}
