// The command panels: the buttons and keys each building's state leaves, and the details.

#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "tests/buildings/BuildingWorld.h"

namespace
{
using Icons = std::vector<int32_t>;
constexpr int32_t Rally = 107;

class BuildingsPanel : public ::testing::Test
{
protected:
    BuildingsPanel()
    {
        g_BuildingPanel = CBuildingPanel();
        g_BuildingCommand.Clear();
    }
    ~BuildingsPanel() override { g_BuildingPanel = CBuildingPanel(); }

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
        // A bare 0 or -1 (Escape) cancels the current production or research.
        const bool bare = hotkey->record == nullptr && hotkey->technology == CBuildingPanel::NoTechnology;
        if (bare && (hotkey->command == 0 || hotkey->command == -1))
            g_BuildingCommand.cancelSlot = CBuildingCommand::CancelCurrent;
        return hotkey->mode != 0 || building.OnPanelCommand();
    }
    void Research(std::vector<int32_t> technologies)
    {
        for (const int32_t technology : technologies)
            m_World.Player(0).technologies[technology].progress = 100.0f;
    }

    CBuildingWorld m_World;
};

TEST_F(BuildingsPanel, AnUnfinishedBuildingCancelsOnlyOnItsButtonAndAMonasteryHidesItsTechnologiesWhileTraining)
{
    for (const int32_t cast : {CastHouse, CastWall})
    {
        SCOPED_TRACE(cast);
        CBuilding* building = m_World.Place(0, cast, 10 + 8 * (cast % 5), 10);
        g_BuildingCommand.item = &g_UnitStats[3];
        g_BuildingCommand.technology = 12;
        g_BuildingPanel.mouseX = 900;
        EXPECT_EQ(Show(*building), Icons{94});
        EXPECT_TRUE(g_BuildingCommand.cancelSlot == CBuildingCommand::NoCancel && g_BuildingCommand.item == nullptr &&
                    g_BuildingCommand.technology == CBuildingCommand::NoTechnology);
        EXPECT_EQ(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command, -2);
        CBuildingPanel::PositionToScreen(CBuildingPanel::CancelPosition, &g_BuildingPanel.mouseX,
                                         &g_BuildingPanel.mouseY);
        Show(*building);
        EXPECT_EQ(g_BuildingCommand.cancelSlot, CBuildingCommand::CancelDemolish);
    }
    EXPECT_TRUE(Show(*m_World.PlaceFinished(0, CastHouse, 40, 40)).empty() && g_BuildingPanel.GetHotkeys().empty());
    CBuilding* monastery = m_World.PlaceFinished(0, CastMonastery, 10, 10);
    m_World.Player(0).enabledUnitTypes[5] = 1;
    const Icons idle = Show(*monastery);
    ASSERT_GE(idle.size(), 3u);
    EXPECT_TRUE(idle.front() == 49 && idle.back() == Rally);
    ASSERT_NE(g_BuildingPanel.FindHotkey('P'), nullptr);
    EXPECT_EQ(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey), nullptr);
    monastery->queue[0] = g_BuildingPanel.FindHotkey('p')->record;
    monastery->queueCount = 1;
    EXPECT_EQ(Show(*monastery), (Icons{49, Rally}));
    EXPECT_EQ(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command, 0);
    monastery->queue[0] = nullptr;
    monastery->queueCount = 0;
    // In the rally mode Escape leaves it and the mode button is gone.
    g_BuildingPanel.panelMode = CBuildingPanel::ModeRally;
    EXPECT_EQ(Show(*monastery).size(), idle.size() - 1);
    EXPECT_NE(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey), nullptr);
}

TEST_F(BuildingsPanel, DetailsShowTheOwnersHitPointsProgressAndWaitingReason)
{
    CBuilding* house = m_World.Place(0, CastHouse, 10, 10);
    house->buildProgress = 50.0f;
    house->productionState = CBuilding::ProductionNeedsHouses;
    g_BuildingPanel.BeginFrame();
    house->RenderDetailsOnPanel();
    std::vector<std::string> texts;
    for (const SPanelText& text : g_BuildingPanel.GetTexts())
        texts.push_back(text.text);
    EXPECT_EQ(texts[0], "BD_HOUSE");
    // 400 x 50 percent now, 400 when finished; the bar 50 x 1.71 pixels.
    EXPECT_TRUE(std::find(texts.begin(), texts.end(), "200/400") != texts.end() &&
                std::find(texts.begin(), texts.end(), "50%") != texts.end() && g_BuildingPanel.progressBarWidth == 85);
    EXPECT_EQ(texts.back(), "BDMSG_HOUSENEEDED");
    g_BuildingPanel.BeginFrame();
    m_World.Place(1, CastHouse, 20, 10)->RenderDetailsOnPanel();
    ASSERT_FALSE(g_BuildingPanel.GetTexts().empty());
    EXPECT_TRUE(g_BuildingPanel.GetTexts().back().text == "UN_TYPE_ENEMY" &&
                g_BuildingPanel.GetTexts().back().colour == 0xFF4040u && g_BuildingPanel.progressBarWidth == -1);

}

class MilitaryBuildingsPanel : public BuildingsPanel
{
protected:
    MilitaryBuildingsPanel()
    {
        CPlayer& owner = m_World.Player(0);
        for (CTechnology& technology : owner.technologies)
            technology.enabled = 1;
        std::fill(std::begin(owner.enabledUnitTypes), std::end(owner.enabledUnitTypes), 1);
        owner.wood = owner.gold = owner.stone = 100000;
        m_World.PlaceFinished(0, CastBlacksmith, 40, 40);
        m_World.PlaceFinished(0, CastAlchemy, 40, 20);
    }
};

TEST_F(MilitaryBuildingsPanel, BarracksKeysTrainResearchCancelAndArmTheRally)
{
    CBuilding* barracks = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    // The two technologies stand where the rider and the crossbowman will.
    EXPECT_EQ(Show(*barracks), (Icons{43, 44, 88, 89, Rally}));
    ASSERT_TRUE(Press(*barracks, 'H'));
    EXPECT_EQ(Show(*barracks), Icons{Rally});
    EXPECT_EQ(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command, -1);
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
    EXPECT_EQ(Show(*smithy), (Icons{69, 78, 84, 72, 75, 81}));
    Research({8, 29, 54, 55, 11, 12, 13, 14, 39, 40});
    EXPECT_EQ(Show(*castle), (Icons{46, 53, 99, 100, 103, 104, 106, 102, Rally}));
    // The demolition man and the mercenaries share "m": the first one wins.
    EXPECT_EQ(g_BuildingPanel.FindHotkey('m')->record, &g_UnitStats[11]);
    // All three attack levels done: the place stays empty.
    EXPECT_EQ(Show(*smithy), (Icons{78, 84, 73, 75, 81}));
    ASSERT_TRUE(Press(*smithy, 'G'));
    EXPECT_TRUE(Show(*smithy).empty() && g_BuildingPanel.GetHotkeys().size() == 1u);
    // Escape cancels with -1 here, at the castle and at the dark altar.
    EXPECT_EQ(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command, -1);
    for (CBuilding* trainer : {castle, m_World.PlaceFinished(0, CastDarkAltar, 30, 20)})
    {
        Show(*trainer);
        ASSERT_TRUE(Press(*trainer, 'C') || Press(*trainer, 'G'));
        Show(*trainer);
        EXPECT_EQ(g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command, -1) << trainer->GetBuildCast();
    }
}

TEST_F(MilitaryBuildingsPanel, DarkAltarHidesAReadySpellAndPulsesItsAbilityImage)
{
    CBuilding* altar = m_World.PlaceFinished(0, CastDarkAltar, 10, 10);
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
