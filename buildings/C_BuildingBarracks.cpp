#include "buildings/C_BuildingBarracks.h"

#include "game/C_BuildingPanel.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr int32_t HorseRiding = 30;   // "TC_HORSERIDE"
constexpr int32_t Crossbow = 31;      // "TC_CROSSBOW"

const SCommandButton TrainButtons[] = {
    {UNIT_WARRIOR, 0, 43, 'w'}, {UNIT_ARCHER, 1, 44, 'a'},      {UNIT_LIGHTCAVALRY, 2, 47, 'l'},
    {UNIT_KNIGHT, 4, 51, 'k'},  {UNIT_CROSSBOWMAN, 5, 50, 'o'}, {UNIT_HEAVYCAVALRY, 6, 54, 'e'},
};
}  // namespace

CBuildingBarracks::CBuildingBarracks(int32_t ownerIndex) : CBuildingOfCast(CastBarracks, ownerIndex) {}

void CBuildingBarracks::RenderPanelButtons()
{
    if (!MayShowButtons() || RenderUnfinishedPanel(MilitaryCancelButton))
        return;
    if (MayShowUnitButtons())
        RenderUnitButtons(TrainButtons);
    if (MayShowTechnologyButtons())
    {
        // Each shares its place with the rider or the crossbowman it
        // unlocks, who cannot be trained before.
        RenderTechnologyButton(2, 88, HorseRiding, 'h');
        RenderTechnologyButton(5, 89, Crossbow, 'c');
    }
    RenderPanelEnd(true, EscapeCancels, MilitaryRallyButton);
    RegisterRallyKeys();
}

void CBuildingBarracks::RegisterRallyKeys()
{
    CBuildingPanel& panel = g_BuildingPanel;
    if (panel.panelMode != CBuildingPanel::ModeRally)
        panel.AddbuildingHotkey('r', 'R', nullptr, CBuildingPanel::NoTechnology, CBuildingPanel::NoCommand,
                                CBuildingPanel::ModeRally);
}
