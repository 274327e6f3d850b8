// Units joining and leaving a player: counters, groups, score, list order and limit, converts, archers.

#include <numeric>
#include <random>

#include "Player_Fixture.h"

using PlayerUnits = PlayerTest;

TEST_F(PlayerUnits, CountersGroupsAndScoreFollowCreationAndRemovalInAnyOrder)
{
    const int32_t types[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 20, 30, 31, 33, 34, 35};
    CPlayer& player = Player(1);
    std::vector<CUnit*> made;
    for (int32_t t : types)
        made.push_back(Create(player, t));
    EXPECT_EQ(player.score, std::accumulate(std::begin(types), std::end(types), 0));
    EXPECT_EQ(player.groupCounts[GROUP_FOOT_SOLDIERS], 6);   // 2, 10, 12, 30, 31 and 33
    std::shuffle(made.begin(), made.end(), std::mt19937(5));
    while (!made.empty())
    {
        ASSERT_TRUE(player.RemoveUnit(made.back(), 1));
        EXPECT_FALSE(player.RemoveUnit(made.back(), 1));
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
}

TEST_F(PlayerUnits, TheTwoHundredFiftySeventhUnitOrConvertIsRefusedAndIdsWrapAfterTheLast)
{
    CPlayer& player = Player(1);
    player.nextUniqueId = 0x7FFFE;
    for (int32_t i = 0; i < MaxPlayerUnits; ++i)
        ASSERT_NE(Create(player, 1), nullptr);
    EXPECT_TRUE(player.units[0]->uniqueId == 0x7FFFF && player.units[1]->uniqueId == 0 &&
                Log().Contains("#DEBUG: Unit unique id overflow"));
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
    knight->scriptTag = 77;
    knight->controlGroup = 3;
    to.controlGroupCounts[2] = 1;
    to.RemoveUnit(knight, 1);
    EXPECT_TRUE(to.controlGroupCounts[2] == 0 && to.script.GetEvents().back().values[0] == 77 &&
                to.computerAI.GetNotices().back().kind == CComputerAI::ENotice::UnitDied &&
                to.groupCounts[GROUP_FOOT_SOLDIERS] == 0);
    // A group count below zero is reported and held at zero.
    to.AddUnit(knight);
    to.RemoveUnit(knight, 1);
    EXPECT_TRUE(to.controlGroupCounts[2] == 0 && Log().Contains("#DEBUG: Group unit count underrun"));
    // Tower archers are found by id and leave in order.
    TestUnit first(8), second(8);
    to.AddTowerArcher(&first);
    to.AddTowerArcher(&second);
    to.RemoveTowerArcher(knight);
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
        units.push_back(Create(player, 2));
        buildings.push_back(Finish(player, 5));
    }
    const std::pair<int32_t, std::vector<int32_t>> removals[] = {
        {0, {5, 1, 2, 3, 4}}, {2, {5, 1, 4, 3}}, {3, {5, 1, 4}}, {5, {4, 1}}, {1, {4}}, {4, {}}};
    for (const auto& [removed, left] : removals)
    {
        SCOPED_TRACE(removed);
        ASSERT_TRUE(player.RemoveUnit(units[size_t(removed)], 0));
        ASSERT_TRUE(player.RemoveBuilding(buildings[size_t(removed)], 0));
        ASSERT_TRUE(player.unitCount == int32_t(left.size()) && player.buildingCount == int32_t(left.size()));
        for (size_t i = 0; i < left.size(); ++i)
        {
            EXPECT_TRUE(player.units[i] == units[size_t(left[i])] && player.units[i]->listIndex == int32_t(i));
            EXPECT_EQ(player.buildings[i], buildings[size_t(left[i])]);
        }
        EXPECT_TRUE(player.units[left.size()] == nullptr && player.buildings[left.size()] == nullptr);
        EXPECT_EQ(units[size_t(removed)]->listIndex, -1);
    }
    for (CUnit* unit : units)
        delete unit;

    for (int32_t i = 1; i <= MaxPlayerBuildings + 1; ++i)
    {
        Finish(player, 7);
        ASSERT_EQ(player.buildingCount, std::min(i, MaxPlayerBuildings));
    }
    EXPECT_EQ(player.finishedBuildings[7], MaxPlayerBuildings + 1);
}
