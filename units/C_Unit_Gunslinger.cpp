#include "units/C_Unit_Gunslinger.h"

namespace
{
const SHeroWeapon Guns = {{0.0f, false, "#DEBUG: Gunslinger unit/building target at once"}, 1.0f, true, false, true,
                          false, {52, 1}};
}  // namespace

CUnitGunslinger::CUnitGunslinger() : CUnitHeroType(UNIT_GUNSLINGER, Guns) {}

void CUnitGunslinger::onPerformAction()
{
    MeleeOnPerformAction(m_Animation.facingExtra, __LINE__, __FILE__);
}
