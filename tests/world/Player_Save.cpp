// The player's section of a saved game: byte layout, round trip with the starvation deadline, and refused sections.

#include <bit>
#include <cmath>

#include "Player_Fixture.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "world/C_ReferenceBase.h"

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
        m_Table->Reset();
        p.RegisterReferences(*m_Table);
        for (int32_t i = 0; i < p.buildingCount; ++i)
            m_Table->AddBuilding(p.buildings[i]);
        CMemorySaveStream out;
        p.SaveGame(out, *m_Table);
        return out.Bytes();
    }
    // Loaded the way a game is: the objects exist (the table made them),
    // the player was initialised as player i of team i.
    bool Reload(CPlayer& p, const std::string& bytes)
    {
        p.unitCount = p.buildingCount = 0;
        p.Init(p.index, p.index, PLAYER_LOCAL, nullptr);
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
        p.AddBuildingSight(20, 20, 21, 21, 1);
        p.RevealArea(40, 40, 45, 50, 200);
        p.technologies[7].progress = 100.0f, p.technologies[3].enabled = 1;
        p.technologies[30].StartResearch(barracks);
        p.technologies[30].progress = 42.5f;
        p.name = "Ann", p.team = 4, p.colourScheme = 6, p.populationMaximum = 120;
        p.wood = 1234, p.stone = 567, p.gold = 89, p.score = 999, p.refundCorrection = 11;
        p.starvationTime = StartTicks - 5000, p.starvationEnabled = 0, p.queuedUnits = 3;
        p.queuedUnitsByType[2] = 3, p.unitsAdded = 7, p.buildingsAdded = 8, p.allied[5] = 1;
        for (int32_t i = 0; i < STAT_COUNT; ++i)
            p.statistics[i] = 100 + i;
        p.unitCursors[0] = 1, p.unitCursors[1] = 2, p.controlGroupCounts[8] = 2;
        p.populationHistoryCount = 2, p.populationHistory[0] = {{1, 2}}, p.populationHistory[1] = {{3, 4}};
        p.enabledUnitTypes[2] = 1, p.enabledBuildingCasts[5] = 1;
        return p;
    }

    std::unique_ptr<CReferenceBase> m_Table = std::make_unique<CReferenceBase>();
};
} // namespace

TEST_F(PlayerSave, ItemsLieAtTheirOffsetsAndComeBackAndSaveAgainByteForByte)
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
    for (const auto& [at, value] : expected)
        EXPECT_EQ(at32(at), value) << "offset " << at;
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
    for (int32_t i = 0; i < p.unitCount; ++i)
        p.units[i]->uniqueId = -1;
    SysClock::AdvanceTestClock(100000);
    ASSERT_TRUE(Reload(p, saved));
    EXPECT_EQ(p.technologies[30].researchingBuilding, p.buildings[0]);
    EXPECT_EQ((std::vector<int64_t>{p.wood, p.starvationTime, p.computerAI.GetPlayerIndex()}),
              (std::vector<int64_t>{1234, StartTicks + 95000, 2}));
    for (int32_t i = 0; i < p.unitCount; ++i)
        EXPECT_TRUE(p.units[i]->listIndex == i && p.units[i]->uniqueId == i);
    // The tower gives its archer back to the player while the table loads.
    p.AddTowerArcher(&archer);
    EXPECT_EQ(Save(p), saved);
}

TEST_F(PlayerSave, BadSectionsAreRefusedAndLeaveThePlayerAsItWas)
{
    CPlayer& p = Filled();
    const std::string saved = Save(p);
    const size_t buildingCountAt = UnitCountAt + 4 + 3 * 4;
    const size_t research = buildingCountAt + 4 + 2 * 4 + 30 * 9;
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
    {
        EXPECT_TRUE(!Load(p, CRecordBytes::WithI32At(saved, at, value)) && Log().Contains(line)) << line;
    }
    for (const size_t cut : {size_t(6), size_t(2000), size_t(10000), UnitCountAt + 6, research + 2, saved.size() - 1})
        EXPECT_FALSE(Load(p, saved.substr(0, cut))) << cut;
    EXPECT_TRUE(Log().Contains(player + "the record is cut short") &&
                Log().Contains(state + "the record is cut short") && Save(p) == saved);
}
