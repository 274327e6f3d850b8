#include "units/C_Unit_Warhound.h"

namespace
{
const SHeroWeapon Gun = {{0.0f, false, "#DEBUG: Warhound unit/building target at once"}, 1.0f, true, false, false,
                         false, {52, 1}};
}  // namespace

CUnitWarhound::CUnitWarhound() : CUnitHeroType(UNIT_WARHOUND, Gun) {}

void CUnitWarhound::onPerformAction()
{
    MeleeOnPerformAction(m_Animation.facingExtra, __LINE__, __FILE__);
}
