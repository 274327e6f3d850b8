// The alchemy researches a technology through its panel button, and turns
// its apparatus only when finished and standing.

#include "tests/buildings/Production_Fixture.h"

#include "buildings/C_BuildingDraw.h"
#include "game/C_BuildingPanel.h"
#include "media/C_ModelRecord.h"

using AlchemyTest = ProductionTest;

TEST_F(AlchemyTest, TheFirstButtonResearchesAdvancedBuildingAndItsApparatusTurns)
{
    const int32_t advancedBuilding = 53;   // "TC_ADV_BUILD", panel place 0, key 'e'
    CBuilding* alchemy = Finished(CastAlchemy, 10, 10);
    Player(0).wood = Player(0).stone = Player(0).gold = 10000;
    CBuildingPanel::PositionToScreen(0, &g_BuildingPanel.mouseX, &g_BuildingPanel.mouseY);
    g_BuildingPanel.BeginFrame();
    alchemy->RenderPanelButtons();
    g_BuildingPanel.mouseX = g_BuildingPanel.mouseY = -1;
    EXPECT_EQ(g_BuildingPanel.hoverTechnology, advancedBuilding);
    ASSERT_TRUE(alchemy->OnPanelCommand());
    ASSERT_EQ(Player(0).technologies[advancedBuilding].researchingBuilding, alchemy);
    for (int32_t frame = 0; frame < 500 && !Player(0).IsResearched(advancedBuilding); ++frame)
        m_Harness.Frame(20);
    EXPECT_TRUE(Player(0).IsResearched(advancedBuilding));

    AllocGlobalModels();
    CBuildingDraw::ClearDraws();
    alchemy->animTime = 8.0f;
    alchemy->Render(0.5f);
    EXPECT_EQ(CBuildingDraw::GetDraws().size(), 1u);   // collapsing: no apparatus
    alchemy->Render(0.0f);
    ASSERT_EQ(CBuildingDraw::GetDraws().size(), 3u);
    EXPECT_EQ(CBuildingDraw::GetDraws()[2].model, 235);
    EXPECT_EQ(CBuildingDraw::GetDraws()[2].facing, 8.0f);
    FreeGlobalModels();
}
