#include <bit>
#include <cmath>
#include <numeric>
#include <random>
#include <set>

#include "Player_Fixture.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "world/C_ReferenceBase.h"

using PlayerUnits = PlayerTest;
using PlayerActions = PlayerTest;
using PlayerEconomy = PlayerTest;
using PlayerLife = PlayerTest;
using PlayerFog = PlayerTest;
using Corner = std::pair<int32_t, int32_t>;

namespace
{
// Offsets in the section of a player named "Ann" (4 + 4 bytes) with the 512 samples of a fresh history
// on a 64 x 64 map, worked out by hand: 16 bytes of identity, starvation 4, flag 1, 8 numbers of limit,
// stock and groups ... 36 + 19 + 19 + 36 + 12 + 2 numbers, history 8 + 512 x 8, cursors 8, allies 8,
// groups 36, size 8, then 65 x 65 + 64 x 128 bytes.
constexpr size_t IndexAt = 8, TeamAt = 12, TypeAt = 16, ColourAt = 20, StarvationAt = 24;
constexpr size_t WoodAt = 33, StoneAt = 37, GoldAt = 41, GroupsAt = 45, StatisticsAt = 517;
constexpr size_t HistoryCountAt = 573, HistoryCapacityAt = 577, SamplesAt = 581, CursorsAt = 4677;
constexpr size_t WidthAt = 4729, HeightAt = 4733, RowsAt = 4737, ScoreAt = 17154, UnitCountAt = 17162;

class PlayerSave : public PlayerTest
{
protected:
    // Saved the way a game is: the player's units and its buildings registered first.
    std::string Save(CPlayer& p)
    {
        m_Table->Reset(), p.RegisterReferences(*m_Table);
        for (int32_t i = 0; i < p.buildingCount; ++i) m_Table->AddBuilding(p.buildings[i]);
        CMemorySaveStream out;
        p.SaveGame(out, *m_Table);
        return out.Bytes();
    }
    // Loaded the way a game is: the objects exist (the table made them),
    // the player was initialised as player i of team i.
    bool Reload(CPlayer& p, const std::string& bytes)
    {
        p.unitCount = p.buildingCount = 0, p.Init(p.index, p.index, PLAYER_LOCAL, nullptr);
        return Load(p, bytes);
    }
    bool Load(CPlayer& p, const std::string& bytes)
    {
        CMemorySaveStream in(bytes);
        const bool loaded = p.LoadGame(in, *m_Table);
        EXPECT_TRUE(loaded == (!in.HasError()) && (!loaded || in.Position() == bytes.size()));
        return loaded;
    }
    // Player 2 of a computer opponent with every field set.
    CPlayer& Filled()
    {
        CPlayer& p = Player(2);
        Create(p, 1, 10, 10), Create(p, 3, 12, 10), Create(p, 4);
        TestBuilding* barracks = Finish(p, 2, 20, 20);
        Finish(p, 5, 30, 30);
        p.AddBuildingSight(20, 20, 21, 21, 1), p.RevealArea(40, 40, 45, 50, 200);
        p.technologies[7].progress = 100.0f, p.technologies[3].enabled = 1;
        p.technologies[30].StartResearch(barracks), p.technologies[30].progress = 42.5f;
        p.name = "Ann", p.team = 4, p.colourScheme = 6, p.populationMaximum = 120;
        p.wood = 1234, p.stone = 567, p.gold = 89, p.score = 999, p.refundCorrection = 11;
        p.starvationTime = StartTicks - 5000, p.starvationEnabled = 0, p.queuedUnits = 3;
        p.queuedUnitsByType[2] = 3, p.unitsAdded = 7, p.buildingsAdded = 8, p.allied[5] = 1;
        for (int32_t i = 0; i < STAT_COUNT; ++i) p.statistics[i] = 100 + i;
        p.unitCursors[0] = 1, p.unitCursors[1] = 2, p.controlGroupCounts[8] = 2;
        p.populationHistoryCount = 2, p.populationHistory[0] = {{1, 2}}, p.populationHistory[1] = {{3, 4}};
        p.enabledUnitTypes[2] = 1, p.enabledBuildingCasts[5] = 1;
        return p;
    }

    std::unique_ptr<CReferenceBase> m_Table = std::make_unique<CReferenceBase>();
};
} // namespace

TEST_F(PlayerSave, ItemsLieAtTheirOffsetsAndComeBackAndSaveAgainByteForByteAndBadSectionsAreRefused)
{
    CPlayer& p = Filled();
    TestUnit archer(8);
    p.AddTowerArcher(&archer);
    const std::string saved = Save(p);
    const auto at32 = [&saved](size_t at) { return CRecordBytes::I32At(saved, at); };
    EXPECT_EQ(m_Table->GetCount(), 3 + 1 + 2);   // units, the tower archer, buildings
    EXPECT_TRUE(at32(0) == 4 && saved.substr(4, 4) == std::string("Ann", 4));
    const std::vector<std::pair<size_t, int32_t>> expected = {
        {IndexAt, 2}, {TeamAt, 4}, {TypeAt, PLAYER_COMPUTER}, {ColourAt, 6}, {StarvationAt, -5000}, {29, 120},
        {WoodAt, 1234}, {StoneAt, 567}, {GoldAt, 89}, {GroupsAt, 1}, {GroupsAt + 4 * GROUP_ARCHERS, 1}, {73, 3},
        {StatisticsAt + 4 * STAT_UNITS_CREATED, 100 + STAT_UNITS_CREATED}, {565, 7}, {569, 8},
        {HistoryCountAt, 2}, {HistoryCapacityAt, 512}, {SamplesAt + 12, 4}, {CursorsAt + 4, 2},
        {WidthAt, 64}, {HeightAt, 64}, {ScoreAt, 999}, {UnitCountAt, 3}};
    for (const auto& [at, value] : expected) EXPECT_EQ(at32(at), value) << "offset " << at;
    EXPECT_TRUE(saved[28] == 0 && saved[4685 + 5] == 1);   // allied with player 5
    // Column 40 of the explored map, block 42 of it, and block (20, 21) of the building sight counts.
    EXPECT_TRUE(uint8_t(saved[RowsAt + 40 * (65 + 128) + 42]) == 200 &&
                saved[RowsAt + 20 * (65 + 128) + 65 + 64 + 21] == 1);
    const size_t research = UnitCountAt + 4 + 3 * 4 + 4 + 2 * 4 + 30 * 9;
    EXPECT_EQ(at32(research + 1), std::bit_cast<int32_t>(42.5f));
    EXPECT_EQ(at32(research + 5), 4);   // the barracks, behind the units and the archer
    const size_t enabledAt = research - 30 * 9 + 61 * 9;
    EXPECT_TRUE(saved[enabledAt + 2] == 1 && saved[enabledAt + 36 + 5] == 1);

    // Units made again by the table carry no unique id.
    for (int32_t i = 0; i < p.unitCount; ++i) p.units[i]->uniqueId = -1;
    SysClock::AdvanceTestClock(100000), p.index = -1;   // a player not yet set up takes the saved index
    ASSERT_TRUE(Reload(p, saved));
    EXPECT_EQ(p.technologies[30].researchingBuilding, p.buildings[0]);
    EXPECT_EQ((std::vector<int64_t>{p.wood, p.starvationTime, p.computerAI.GetPlayerIndex(), p.index}),
              (std::vector<int64_t>{1234, StartTicks + 95000, 2, 2}));
    for (int32_t i = 0; i < p.unitCount; ++i) EXPECT_TRUE(p.units[i]->listIndex == i && p.units[i]->uniqueId == i);
    // The tower gives its archer back to the player while the table loads.
    p.AddTowerArcher(&archer);
    EXPECT_EQ(Save(p), saved);

    // Bad sections are refused and leave the player as it was.
    const size_t buildingCountAt = UnitCountAt + 4 + 3 * 4;
    const std::string player = "Player section refused: ", state = "Technology state refused: ";
    const std::vector<std::tuple<size_t, int32_t, std::string>> cases = {
        {0, 257, player + "the name length is out of range"},
        {4, 'A' | 'n' << 8 | 'n' << 16 | 'x' << 24, player + "the name has no terminating zero"},
        {IndexAt, 3, player + "the player index does not fit this player"},
        {TeamAt, 8, player + "the team is out of range"}, {TypeAt, 5, player + "the player type is out of range"},
        {ColourAt, 8, player + "the colour scheme is out of range"},
        {GroupsAt, -1, player + "a count is negative"}, {StatisticsAt + 44, -1, player + "a count is negative"},
        {HistoryCountAt, 513, player + "the population history holds more samples than it has room for"},
        {HistoryCapacityAt, (1 << 20) + 1, player + "the population history capacity is out of range"},
        {CursorsAt, 257, player + "a unit cursor is out of range"},
        {WidthAt, 0, player + "the map width is out of range"},
        {HeightAt, 257, player + "the map height is out of range"},
        {UnitCountAt, 257, player + "the unit count is out of range"},
        {buildingCountAt, 1025, player + "the building count is out of range"},
        {research + 1, std::bit_cast<int32_t>(NAN), state + "the progress is not a percentage"},
        {research + 1, std::bit_cast<int32_t>(100.5f), state + "the progress is not a percentage"},
        {research + 5, 999, state + "the researching building is unknown"}};
    for (const auto& [at, value, line] : cases)
        EXPECT_TRUE(!Load(p, CRecordBytes::WithI32At(saved, at, value)) && Log().Contains(line)) << line;
    for (const size_t cut : {size_t(6), size_t(2000), size_t(10000), UnitCountAt + 6, research + 2, saved.size() - 1})
        EXPECT_FALSE(Load(p, saved.substr(0, cut))) << cut;
    EXPECT_TRUE(Log().Contains(player + "the record is cut short") &&
                Log().Contains(state + "the record is cut short") && Save(p) == saved);
    // A population history without room for a sample loads as it was stored and saves the same again.
    const std::string roomless = saved.substr(0, HistoryCountAt) + std::string(8, '\0') + saved.substr(CursorsAt);
    EXPECT_TRUE(Reload(p, roomless) && p.populationHistoryCapacity == 0 &&
                (p.AddTowerArcher(&archer), Save(p) == roomless));
}

TEST_F(PlayerUnits, CountersGroupsAndScoreFollowCreationAndRemovalInAnyOrder)
{
    const int32_t types[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 20, 30, 31, 33, 34, 35};
    CPlayer& player = Player(1);
    std::vector<CUnit*> made;
    for (int32_t t : types) made.push_back(Create(player, t));
    EXPECT_EQ(player.score, std::accumulate(std::begin(types), std::end(types), 0));
    EXPECT_EQ(player.groupCounts[GROUP_FOOT_SOLDIERS], 6);   // 2, 10, 12, 30, 31 and 33
    std::shuffle(made.begin(), made.end(), std::mt19937(5));
    while (!made.empty())
    {
        ASSERT_TRUE(player.RemoveUnit(made.back(), 1) && !player.RemoveUnit(made.back(), 1));   // once only
        delete made.back();
        made.pop_back();
        int32_t byType[UnitTypeCount] = {};
        for (int32_t i = 0; i < player.unitCount; ++i)
        {
            ASSERT_EQ(player.units[i]->listIndex, i);
            ++byType[player.units[i]->GetCastID()];
        }
        EXPECT_TRUE(std::equal(std::begin(byType), std::end(byType), player.unitsByType));
    }
    // The heroes 30, 31 and 33 joined the foot soldiers and never leave them.
    EXPECT_TRUE(Log().Contains("#DEBUG: Unit is missing from player's list") && player.score == 0 &&
                std::accumulate(std::begin(player.groupCounts), std::end(player.groupCounts), 0) == 3 &&
                player.groupCounts[GROUP_FOOT_SOLDIERS] == 3);
    EXPECT_EQ(player.statistics[STAT_UNITS_LOST], 18);
    // The counts of units in production stop at 0, each on its own; a type outside 0 to 35 counts nothing.
    for (const auto& [type, delta] : {std::pair{0, 1}, {35, 2}, {35, -3}, {0, -1}, {36, 1}, {-1, 1}})
        player.CountUnitInProduction(type, delta);
    EXPECT_TRUE(player.queuedUnits == 0 && player.queuedUnitsByType[0] == 0 && player.queuedUnitsByType[35] == 0 &&
                Log().Count("#DEBUG: Units in production count underrun") == 2 &&
                Log().Count("#DEBUG: Invalid unit type in production") == 2);
}

TEST_F(PlayerUnits, TheTwoHundredFiftySeventhUnitOrConvertIsRefusedAndIdsWrapAfterTheLast)
{
    CPlayer& player = Player(1);
    player.nextUniqueId = 0x7FFFE;
    for (int32_t i = 0; i < MaxPlayerUnits; ++i) ASSERT_NE(Create(player, 1), nullptr);
    EXPECT_TRUE(player.units[0]->uniqueId == 0x7FFFF && player.units[1]->uniqueId == 0 &&
                Log().Contains("#DEBUG: Unit unique id overflow"));
    player.nextUniqueId = 0x7FFFE;   // the end again, with 0 .. 254 held: peeked or taken, the next is 255
    EXPECT_TRUE(player.NextUnitId(1) == 255 && player.NextUnitId(0) == 255 && player.nextUniqueId == 255);
    EXPECT_TRUE(Create(player, 2) == nullptr && Log().Contains("#DEBUG: Unitnum exceeds the limit"));
    TestUnit convert(2);
    EXPECT_TRUE(!player.AddUnit(&convert) && convert.listIndex == -1 && player.unitsByType[2] == 0);
    EXPECT_EQ(player.statistics[STAT_UNITS_CREATED], MaxPlayerUnits);
}

TEST_F(PlayerUnits, ConvertedUnitsKeepTheirIdAndRemovalTellsScriptOpponentAndGroups)
{
    CPlayer& to = Player(2);   // a computer player
    CUnit* knight = Create(Player(1), 10);
    const int32_t id = knight->uniqueId;
    ASSERT_TRUE(Player(1).RemoveUnit(knight, 0));
    knight->player = 2;
    ASSERT_TRUE(to.AddUnit(knight));
    EXPECT_FALSE(to.AddUnit(knight));   // already there
    EXPECT_TRUE(knight->uniqueId == id && to.unitsAdded == 1 && to.statistics[STAT_UNITS_CREATED] == 0 &&
                to.unitsByType[10] == 1);
    // A convert joins no group; its removal takes none below zero.
    EXPECT_TRUE(to.groupCounts[GROUP_FOOT_SOLDIERS] == 0 && Player(1).groupCounts[GROUP_FOOT_SOLDIERS] == 0);
    EXPECT_EQ(to.script.GetEvents().back().kind, CScript::EEvent::UnitConverted);
    knight->scriptTag = 77, knight->controlGroup = 3, to.controlGroupCounts[2] = 1, to.RemoveUnit(knight, 1);
    EXPECT_TRUE(to.controlGroupCounts[2] == 0 && to.script.GetEvents().back().values[0] == 77 &&
                to.computerAI.GetNotices().back().kind == CComputerAI::ENotice::UnitDied &&
                to.groupCounts[GROUP_FOOT_SOLDIERS] == 0);
    // A group count below zero is reported and held at zero.
    to.AddUnit(knight), to.RemoveUnit(knight, 1);
    EXPECT_TRUE(to.controlGroupCounts[2] == 0 && Log().Contains("#DEBUG: Group unit count underrun"));
    // Tower archers are found by id and leave in order.
    TestUnit first(8), second(8);
    to.AddTowerArcher(&first), to.AddTowerArcher(&second), to.RemoveTowerArcher(knight);
    EXPECT_TRUE(Log().Contains("#DEBUG: Tower archer is missing from player's list"));
    to.RemoveTowerArcher(&first);
    EXPECT_EQ(to.FindTowerArcher(second.uniqueId), &second);
    delete knight;
}

// Where a unit or a listed building leaves, the last one takes its place and the rest keep theirs.  The
// building list holds 1024: a building finished beyond them is counted but not listed.
TEST_F(PlayerUnits, LeavingAtTheFrontTheMiddleOrTheEndMovesOnlyTheLastIntoTheGap)
{
    CPlayer& player = Player(1);
    std::vector<CUnit*> units;
    std::vector<CBuilding*> buildings;
    for (int32_t i = 0; i < 6; ++i)
    {
        units.push_back(Create(player, 2)), buildings.push_back(Finish(player, 5));
    }
    buildings[2]->controlGroup = 9, player.controlGroupCounts[8] = player.controlGroupCounts[7] = 3;
    const std::pair<int32_t, std::vector<int32_t>> removals[] = {
        {0, {5, 1, 2, 3, 4}}, {2, {5, 1, 4, 3}}, {3, {5, 1, 4}}, {5, {4, 1}}, {1, {4}}, {4, {}}};
    for (const auto& [removed, left] : removals)
    {
        SCOPED_TRACE(removed);
        ASSERT_TRUE(player.RemoveUnit(units[size_t(removed)], 0));
        ASSERT_TRUE(player.RemoveBuilding(buildings[size_t(removed)], 0));
        ASSERT_TRUE(player.unitCount == int32_t(left.size()) && player.buildingCount == int32_t(left.size()));
        for (size_t i = 0; i < left.size(); ++i)
            EXPECT_TRUE(player.units[i] == units[size_t(left[i])] && player.units[i]->listIndex == int32_t(i) &&
                        player.buildings[i] == buildings[size_t(left[i])]) << i;
        EXPECT_TRUE(player.units[left.size()] == nullptr && player.buildings[left.size()] == nullptr);
        EXPECT_EQ(units[size_t(removed)]->listIndex, -1);
    }
    for (CUnit* unit : units) delete unit;

    for (int32_t i = 1; i <= MaxPlayerBuildings + 1; ++i)
        ASSERT_EQ((Finish(player, 7), player.buildingCount), std::min(i, MaxPlayerBuildings));
    EXPECT_TRUE(player.finishedBuildings[7] == MaxPlayerBuildings + 1 && player.controlGroupCounts[8] == 0 &&
                player.controlGroupCounts[7] == 3);   // a building's group empties when it leaves
}

TEST_F(PlayerActions, EachCallPerformsOneActionResumesBehindItAndSurvivesRemovals)
{
    CPlayer& player = Player(1);
    std::vector<TestUnit*> units;
    for (int32_t i = 0; i < 4; ++i) units.push_back(Create(player, 2));
    units[0]->pendingActions[0] = units[1]->pendingActions[0] = units[3]->pendingActions[0] = 1;
    units[1]->health = units[1]->starvation = 1.0f;   // dead: skipped
    units[2]->pendingActions[1] = 1;
    EXPECT_TRUE(player.UpdateUnitsTimeSliced() && player.unitCursors[0] == 1 && player.UpdateUnitsTimeSliced());
    EXPECT_TRUE(units[3]->performed[0] == 1 && units[1]->performed[0] == 0);
    // Phase 0 exhausted: phase 1 performs its action and the call ends false.
    EXPECT_TRUE(!player.UpdateUnitsTimeSliced() && player.unitCursors[0] == 0 && units[2]->performed[1] == 1);
    EXPECT_TRUE(player.unitCursors[1] == 3 && !player.UpdateUnitsTimeSliced() && player.unitCursors[1] == 0);
    // Removals leave the cursor past the list: nothing beyond it is touched.
    for (TestUnit* unit : units) unit->pendingActions[0] = 1;
    player.UpdateUnitsTimeSliced(), player.UpdateUnitsTimeSliced();
    ASSERT_EQ(player.unitCursors[0], 3);
    for (int32_t i = 0; i < 3; ++i)
    {
        CUnit* unit = player.units[0];
        player.RemoveUnit(unit, 0);
        delete unit;
    }
    EXPECT_TRUE(!player.UpdateUnitsTimeSliced() && player.unitCursors[0] == 0);
}

TEST_F(PlayerActions, TheLocalPlayerIsToldOncePerMinuteAndHungerNeverKills)
{
    CPlayer& player = Player(0);
    TestUnit* unit = Create(player, 1);   // a limit of 0
    Services().networkGame = true, player.CheckStarvation(10.0f);
    Services().networkGame = false, player.starvationEnabled = 0, player.CheckStarvation(10.0f);
    player.starvationEnabled = 1, player.CheckStarvation(0.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 0.0f);
    player.CheckStarvation(5.0f), player.CheckStarvation(5.0f);
    ASSERT_EQ(Services().messages.size(), 1u);
    EXPECT_TRUE(Services().messages[0].text == "People starving" && Services().messages[0].colour == 0xFFFF00u);
    SysClock::AdvanceTestClock(60001);
    player.CheckStarvation(5.0f);
    EXPECT_EQ(Services().messages.size(), 2u);
    // 1.5 + 60 = 61.5 percent; the next step would reach 100 and is taken back.
    unit->health = 100.0f;
    for (int32_t i = 0; i < 3; ++i) player.CheckStarvation(600.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 61.5f);
    EXPECT_TRUE(unit->IsAlive());
    // A house lifts the limit: hunger goes by the same amount per call, and a catapult never starved.
    TestUnit* catapult = Create(player, 4);
    player.finishedBuildings[5] = 1, SysClock::AdvanceTestClock(5), player.CheckStarvation(600.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 1.5f);
    EXPECT_TRUE(catapult->starvation == 0.0f && player.starvationTime == SysClock::TickCount());   // recovery is now
    player.CheckStarvation(600.0f), player.CheckStarvation(600.0f);   // recovered, then nobody changes
    // A computer player starves quietly.
    TestUnit* hungry = Create(Player(2), 1);
    Player(2).CheckStarvation(10.0f);
    EXPECT_FLOAT_EQ(hungry->starvation, 1.0f);
    EXPECT_TRUE(Services().messages.size() == 2u && player.starvationTime == 0 && unit->starvation == 0.0f);
}

TEST_F(PlayerEconomy, SpendingChargesAllThreeOrNothingOnlyTheLocalPlayerHearsWhyAndEachRuleNeedsItsListedSubjects)
{
    CPlayer& player = Player(0);
    EXPECT_TRUE(player.HasResources(300, 200, 100, 0) && player.wood == 1000 && player.HasResources(300, 200, 100, 1));
    EXPECT_FALSE(player.HasResources(100, 900, 1000, 1));
    EXPECT_EQ(std::vector<int32_t>({player.wood, player.stone, player.gold}), std::vector<int32_t>({700, 800, 900}));
    EXPECT_TRUE(!Player(4).HasResources(0, 5000, 5000, 1) && !player.HasResources(5000, 0, 0, 1) &&
                !player.HasResources(0, 0, 5000, 1));
    // Exactly the stock is enough: a resource short beside it is the one named, and the price itself is paid.
    EXPECT_TRUE(!player.HasResources(700, 801, 0, 1) && !player.HasResources(700, 800, 901, 1) &&
                player.HasResources(700, 800, 900, 1) && player.wood == 0 && player.stone == 0 && player.gold == 0);
    std::vector<std::string> texts;
    for (const SRecordedMessage& message : Services().messages)
        texts.push_back(message.colour == 0xFFFF00u ? message.text : "not in yellow");
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Stone needed", "Wood needed", "Gold needed", "Stone needed", "Gold needed"}));
    // The script's sums: military units and flagged buildings.
    for (int32_t type : {1, 2, 3, 7}) Create(player, type);
    for (int32_t cast : {2, 4, 5}) Finish(player, cast);
    EXPECT_TRUE(player.SumUnitValues() == 2 && player.SumBuildingValues() == 2);

    // Training and building: everything standing and researched, exactly the listed subjects hold; each row of the
    // rules asks for exactly its buildings and technologies.
    const std::set<int32_t> trainable = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 20, 21, 22};
    const std::set<int32_t> buildable = {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15};
    CPlayer& second = Player(1);
    std::memset(second.enabledUnitTypes, 1, sizeof(second.enabledUnitTypes));
    std::memset(second.enabledBuildingCasts, 1, sizeof(second.enabledBuildingCasts));
    const auto everything = [&] {
        std::fill(std::begin(second.finishedBuildings), std::end(second.finishedBuildings), 1);
        for (CTechnology& technology : second.technologies) technology.progress = 100.0f;
    };
    everything();
    for (int32_t type = -1; type <= 36; ++type)
        EXPECT_EQ(second.CanTrainUnit(type), trainable.count(type) == 1) << type;
    for (int32_t cast = -1; cast <= BuildCastCount; ++cast)
        EXPECT_EQ(second.CanBuildBuilding(cast), buildable.count(cast) == 1) << cast;
    const std::pair<std::vector<int32_t>, const char*> training[] = {
        {{1}, "B11"},         {{2, 3}, "B2"},         {{4}, "B4 B1"},      {{5}, "B8"},
        {{6}, "T30 B2"},      {{7}, "B13"},           {{9}, "T31 B2"},     {{10}, "T13 T16 T19 B4 B2"},
        {{11}, "T32 T54 B4 B13"},                     {{12}, "B3 B1 T54 T55"},
        {{13}, "T30 T28 T16 T19 B4 B2"},              {{20, 22}, "B4 B15"}, {{21}, "B3 B15"}};
    const std::pair<std::vector<int32_t>, const char*> building[] = {
        {{1, 8, 12, 13}, "T53"}, {{2, 4}, "T9"}, {{3}, "B4 T10"}, {{5, 7}, "B11"}, {{6, 9, 11}, "T10"},
        {{15}, "T53 T51"}};
    for (const auto& [types, conditions] : training)
        for (int32_t type : types)
            ExpectExactlyTheConditions(second, conditions, type, [&] { return second.CanTrainUnit(type); });
    for (const auto& [casts, conditions] : building)
        for (int32_t cast : casts)
            ExpectExactlyTheConditions(second, conditions, cast, [&] { return second.CanBuildBuilding(cast); });
    everything();
    ASSERT_TRUE(second.CanTrainUnit(13) && second.CanBuildBuilding(15));
    second.enabledUnitTypes[13] = second.enabledBuildingCasts[15] = 0;
    EXPECT_FALSE(second.CanTrainUnit(13) || second.CanBuildBuilding(15));
}

TEST_F(PlayerLife, ASecondInitStartsFromNothingAndCompilesTheScript)
{
    CPlayer& player = Player(2);
    Create(player, 2, 5, 5);
    Finish(player, 5);
    player.technologies[3].enabled = 1;
    const std::string path = Folder().Write("scripts/good.scr", "rule");
    player.Init(2, 4, PLAYER_COMPUTER, path.c_str());
    EXPECT_TRUE(player.finishedBuildings[5] == 0 && player.score == 0 && player.technologies[3].enabled == 0 &&
                player.starvationEnabled == 1);
    EXPECT_EQ(player.exploredMap[5 * 257 + 5], 0);
    EXPECT_EQ(g_GameMap.Block(5, 5).unit, nullptr);   // no deleted unit shown
    EXPECT_TRUE(Create(player, 1)->uniqueId == 0 && Log().Contains("Script compiled successfuly") &&
                player.script.IsCompiled());
    EXPECT_TRUE(Services().messages.empty());
    // A script that fails is cleared and shown in red without the folder.
    g_Config.scriptFolder = (Folder() / "scripts/").c_str();
    player.Init(2, 2, PLAYER_COMPUTER, (Folder() / "scripts/missing.scr").c_str());
    EXPECT_TRUE(Log().Contains("Script compiled with errors") && !player.script.IsCompiled());
    ASSERT_EQ(Services().messages.size(), 1u);
    EXPECT_TRUE(Services().messages[0].text == "Script compile error:missing.scr: cannot open the script file" &&
                Services().messages[0].colour == 0xFF0000u);
    // Only a computer player runs its opponent; empty, remote and defeated players are everyone's friends.
    player.UpdateComputerAI(), Player(0).UpdateComputerAI();
    EXPECT_TRUE(player.computerAI.GetFrameCount() == 1 && Player(0).computerAI.GetFrameCount() == 0);
    Player(5).type = PLAYER_REMOTE;
    EXPECT_TRUE(Player(5).IsFriendTo(1));
    EXPECT_FALSE(Player(1).IsFriendTo(5) || Player(1).IsFriendTo(8) || Player(1).IsFriendTo(-1));
    Player(5).type = PLAYER_DEFEATED;
    EXPECT_TRUE(Player(1).IsFriendTo(5));
    // A player made outside the game's players is its own only ally.
    CPlayer* const players = g_Players;
    auto lone = std::make_unique<CPlayer>();
    g_Players = nullptr, lone->Init(3, 0, PLAYER_LOCAL, nullptr), g_Players = players;
    EXPECT_EQ(std::vector<uint8_t>(lone->allied, lone->allied + MaxPlayers),
              (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 0}));
}

TEST_F(PlayerLife, TheLocalPlayerHearsOneAlertPerAreaAndMinuteAndRemovalsClearTheAlerts)
{
    CPlayer& local = Player(0);
    CUnit *victim = Create(local, 2, 20, 20), *attacker = Create(Player(5), 2, 21, 20);
    local.AlertUnitAttacked(victim, attacker, 1), local.AlertUnitAttacked(victim, attacker, 1);
    ASSERT_EQ(Services().messages.size(), 1u);
    EXPECT_TRUE(Services().messages[0].text == "Under attack" && Services().messages[0].colour == 0xFF0000u);
    EXPECT_EQ(Services().samples, (std::vector<int32_t>{256, 100}));
    EXPECT_EQ(Services().markers, (std::vector<int32_t>{20, 20, 0xFF0000}));
    // The neighbour areas were stamped half a minute back; a stamp counts as recent for a minute, to the
    // millisecond.  A minute on, a building's alert is filed under its centre block.
    const std::tuple<uint32_t, int32_t, int32_t, int32_t, bool> stamps[] = {{0, 0, 20, 20, true}, {0, 0, 47, 47, true},
        {0, 0, 48, 20, false}, {0, 8, 20, 20, false}, {0, -1, 20, 20, false}, {0, 0, -1, 0, false},
        {30000, 0, 0, 0, true}, {1, 0, 0, 0, false}, {0, 0, 31, 31, true}, {30000, 0, 31, 31, false}};
    for (const auto& [advance, who, x, y, recent] : stamps)
        EXPECT_EQ((SysClock::AdvanceTestClock(advance), Answers().WasAttackedNear(who, x, y)), recent) << x << y;
    TestBuilding* barracks = Finish(local, 2, 50, 50);   // 2 x 2, centre (51, 51): cell 3, 3, not beside the unit's
    local.AlertBuildingAttacked(barracks, attacker, 0);
    EXPECT_TRUE(local.alertGrid[51].attackedBuilding == barracks && Services().messages.size() == 2u);
    local.RemoveBuilding(barracks, 1), local.RemoveUnit(victim, 1);
    for (const SAttackAlert& alert : local.alertGrid)
        EXPECT_TRUE(alert.attackedBuilding == nullptr && alert.attackedUnit == nullptr);
    g_GameMap.Block(20, 20).unit = nullptr;
    delete victim;
}

TEST_F(PlayerLife, ADefeatedComputerPlayerLosesEverythingButItsHousesWarehousesWallsAndWorkers)
{
    CPlayer& loser = Player(3);
    loser.name = "Red";
    std::vector<CUnit*> civilians;
    for (int32_t i = 0; i < 6; ++i)
    {
        Create(loser, 2, 10 + i, 10);   // a soldier
        civilians.push_back(Create(loser, 1, 10 + i, 12));
    }
    std::vector<TestBuilding*> kept = {Finish(loser, 5), Finish(loser, 7), Finish(loser, 9)};
    for (int32_t cast : {2, 4, 11, 6}) Finish(loser, cast);
    loser.SetDefeated();
    EXPECT_TRUE(loser.type == PLAYER_DEFEATED && loser.unitCount == 6);
    for (CUnit* civilian : civilians)
    {
        EXPECT_TRUE(loser.HasUnit(civilian));
        EXPECT_EQ(std::count(Services().stopped.begin(), Services().stopped.end(), civilian), 1);
        EXPECT_EQ(std::count(Services().restarted.begin(), Services().restarted.end(), civilian), 1);
    }
    EXPECT_EQ(loser.buildingCount, 3);
    for (TestBuilding* building : kept) EXPECT_TRUE(loser.HasBuilding(building));
    EXPECT_TRUE(Services().destroyedBuildings.size() == 4u && loser.statistics[STAT_UNITS_LOST] == 0 &&
                loser.statistics[STAT_BUILDINGS_LOST] == 0);
    for (int32_t p = 0; p < MaxPlayers; ++p) EXPECT_TRUE(loser.allied[p] && Player(p).allied[3]) << p;
    ASSERT_FALSE(Services().messages.empty());
    EXPECT_TRUE(Services().messages.back().text == "Red is out" && Services().messages.back().colour == 0x00FFFFu);
    loser.SetDefeated();   // once out, always out
    EXPECT_EQ(Services().destroyedBuildings.size(), 4u);
    // The local player loses its army, and tells the peers, only in a network game.
    CUnit* soldier = Create(Player(0), 2, 5, 5);
    Player(0).SetDefeated();
    EXPECT_TRUE(Player(0).HasUnit(soldier));
    Services().networkGame = true, Player(0).type = PLAYER_LOCAL;
    Player(0).SetDefeated();
    EXPECT_TRUE(Services().defeatsSent == std::vector<int32_t>{0} && !Player(0).HasUnit(soldier));
}

TEST_F(PlayerFog, VisibilityIsTheExploredLevelHalvedUnseenUnderFogAndSoftenedBesideUnseenBlocks)
{
    CPlayer& player = Player(0);
    std::memset(player.exploredMap, 200, sizeof(player.exploredMap));
    for (int x = 5; x <= 15; ++x)
        for (int y = 5; y <= 15; ++y) player.unitSightCounts[x * 256 + y] = 1;
    // Of the neighbours of (5, 5) only the diagonal (4, 4) stays unseen.
    for (const auto& [x, y] : {Corner{4, 5}, Corner{4, 6}, Corner{5, 4}, Corner{6, 4}, Corner{63, 0}})
        player.unitSightCounts[x * 256 + y] = 1;
    player.buildingSightCounts[20 * 256 + 20] = 2, player.constructionSiteCounts[25 * 256 + 25] = 1;
    player.exploredMap[3 * 257 + 4] = 17, player.exploredMap[31 * 257 + 31] = 201;
    player.exploredMap[63 * 257 + 0] = 40, player.exploredMap[40 * 257 + 40] = 0;
    // Fog of war, visibility mode, the block and its level.
    const std::tuple<int, int, int, int, int> cases[] = {
        {1, 2, 10, 10, 200}, {1, 2, 5, 10, 150},  {1, 2, 5, 5, 150},   {1, 1, 5, 5, 200},  {1, 1, 5, 10, 150},
        {1, 0, 5, 10, 200},  {1, 2, 30, 30, 100}, {1, 2, 31, 31, 100}, {1, 2, 20, 20, 150}, {0, 2, 3, 4, 17},
        {0, 2, 30, 30, 200}, {1, 0, 64, -3, 40},  {1, 0, 500, 0, 40},  {1, 0, 25, 25, 200}};
    for (const auto& [fog, mode, x, y, level] : cases)
    {
        g_Config.fogOfWar = fog, g_Config.visibilityMode = mode;
        EXPECT_EQ(Answers().GetVisibility(0, x, y), level) << fog << mode << " " << x << "," << y;
    }
    player.buildingSightCounts[0] = 3;   // what lies right behind the unit sight counts' last column
    EXPECT_TRUE(player.IsCellSeen(20, 20) && player.IsCellVisible(5, 10) &&
                Answers().GetUnitSightCount(0, 63, 0) + Answers().GetUnitSightCount(0, 4, 6) == 2 &&
                Answers().GetUnitSightCount(0, 256, 0) == 0);
    player.buildingSightCounts[0] = 0;
    EXPECT_FALSE(player.IsCellSeen(30, 30) || player.IsCellVisible(30, 30) || player.IsCellSeen(-1, 0) ||
                 Answers().GetVisibility(8, 10, 10) || Answers().GetVisibility(-1, 10, 10));
    g_Config.fogOfWar = 0;
    EXPECT_TRUE(player.IsCellSeen(30, 30) && player.IsCellVisible(30, 30));
    EXPECT_FALSE(player.IsCellSeen(40, 40) || player.IsCellVisible(40, 40) || player.IsCellVisible(300, 0));
    // A pattern that fills its table (a square of 25) scanned at the map's corner reads no entry past its count.
    CRangeTable square;
    square.InitSquare(2), player.ScanSightPattern(0, 0, square);
    EXPECT_EQ(square.count, 25);
}

// Right after each change, before anything rebuilds the counts: a construction site counts over its
// rectangle on the map (8-bit, wrapping), a building's sight over its footprint and the soft ring of
// radius 1 to 7 beyond its edges and corners; a block counted is seen under fog of war.
TEST_F(PlayerFog, SitesAndBuildingSightCountOverTheirRectangleAndRingOnly)
{
    CPlayer& player = Player(0);
    player.AddConstructionSite(10, 10, 12, 11, 1), player.AddConstructionSite(62, 62, 65, 65, 1);
    player.AddConstructionSite(0, 0, 0, 0, -1);
    player.AddBuildingSight(20, 20, 21, 21, 1), player.AddBuildingSight(62, 62, 63, 63, 1);
    // The block, its site count and its building sight count.
    const std::tuple<int, int, int, int> cases[] = {
        {10, 10, 1, 0}, {12, 11, 1, 0}, {13, 11, 0, 0}, {12, 12, 0, 0}, {9, 10, 0, 0},  {10, 9, 0, 0},
        {62, 62, 1, 1}, {63, 63, 1, 1}, {0, 0, 255, 0}, {20, 20, 0, 1}, {21, 21, 0, 1}, {27, 20, 0, 1},
        {28, 20, 0, 0}, {20, 14, 0, 1}, {21, 13, 0, 0}, {14, 21, 0, 1}, {13, 20, 0, 0}, {25, 25, 0, 1},
        {26, 26, 0, 0}, {25, 26, 0, 1}, {27, 24, 0, 1}, {27, 25, 0, 0}, {16, 16, 0, 1}, {15, 15, 0, 0},
        {21, 27, 0, 1}, {25, 27, 0, 0}, {56, 63, 0, 1}, {55, 62, 0, 0}};
    for (const auto& [x, y, sites, sight] : cases)
    {
        const int32_t cell = x * 256 + y;
        EXPECT_TRUE(player.constructionSiteCounts[cell] == sites && Answers().GetBuildingSightCount(0, x, y) == sight &&
                    player.IsCellSeen(x, y) == (sites + sight > 0))
            << x << "," << y;
    }
    player.AddConstructionSite(10, 10, 10, 10, -1), player.AddBuildingSight(20, 20, 21, 21, -1);
    EXPECT_FALSE(player.IsCellSeen(10, 10) || player.IsCellSeen(20, 20) || player.IsCellSeen(27, 20));
    EXPECT_TRUE(player.IsCellSeen(11, 10) && player.IsCellSeen(63, 63));
    // The corner building's 4 blocks, 6 rows of 2 above and 6 columns of 2 to the left, and the 30 blocks
    // of its upper left corner with dx^2 + dy^2 < 49.
    EXPECT_EQ(std::count(player.buildingSightCounts, player.buildingSightCounts + 256 * 256, 1), 58);
}
