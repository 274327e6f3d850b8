#include "buildings/C_BuildingMonastery.h"

namespace
{
constexpr int32_t PriestUnit = 5;
constexpr int32_t PriestDefence = 49;    // "TC_PRIEST_DEF"
constexpr int32_t PriestAttack = 50;     // "TC_PRIEST_ATT_1"
constexpr int32_t ArmourOfGod = 51;      // "TC_AO_GOD"
}  // namespace

CBuildingMonastery::CBuildingMonastery(int32_t ownerIndex) : CBuildingOfCast(CastMonastery, ownerIndex) {}

void CBuildingMonastery::RenderPanelButtons()
{
    if (RenderUnfinishedPanel() || !MayShowButtons())
        return;
    if (MayShowUnitButtons())
        RenderUnitButton(0, 49, PriestUnit, 'p');
    if (MayShowTechnologyButtons())
    {
        RenderTechnologyButton(4, 107, PriestDefence, 'h');
        // The attack and its follow-up share a place; the technology tree
        // offers one of them at a time.
        RenderTechnologyButton(8, 108, PriestAttack, 'f');
        RenderTechnologyButton(8, 109, ArmourOfGod, 'a');
    }
    RenderPanelEnd(true);
}
