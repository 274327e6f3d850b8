#include <map>
#include <tuple>

#include "game/C_BuildingCommand.h"
#include "game/C_BuildingPanel.h"
#include "tests/buildings/BuildingWorld.h"

namespace
{
using Icons = Ints;
constexpr int32_t Rally = 107;

class BuildingsPanel : public ::testing::Test
{
protected:
    BuildingsPanel() { g_BuildingPanel = CBuildingPanel(); g_BuildingCommand.Clear(); }
    ~BuildingsPanel() override { g_BuildingPanel = CBuildingPanel(); }

    static Icons Show(CBuilding& building)
    {
        g_BuildingPanel.BeginFrame(), building.RenderPanelButtons();
        Icons icons;
        for (const SPanelButton& button : g_BuildingPanel.GetButtons()) icons.push_back(button.icon);
        return icons;
    }
    // The command panel's answer to a key: the mode it arms, or the unit,
    // technology or cancelling it hands the building.
    static bool Press(CBuilding& building, int32_t key)
    {
        const SBuildingHotkey* hotkey = g_BuildingPanel.FindHotkey(key);
        if (hotkey == nullptr) return false;
        g_BuildingPanel.panelMode = hotkey->mode != 0 ? hotkey->mode : g_BuildingPanel.panelMode;
        g_BuildingCommand.Clear();
        g_BuildingCommand.item = hotkey->record, g_BuildingCommand.technology = hotkey->technology;
        // A bare 0 or -1 (Escape) cancels the current production or research.
        const bool bare = hotkey->record == nullptr && hotkey->technology == CBuildingPanel::NoTechnology;
        if (bare && (hotkey->command == 0 || hotkey->command == -1))
            g_BuildingCommand.cancelSlot = CBuildingCommand::CancelCurrent;
        return hotkey->mode != 0 || building.OnPanelCommand();
    }
    void Research(Ints technologies)
    {
        for (const int32_t technology : technologies) m_World.Player(0).technologies[technology].progress = 100.0f;
    }

    CBuildingWorld m_World;
};

TEST_F(BuildingsPanel, AnUnfinishedBuildingCancelsOnlyOnItsButtonAndAMonasteryHidesItsTechnologiesWhileTraining)
{
    // The cancel button is plain at the town buildings, in state 5 at the tower and the military buildings.
    const std::pair<int32_t, int32_t> unfinished[] = {{CastHouse, 0},     {CastWall, 0},       {CastTower, 5},
        {CastBarracks, 5}, {CastCastle, 5}, {CastBlacksmith, 5}, {CastDarkAltar, 5}};
    for (const auto& [cast, state] : unfinished)
    {
        SCOPED_TRACE(cast);
        CBuilding* building = m_World.Place(0, cast, 4 * cast, 20 + 10 * (cast % 2));   // odd casts a row lower
        g_BuildingCommand.item = &g_UnitStats[3], g_BuildingCommand.technology = 12, g_BuildingPanel.mouseX = 900;
        EXPECT_TRUE(Show(*building) == Icons{94} && g_BuildingPanel.GetButtons()[0].state == state);
        EXPECT_TRUE(g_BuildingCommand.cancelSlot == CBuildingCommand::NoCancel && g_BuildingCommand.item == nullptr &&
                    g_BuildingCommand.technology == CBuildingCommand::NoTechnology &&
                    g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command == -2);
        CBuildingPanel::PositionToScreen(CBuildingPanel::CancelPosition, &g_BuildingPanel.mouseX,
                                         &g_BuildingPanel.mouseY);
        Show(*building);
        EXPECT_EQ(g_BuildingCommand.cancelSlot, CBuildingCommand::CancelDemolish);
    }
    EXPECT_TRUE(Show(*m_World.PlaceFinished(0, CastHouse, 40, 40)).empty() && g_BuildingPanel.GetHotkeys().empty());
    CBuilding* monastery = m_World.PlaceFinished(0, CastMonastery, 10, 10);
    m_World.Player(0).enabledUnitTypes[5] = 1;
    const Icons idle = Show(*monastery);
    ASSERT_TRUE(idle.size() >= 3u && idle.front() == 49 && idle.back() == Rally &&
                g_BuildingPanel.FindHotkey('P') != nullptr && !g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey));
    monastery->queue[0] = g_BuildingPanel.FindHotkey('p')->record, monastery->queueCount = 1;
    EXPECT_TRUE(Show(*monastery) == (Icons{49, Rally}) &&
                g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command == 0);
    // In the rally mode Escape leaves it and the mode button is gone.
    monastery->queue[0] = nullptr, monastery->queueCount = 0, g_BuildingPanel.panelMode = CBuildingPanel::ModeRally;
    EXPECT_TRUE(Show(*monastery).size() == idle.size() - 1 &&
                g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey) != nullptr);
}

TEST_F(BuildingsPanel, DetailsShowTheOwnersHitPointsProgressAndWaitingReason)
{
    CBuilding* house = m_World.Place(0, CastHouse, 10, 10);
    house->buildProgress = 50.0f, house->productionState = CBuilding::ProductionNeedsHouses;
    g_BuildingPanel.BeginFrame(), house->RenderDetailsOnPanel();
    std::vector<std::string> texts;
    for (const SPanelText& text : g_BuildingPanel.GetTexts()) texts.push_back(text.text);
    // 400 x 50 percent now, 400 when finished; the bar 50 x 1.71 pixels.
    EXPECT_TRUE(texts[0] == "BD_HOUSE" && std::ranges::find(texts, "200/400") != texts.end() &&
                std::ranges::find(texts, "50%") != texts.end() && g_BuildingPanel.progressBarWidth == 85 &&
                texts.back() == "BDMSG_HOUSENEEDED");
    // A full queue: the head at (5, 335), entry k in row (k - 1) / 9 and column k - 9 x row, drawn from
    // the last to the second.
    house->queueCount = CBuilding::QueueCapacity;
    std::fill_n(house->queue, house->queueCount, &g_UnitStats[1]);
    g_BuildingPanel.BeginFrame(), house->RenderDetailsOnPanel();
    const std::vector<SPanelButton>& icons = g_BuildingPanel.GetButtons();
    ASSERT_EQ(icons.size(), 29u);   // the portrait, the head, 27 more
    for (const auto& [k, x, y] : {std::tuple{0, 5, 335}, {1, 5, 380}, {9, 133, 380}, {10, 5, 425}, {18, 133, 425},
                                  {19, 5, 470}, {27, 133, 470}})
    {
        const SPanelButton& icon = icons[k == 0 ? 1 : size_t(29 - k)];
        EXPECT_EQ(Icons({icon.x, icon.y}), Icons({x, y})) << k;
    }
    house->queueCount = 0, g_BuildingPanel.BeginFrame(), m_World.Place(1, CastHouse, 20, 10)->RenderDetailsOnPanel();
    ASSERT_TRUE(!g_BuildingPanel.GetTexts().empty() && g_BuildingPanel.GetTexts().back().text == "UN_TYPE_ENEMY" &&
                g_BuildingPanel.GetTexts().back().colour == 0xFF4040u && g_BuildingPanel.progressBarWidth == -1);
}

// The panel keeps 32 building keys; a key already taken leaves the first registration standing.
TEST_F(BuildingsPanel, TheKeyTableHoldsThirtyTwoAndTheFirstOfAKeyWins)
{
    g_BuildingPanel.BeginFrame();
    for (int32_t k = 1; k <= CBuildingPanel::HotkeyCapacity; ++k)
        EXPECT_TRUE(g_BuildingPanel.AddbuildingHotkey(k, 100 + k, nullptr, k, 0, 0)) << k;
    EXPECT_FALSE(g_BuildingPanel.AddbuildingHotkey(40, 140, nullptr, 40, 0, 0));
    g_BuildingPanel.BeginFrame();
    EXPECT_TRUE(g_BuildingPanel.AddbuildingHotkey('w', 'W', nullptr, 11, 0, 0) &&
                !g_BuildingPanel.AddbuildingHotkey('x', 'W', nullptr, 12, 0, 0) &&
                g_BuildingPanel.FindHotkey('W')->technology == 11 && g_BuildingPanel.FindHotkey('x') == nullptr &&
                g_BuildingPanel.GetHotkeys().size() == 1u);
}

class MilitaryBuildingsPanel : public BuildingsPanel
{
protected:
    MilitaryBuildingsPanel()
    {
        CPlayer& owner = m_World.Player(0);
        for (CTechnology& technology : owner.technologies) technology.enabled = 1;
        std::fill(std::begin(owner.enabledUnitTypes), std::end(owner.enabledUnitTypes), 1);
        owner.wood = owner.gold = owner.stone = 100000, m_World.PlaceFinished(0, CastBlacksmith, 40, 40);
        m_World.PlaceFinished(0, CastAlchemy, 40, 20);
    }
};

// Every unit and technology button of every building: with only that unit type enabled (all research
// done), or only that technology still to research (no unit type enabled), the building shows it alone
// at its place with its icon and record, and its key in both cases asks for it.
TEST_F(MilitaryBuildingsPanel, EachButtonStandsAtItsPlaceWithItsIconAndKey)
{
    const struct { int32_t cast; bool unit; int32_t number, position, icon; char key; } buttons[] = {
        {2, 1, 2, 0, 43, 'w'}, {2, 1, 3, 1, 44, 'a'}, {2, 1, 6, 2, 47, 'l'}, {2, 1, 10, 4, 51, 'k'},
        {2, 1, 9, 5, 50, 'o'}, {2, 1, 13, 6, 54, 'e'}, {2, 0, 30, 2, 88, 'h'}, {2, 0, 31, 5, 89, 'c'},
        {4, 0, 11, 0, 69, 'i'}, {4, 0, 12, 0, 70, 'h'}, {4, 0, 13, 0, 71, 'w'}, {4, 0, 20, 1, 78, 'g'},
        {4, 0, 21, 1, 79, 'p'}, {4, 0, 22, 1, 80, 'd'}, {4, 0, 26, 2, 84, 'n'}, {4, 0, 27, 2, 85, 'm'},
        {4, 0, 28, 2, 86, 'a'}, {4, 0, 14, 4, 72, 'w'}, {4, 0, 15, 4, 73, 'o'}, {4, 0, 16, 4, 74, 's'},
        {4, 0, 17, 5, 75, 'l'}, {4, 0, 18, 5, 76, 'c'}, {4, 0, 19, 5, 77, 't'}, {4, 0, 23, 6, 81, 'b'},
        {4, 0, 24, 6, 82, 'u'}, {4, 0, 25, 6, 83, 'e'}, {4, 0, 29, 8, 87, 'v'}, {1, 1, 4, 0, 46, 'c'},
        {1, 1, 12, 1, 53, 'm'}, {1, 0, 39, 4, 97, 'i'}, {1, 0, 40, 4, 98, 'b'}, {1, 0, 41, 4, 99, 'a'},
        {1, 0, 42, 8, 100, 'h'}, {1, 0, 43, 8, 101, 'e'}, {1, 0, 45, 9, 103, 's'}, {1, 0, 46, 5, 104, 'o'},
        {1, 0, 47, 5, 105, 'n'}, {1, 0, 48, 6, 106, 'f'}, {1, 0, 44, 7, 102, 'm'}, {15, 1, 20, 0, 55, 'g'},
        {15, 1, 21, 1, 56, 'd'}, {15, 1, 22, 2, 57, 'u'}, {15, 0, 52, 8, 110, 'a'}, {11, 1, 1, 0, 42, 'l'},
        {11, 0, 0, 4, 58, 'h'}, {11, 0, 1, 4, 59, 'h'}, {11, 0, 2, 4, 60, 't'}, {11, 0, 3, 5, 61, 'm'},
        {11, 0, 4, 5, 62, 'm'}, {11, 0, 5, 6, 63, 'b'}, {11, 0, 6, 6, 64, 'b'}, {11, 0, 7, 6, 65, 'd'},
        {11, 0, 8, 8, 66, 's'}, {11, 0, 9, 9, 67, 'i'}, {11, 0, 10, 9, 68, 'f'}, {3, 0, 53, 0, 111, 'e'},
        {3, 0, 56, 1, 114, 'b'}, {3, 0, 59, 1, 117, 'h'}, {3, 0, 58, 2, 116, 'f'}, {3, 0, 60, 3, 118, 'l'},
        {3, 0, 54, 4, 112, 'p'}, {3, 0, 55, 4, 113, 'x'}, {3, 0, 57, 5, 115, 'c'}, {13, 1, 7, 0, 48, 't'},
        {13, 1, 11, 1, 52, 'w'}, {13, 0, 32, 4, 90, 'c'}, {13, 0, 33, 4, 91, 'a'}, {13, 0, 34, 4, 92, 'o'},
        {13, 0, 37, 5, 95, 'n'}, {13, 0, 38, 5, 96, 'b'}, {13, 0, 35, 6, 93, 'i'}, {13, 0, 36, 6, 94, 'd'},
        {8, 1, 5, 0, 49, 'p'}, {8, 0, 49, 4, 107, 'h'}, {8, 0, 50, 8, 108, 'f'}, {8, 0, 51, 8, 109, 'a'},
        {6, 1, 8, 0, 45, 'a'},
    };
    CPlayer& owner = m_World.Player(0);
    std::map<int32_t, CBuilding*> at = {{CastBlacksmith, g_GameMap.Block(40, 40).building},
                                        {CastAlchemy, g_GameMap.Block(40, 20).building}};
    for (const auto& [cast, x, y] : {std::tuple{1, 2, 2}, {2, 10, 2}, {8, 16, 2}, {11, 21, 2}, {13, 26, 2},
                                     {15, 2, 12}, {6, 8, 12}, {7, 12, 12}})
        at[cast] = m_World.PlaceFinished(0, cast, x, y);
    const std::map<int32_t, int32_t> rallyStates = {{1, 7}, {2, 7}, {15, 7}, {8, 0}, {11, 0}, {13, 0}};   // 7: military
    int32_t technologies = 0;
    for (const auto& b : buttons)
    {
        SCOPED_TRACE(testing::Message() << b.cast << (b.unit ? " unit " : " technology ") << b.number);
        for (int32_t t = 0; t < TechnologyCount; ++t)
            owner.technologies[t].progress = !b.unit && t == b.number ? 0.0f : 100.0f;
        for (int32_t type = 0; type < int32_t(std::size(owner.enabledUnitTypes)); ++type)
            owner.enabledUnitTypes[type] = b.unit && type == b.number ? 1 : 0;
        Show(*at[b.cast]);
        const std::vector<SPanelButton>& shown = g_BuildingPanel.GetButtons();
        ASSERT_FALSE(shown.empty());
        int32_t x = 0, y = 0;
        CBuildingPanel::PositionToScreen(b.position, &x, &y);
        EXPECT_EQ(Icons({shown[0].x, shown[0].y, shown[0].icon}), Icons({x, y, b.icon}));
        ASSERT_EQ(shown.size(), 1u + rallyStates.count(b.cast));
        EXPECT_TRUE(shown.size() == 1u || (shown[1].icon == Rally && shown[1].state == rallyStates.at(b.cast)));
        for (const int32_t key : {int32_t(b.key), b.key - 'a' + 'A'})
        {
            const SBuildingHotkey* hotkey = g_BuildingPanel.FindHotkey(key);
            ASSERT_NE(hotkey, nullptr);
            EXPECT_TRUE((b.unit ? hotkey->record->unitType : hotkey->technology) == b.number &&
                        hotkey->record == (b.unit ? shown[0].record : nullptr));
        }
        technologies += b.unit ? 0 : 1;
        EXPECT_TRUE(b.unit ? shown[0].record->unitType == b.number : shown[0].record == GetTechnologyRecord(b.number));
    }
    EXPECT_EQ(technologies, TechnologyCount);
}

TEST_F(MilitaryBuildingsPanel, BarracksKeysTrainResearchCancelAndArmTheRally)
{
    CBuilding* barracks = m_World.PlaceFinished(0, CastBarracks, 10, 10);
    // The two technologies stand where the rider and the crossbowman will.
    EXPECT_EQ(Show(*barracks), (Icons{43, 44, 88, 89, Rally}));
    ASSERT_TRUE(Press(*barracks, 'H') && Show(*barracks) == Icons{Rally} &&
                g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command == -1 &&
                Press(*barracks, CBuildingPanel::EscapeKey) && barracks->research == nullptr);
    Research({30, 31});
    ASSERT_TRUE(Show(*barracks) == (Icons{43, 44, 47, 50, Rally}) && Press(*barracks, 'l') && Press(*barracks, 'W') &&
                barracks->queue[0] == &g_UnitStats[5] && barracks->queue[1] == &g_UnitStats[1] &&
                Press(*barracks, 'r'));
    EXPECT_TRUE(Show(*barracks) == (Icons{43, 44, 47, 50}) && g_BuildingPanel.FindHotkey('r') == nullptr);
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
    ASSERT_TRUE(Show(*smithy) == (Icons{78, 84, 73, 75, 81}) && Press(*smithy, 'G'));
    // Escape cancels with -1 here, at the castle and at the dark altar.
    EXPECT_TRUE(Show(*smithy).empty() && g_BuildingPanel.GetHotkeys().size() == 1u &&
                g_BuildingPanel.FindHotkey(CBuildingPanel::EscapeKey)->command == -1);
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
    g_BuildingPanel.pulse = 0.5f, altar->RenderDetailsOnPanel();
    ASSERT_EQ(g_BuildingPanel.GetPictures().size(), 1u);
    const SPanelPicture& image = g_BuildingPanel.GetPictures()[0];
    EXPECT_EQ((Icons{image.x, image.y, image.width, image.height, image.alpha}), (Icons{25, 655, 96, 96, 127}));
}
}  // namespace
