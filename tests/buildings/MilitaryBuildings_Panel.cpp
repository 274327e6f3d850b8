// The command panels of the barracks, the blacksmith, the castle and the
// dark altar: the buttons the owner's research and the building's work
// leave, and their keys carried out as the command panel does.

#include <gtest/gtest.h>

#include <vector>

#include "buildings/C_BuildingCastTable.h"
#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "tests/buildings/Catalogue_World.h"
#include "world/C_Player.h"
#include "world/C_Technology.h"
#include "world/C_UnitStats.h"

namespace
{
using Icons = std::vector<int32_t>;
constexpr int32_t Rally = 107;

class MilitaryBuildingsPanel : public ::testing::Test
{
protected:
    MilitaryBuildingsPanel()
    {
        g_BuildingPanel = CBuildingPanel();
        CPlayer& owner = m_World.Player(0);
        for (CTechnology& technology : owner.technologies)
            technology.enabled = 1;
        for (uint8_t& enabled : owner.enabledUnitTypes)
            enabled = 1;
        owner.wood = owner.gold = owner.stone = 100000;
        m_World.PlaceFinished(0, CastBlacksmith, 40, 40);
        m_World.PlaceFinished(0, CastAlchemy, 40, 20);
    }
    ~MilitaryBuildingsPanel() override { g_BuildingPanel = CBuildingPanel(); }

    static Icons Show(CBuilding& building)
    {
        g_BuildingPanel.BeginFrame();
        building.RenderPanelButtons();
        Icons icons;
        for (const SPanelButton& button : g_BuildingPanel.GetButtons())
            icons.push_back(button.icon);
        return icons;
    }
    // The command panel's answer to a key: the mode it arms, or the unit,
    // technology or cancelling it hands the building.
    static bool Press(CBuilding& building, int32_t key)
    {
        const SBuildingHotkey* hotkey = g_BuildingPanel.FindHotkey(key);
        if (hotkey == nullptr)
            return false;
        g_BuildingPanel.panelMode = hotkey->mode != 0 ? hotkey->mode : g_BuildingPanel.panelMode;
        g_BuildingCommand.Clear();
        g_BuildingCommand.item = hotkey->record;
        g_BuildingCommand.technology = hotkey->technology;
        if (hotkey->command == CBuildingCommand::CancelCurrent)
            g_BuildingCommand.cancelSlot = hotkey->command;
        return hotkey->mode != 0 || building.OnPanelCommand();
    }
    void Research(std::vector<int32_t> technologies)
    {
        for (const int32_t technology : technologies)
            m_World.Player(0).technologies[technology].progress = 100.0f;
    }

    CatalogueWorld m_World;
};

TEST_F(MilitaryBuildingsPanel, BarracksKeysTrainResearchCancelAndArmTheRally)
{
    CBuilding* barracks = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    ASSERT_NE(barracks, nullptr);
    // The two technologies stand where the rider and the crossbowman will.
    EXPECT_EQ(Show(*barracks), (Icons{43, 44, 88, 89, Rally}));
    ASSERT_TRUE(Press(*barracks, 'H'));
    EXPECT_EQ(Show(*barracks), Icons{Rally});
    ASSERT_TRUE(Press(*barracks, CBuildingPanel::EscapeKey));
    EXPECT_EQ(barracks->research, nullptr);

    Research({30, 31});
    EXPECT_EQ(Show(*barracks), (Icons{43, 44, 47, 50, Rally}));
    ASSERT_TRUE(Press(*barracks, 'l') && Press(*barracks, 'W'));
    EXPECT_TRUE(barracks->queue[0] == &g_UnitStats[5] && barracks->queue[1] == &g_UnitStats[1]);
    ASSERT_TRUE(Press(*barracks, 'r'));
    EXPECT_EQ(Show(*barracks), (Icons{43, 44, 47, 50}));
    EXPECT_EQ(g_BuildingPanel.FindHotkey('r'), nullptr);
}

TEST_F(MilitaryBuildingsPanel, BlacksmithAndCastleShowEachChainsLowestLevelStillToResearch)
{
    CBuilding* smithy = m_World.PlaceFinished(0, CastBlacksmith, 10, 10);
    CBuilding* castle = m_World.PlaceFinished(0, CastCastle, 20, 10);
    ASSERT_TRUE(smithy != nullptr && castle != nullptr);
    EXPECT_EQ(Show(*smithy), (Icons{69, 78, 84, 72, 75, 81}));
    Research({8, 29, 54, 55, 11, 12, 13, 14, 39, 40});
    EXPECT_EQ(Show(*castle), (Icons{46, 53, 99, 100, 103, 104, 106, 102, Rally}));
    // The demolition man and the mercenaries share "m": the first one wins.
    EXPECT_EQ(g_BuildingPanel.FindHotkey('m')->record, &g_UnitStats[11]);
    // All three attack levels done: the place stays empty.
    EXPECT_EQ(Show(*smithy), (Icons{78, 84, 73, 75, 81}));

    ASSERT_TRUE(Press(*smithy, 'G'));
    EXPECT_TRUE(Show(*smithy).empty());
    EXPECT_EQ(g_BuildingPanel.GetHotkeys().size(), 1u);
}

TEST_F(MilitaryBuildingsPanel, DarkAltarHidesAReadySpellAndPulsesItsAbilityImage)
{
    CBuilding* altar = m_World.PlaceFinished(0, CastDarkAltar, 10, 10);
    ASSERT_NE(altar, nullptr);
    Research({54, 50, 51});
    EXPECT_EQ(Show(*altar), (Icons{55, 56, 57, 110, Rally}));
    altar->RenderDetailsOnPanel();
    EXPECT_TRUE(g_BuildingPanel.GetPictures().empty());

    Research({52});
    EXPECT_EQ(Show(*altar), (Icons{55, 56, 57, Rally}));
    g_BuildingPanel.pulse = 0.5f;
    altar->RenderDetailsOnPanel();
    ASSERT_EQ(g_BuildingPanel.GetPictures().size(), 1u);
    const SPanelPicture& image = g_BuildingPanel.GetPictures()[0];
    EXPECT_EQ((Icons{image.x, image.y, image.width, image.height, image.alpha}), (Icons{25, 655, 96, 96, 127}));
}
}  // namespace
