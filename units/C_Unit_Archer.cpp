#include "units/C_Unit_Archer.h"

namespace
{
const SRangedShot ArcherShot = {9.0f, false, "#DEBUG: Archer unit/building target at once"};
}  // namespace

CUnitArcher::CUnitArcher() : CUnitRangedType(UNIT_ARCHER, ArcherShot) {}
