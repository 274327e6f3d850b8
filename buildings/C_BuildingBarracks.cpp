#include "buildings/C_BuildingBarracks.h"

#include "game/C_BuildingPanel.h"
#include "units/C_UnitTypeTable.h"

namespace
{
constexpr int32_t HorseRiding = 30;   // "TC_HORSERIDE"
constexpr int32_t Crossbow = 31;      // "TC_CROSSBOW"

struct STrainButton
{
    int32_t position;
    int32_t icon;
    int32_t unitType;
    char key;
};

const STrainButton TrainButtons[] = {
    {0, 43, UNIT_WARRIOR, 'w'}, {1, 44, UNIT_ARCHER, 'a'},      {2, 47, UNIT_LIGHTCAVALRY, 'l'},
    {4, 51, UNIT_KNIGHT, 'k'},  {5, 50, UNIT_CROSSBOWMAN, 'o'}, {6, 54, UNIT_HEAVYCAVALRY, 'e'},
};
}  // namespace

CBuildingBarracks::CBuildingBarracks(int32_t ownerIndex) : CBuildingOfCast(CastBarracks, ownerIndex) {}

void CBuildingBarracks::RenderPanelButtons()
{
    if (!MayShowButtons() || RenderUnfinishedPanel())
        return;
    if (MayShowUnitButtons())
        for (const STrainButton& button : TrainButtons)
            RenderUnitButton(button.position, button.icon, button.unitType, button.key);
    if (MayShowTechnologyButtons())
    {
        // Each shares its place with the rider or the crossbowman it
        // unlocks, who cannot be trained before.
        RenderTechnologyButton(2, 88, HorseRiding, 'h');
        RenderTechnologyButton(5, 89, Crossbow, 'c');
    }
    RenderPanelEnd(true);
    RegisterRallyKeys();
}

void CBuildingBarracks::RegisterRallyKeys()
{
    CBuildingPanel& panel = g_BuildingPanel;
    if (panel.panelMode != CBuildingPanel::ModeRally)
        panel.AddbuildingHotkey('r', 'R', nullptr, CBuildingPanel::NoTechnology, CBuildingPanel::NoCommand,
                                CBuildingPanel::ModeRally);
}
