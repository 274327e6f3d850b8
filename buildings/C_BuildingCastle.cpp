#include "buildings/C_BuildingCastle.h"

#include "buildings/C_BuildingBarracks.h"
#include "units/C_UnitTypeTable.h"

namespace
{
// Technologies that share a place are the levels of one chain, of which
// the technology tree offers one at a time.
const SCommandButton ResearchButtons[] = {
    {39, 4, 97, 'i'},  {40, 4, 98, 'b'},  {41, 4, 99, 'a'},    // "TC_MACINE_D_1" to "_3"
    {42, 8, 100, 'h'}, {43, 8, 101, 'e'},                      // "TC_CAT_ATT_1", "_2"
    {45, 9, 103, 's'},                                         // "TC_CAT_RANGE"
    {46, 5, 104, 'o'}, {47, 5, 105, 'n'},                      // "TC_BUILD_D_1", "_2"
    {48, 6, 106, 'f'},                                         // "TC_FF_WALL"
    {44, 7, 102, 'm'},                                         // "TC_MERC_FORCE"
};
}  // namespace

CBuildingCastle::CBuildingCastle(int32_t ownerIndex) : CBuildingOfCast(CastCastle, ownerIndex) {}

void CBuildingCastle::RenderPanelButtons()
{
    if (!MayShowButtons() || RenderUnfinishedPanel(MilitaryCancelButton))
        return;
    if (MayShowUnitButtons())
    {
        RenderUnitButton(0, 46, UNIT_CATAPULT, 'c');
        RenderUnitButton(1, 53, UNIT_DEMOLISHMAN, 'm');
    }
    if (MayShowTechnologyButtons())
        RenderTechnologyButtons(ResearchButtons);
    RenderPanelEnd(true, EscapeCancels, MilitaryRallyButton);
    CBuildingBarracks::RegisterRallyKeys();
}
