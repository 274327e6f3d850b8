// The command panel of the town buildings: the cancel button of an
// unfinished building, the empty panel of a finished house, the
// monastery's buttons by what it is busy with, and the hotkey table.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "buildings/C_BuildingCastTable.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "tests/buildings/Catalogue_World.h"
#include "world/C_Player.h"
#include "world/C_UnitStats.h"

namespace
{
class TownBuildingsPanel : public ::testing::Test
{
protected:
    TownBuildingsPanel()
    {
        g_BuildingPanel = CBuildingPanel();
        g_BuildingCommand.Clear();
    }
    ~TownBuildingsPanel() override { g_BuildingPanel = CBuildingPanel(); }

    void Show(CBuilding& building)
    {
        g_BuildingPanel.BeginFrame();
        building.RenderPanelButtons();
    }
    std::vector<int32_t> Icons() const
    {
        std::vector<int32_t> icons;
        for (const SPanelButton& button : g_BuildingPanel.GetButtons())
            icons.push_back(button.icon);
        return icons;
    }
    void MouseOnCancel()
    {
        CBuildingPanel::PositionToScreen(CBuildingPanel::CancelPosition, &g_BuildingPanel.mouseX,
                                         &g_BuildingPanel.mouseY);
    }

    CatalogueWorld m_World;
};

TEST_F(TownBuildingsPanel, AnUnfinishedBuildingCancelsOnlyForAClickOnItsButton)
{
    for (const int32_t cast : {CastHouse, CastWarehouse, CastMonastery, CastWall})
    {
        CBuilding* building = m_World.Place(0, cast, 10 + 8 * (cast % 5), 10);
        ASSERT_NE(building, nullptr);
        g_BuildingCommand.item = &g_UnitStats[3];
        g_BuildingCommand.technology = 12;
        g_BuildingPanel.mouseX = 900;
        Show(*building);
        EXPECT_EQ(Icons(), std::vector<int32_t>{94}) << cast;
        EXPECT_EQ(g_BuildingCommand.cancelSlot, CBuildingCommand::NoCancel) << cast;
        EXPECT_EQ(g_BuildingCommand.item, nullptr);
        EXPECT_EQ(g_BuildingCommand.technology, CBuildingCommand::NoTechnology);
        ASSERT_NE(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey), nullptr);
        EXPECT_EQ(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command, -2);
        MouseOnCancel();
        Show(*building);
        EXPECT_EQ(g_BuildingCommand.cancelSlot, CBuildingCommand::CancelDemolish) << cast;
    }
}

TEST_F(TownBuildingsPanel, AFinishedHouseShowsNoButtons)
{
    CBuilding* house = m_World.PlaceFinished(0, CastHouse, 10, 10);
    ASSERT_NE(house, nullptr);
    Show(*house);
    EXPECT_TRUE(g_BuildingPanel.GetButtons().empty());
    EXPECT_TRUE(g_BuildingPanel.GetHotkeys().empty());
}

TEST_F(TownBuildingsPanel, ATrainingMonasteryHidesItsTechnologiesButKeepsThePriest)
{
    CBuilding* monastery = m_World.PlaceFinished(0, CastMonastery, 10, 10);
    ASSERT_NE(monastery, nullptr);
    m_World.Player(0).enabledUnitTypes[5] = 1;
    Show(*monastery);
    const std::vector<int32_t> idle = Icons();
    ASSERT_FALSE(idle.empty());
    EXPECT_EQ(idle.front(), 49);
    EXPECT_EQ(idle.back(), 107);
    EXPECT_GE(idle.size(), 3u);
    ASSERT_NE(g_BuildingPanel.FindHotkey('P'), nullptr);
    EXPECT_EQ(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey), nullptr);

    monastery->queue[0] = g_BuildingPanel.FindHotkey('p')->record;
    monastery->queueCount = 1;
    Show(*monastery);
    EXPECT_EQ(Icons(), (std::vector<int32_t>{49, 107}));
    ASSERT_NE(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey), nullptr);
    EXPECT_EQ(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command, 0);
    monastery->queue[0] = nullptr;
    monastery->queueCount = 0;

    // In the rally mode Escape leaves it and the mode button is gone.
    g_BuildingPanel.panelMode = CBuildingPanel::ModeRally;
    Show(*monastery);
    EXPECT_EQ(Icons().size(), idle.size() - 1);
    EXPECT_NE(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey), nullptr);
}

TEST_F(TownBuildingsPanel, DetailsShowTheOwnersHitPointsProgressAndWaitingReason)
{
    CBuilding* house = m_World.Place(0, CastHouse, 10, 10);
    CBuilding* foreign = m_World.Place(1, CastHouse, 20, 10);
    ASSERT_TRUE(house && foreign);
    house->buildProgress = 50.0f;
    house->productionState = CBuilding::ProductionNeedsHouses;
    g_BuildingPanel.BeginFrame();
    house->RenderDetailsOnPanel();
    std::vector<std::string> texts;
    for (const SPanelText& text : g_BuildingPanel.GetTexts())
        texts.push_back(text.text);
    EXPECT_EQ(texts[0], "BD_HOUSE");
    // 400 x 50 percent now, 400 when finished; the bar 50 x 1.71 pixels.
    EXPECT_NE(std::find(texts.begin(), texts.end(), "200/400"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "50%"), texts.end());
    EXPECT_EQ(g_BuildingPanel.progressBarWidth, 85);
    EXPECT_EQ(texts.back(), "BDMSG_HOUSENEEDED");
    EXPECT_EQ(Icons(), std::vector<int32_t>{53});

    g_BuildingPanel.BeginFrame();
    foreign->RenderDetailsOnPanel();
    ASSERT_FALSE(g_BuildingPanel.GetTexts().empty());
    EXPECT_EQ(g_BuildingPanel.GetTexts().back().text, "UN_TYPE_ENEMY");
    EXPECT_EQ(g_BuildingPanel.GetTexts().back().colour, 0xFF4040u);
    EXPECT_EQ(g_BuildingPanel.progressBarWidth, -1);
}

TEST_F(TownBuildingsPanel, TheFirstHotkeyRegisteredWinsACollision)
{
    g_BuildingPanel.BeginFrame();
    EXPECT_TRUE(g_BuildingPanel.AddbuildingHotkey('a', 'A', nullptr, 50, -1, 0));
    EXPECT_FALSE(g_BuildingPanel.AddbuildingHotkey('a', 'A', nullptr, 51, -1, 0));
    EXPECT_EQ(g_BuildingPanel.FindHotkey('A')->technology, 50);
    for (int32_t key = 0; key < 40; ++key)
        g_BuildingPanel.AddbuildingHotkey(1000 + key, 2000 + key, nullptr, key, -1, 0);
    EXPECT_EQ(g_BuildingPanel.GetHotkeys().size(), size_t(CBuildingPanel::HotkeyCapacity));
}
}  // namespace
