// Units joining and leaving a player: counters, groups, score, list order.

#include <algorithm>
#include <numeric>
#include <random>

#include "Player_Fixture.h"

using PlayerUnits = PlayerTest;

namespace
{
// Counters recomputed from the list alone.
void ExpectCountersMatchList(const CPlayer& player)
{
    int32_t byType[UnitTypeCount] = {};
    for (int32_t i = 0; i < player.unitCount; ++i)
    {
        EXPECT_EQ(player.units[i]->listIndex, i);
        ++byType[player.units[i]->GetCastID()];
    }
    for (int32_t t = 0; t < UnitTypeCount; ++t)
        EXPECT_EQ(player.unitsByType[t], byType[t]) << "type " << t;
    // Groups by hand: workers 1; foot 2, 10, 12, 30, 31, 33; archers 3, 9;
    // cavalry 6, 13; catapults 4; priests 5; ships 7, 11.
    EXPECT_EQ(player.groupCounts[GROUP_WORKERS], byType[1]);
    EXPECT_EQ(player.groupCounts[GROUP_FOOT_SOLDIERS],
              byType[2] + byType[10] + byType[12] + byType[30] + byType[31] + byType[33]);
    EXPECT_EQ(player.groupCounts[GROUP_ARCHERS], byType[3] + byType[9]);
    EXPECT_EQ(player.groupCounts[GROUP_CAVALRY], byType[6] + byType[13]);
    EXPECT_EQ(player.groupCounts[GROUP_CATAPULTS], byType[4]);
    EXPECT_EQ(player.groupCounts[GROUP_PRIESTS], byType[5]);
    EXPECT_EQ(player.groupCounts[GROUP_SHIPS], byType[7] + byType[11]);
    EXPECT_EQ(player.GetPopulation(), player.unitCount + player.queuedUnits);
}
} // namespace

TEST_F(PlayerUnits, CountsFollowCreationAndRemovalInEveryOrder)
{
    const int32_t types[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 20, 30, 31, 33, 34, 35};
    for (int32_t seed = 0; seed < 8; ++seed)
    {
        CPlayer& player = Player(seed);
        std::vector<CUnit*> made;
        for (int32_t t : types)
            made.push_back(Create(player, t));
        ExpectCountersMatchList(player);
        EXPECT_EQ(player.score, std::accumulate(std::begin(types), std::end(types), 0));
        std::shuffle(made.begin(), made.end(), std::mt19937(uint32_t(seed)));
        for (CUnit* unit : made)
        {
            ASSERT_TRUE(player.RemoveUnit(unit, 1));
            EXPECT_EQ(unit->listIndex, -1);
            ExpectCountersMatchList(player);
            delete unit;
        }
        EXPECT_EQ(player.score, 0);
        EXPECT_EQ(player.statistics[STAT_UNITS_CREATED], 18);
        EXPECT_EQ(player.statistics[STAT_UNITS_LOST], 18);
    }
}

TEST_F(PlayerUnits, TheTwoHundredFiftySeventhUnitOrConvertIsRefused)
{
    CPlayer& player = Player(1);
    for (int32_t i = 0; i < MaxPlayerUnits; ++i)
        ASSERT_NE(Create(player, 1), nullptr);
    CUnit* last = player.units[255];
    EXPECT_EQ(Create(player, 2), nullptr);
    EXPECT_TRUE(Log().Has("#DEBUG: Unitnum exceeds the limit"));
    EXPECT_EQ(player.unitCount, MaxPlayerUnits);
    EXPECT_EQ(player.units[255], last);
    EXPECT_EQ(player.unitsByType[2], 0);
    TestUnit convert(2);
    EXPECT_FALSE(player.AddUnit(&convert));
    EXPECT_EQ(player.unitCount, MaxPlayerUnits);
    EXPECT_EQ(convert.listIndex, -1);
}

TEST_F(PlayerUnits, UniqueIdsStartAtZeroAndWrapAfterTheLast)
{
    CPlayer& player = Player(1);
    EXPECT_EQ(Create(player, 1)->uniqueId, 0);
    EXPECT_EQ(player.NextUnitId(1), 1);
    EXPECT_EQ(player.NextUnitId(1), 1);
    player.nextUniqueId = 0x7FFFE;
    EXPECT_EQ(Create(player, 1)->uniqueId, 0x7FFFF);
    EXPECT_EQ(Create(player, 1)->uniqueId, 0);
    EXPECT_TRUE(Log().Has("#DEBUG: Unit unique id overflow"));
    // Unknown types give none and count nothing.
    const int32_t created = player.statistics[STAT_UNITS_CREATED];
    EXPECT_EQ(Create(player, 0), nullptr);
    EXPECT_EQ(Create(player, 40), nullptr);
    EXPECT_EQ(player.unitCount, 3);
    EXPECT_EQ(player.statistics[STAT_UNITS_CREATED], created);
}

TEST_F(PlayerUnits, RemovingAUnitThatIsNotListedChangesNothing)
{
    CPlayer& player = Player(1);
    CUnit* kept = Create(player, 2);
    CUnit* gone = Create(player, 2);
    ASSERT_TRUE(player.RemoveUnit(gone, 1));
    EXPECT_FALSE(player.RemoveUnit(gone, 1));
    TestUnit stranger(2);
    stranger.listIndex = 0;   // points at someone else's place
    EXPECT_FALSE(player.RemoveUnit(&stranger, 1));
    EXPECT_FALSE(Player(2).RemoveUnit(kept, 1));
    EXPECT_TRUE(Log().Has("#DEBUG: Unit is missing from player's list"));
    EXPECT_EQ(player.unitCount, 1);
    EXPECT_EQ(player.unitsByType[2], 1);
    EXPECT_EQ(player.statistics[STAT_UNITS_LOST], 1);
    EXPECT_EQ(player.units[0], kept);
    delete gone;
}

TEST_F(PlayerUnits, ConvertedUnitsJoinWithoutANewIdAndLeaveCleanly)
{
    CPlayer& from = Player(1);
    CPlayer& to = Player(2);
    CUnit* knight = Create(from, 10);
    const int32_t id = knight->uniqueId;
    ASSERT_TRUE(from.RemoveUnit(knight, 0));
    knight->player = 2;
    ASSERT_TRUE(to.AddUnit(knight));
    EXPECT_EQ(knight->uniqueId, id);
    EXPECT_EQ(to.unitsAdded, 1);
    EXPECT_EQ(to.statistics[STAT_UNITS_CREATED], 0);
    EXPECT_EQ(to.groupCounts[GROUP_FOOT_SOLDIERS], 1);
    EXPECT_EQ(to.script.GetEvents().back().kind, CScript::EEvent::UnitConverted);
    EXPECT_FALSE(to.AddUnit(knight));   // already there
    to.RemoveUnit(knight, 1);
    EXPECT_EQ(to.groupCounts[GROUP_FOOT_SOLDIERS], 0);
    delete knight;
}

TEST_F(PlayerUnits, RemovalTellsScriptAndOpponentAndClearsAlertsAndGroups)
{
    CPlayer& player = Player(1);   // a computer player
    CUnit* unit = Create(player, 2, 10, 10);
    unit->scriptTag = 77;
    unit->controlGroup = 3;
    player.controlGroupCounts[2] = 1;
    player.RemoveUnit(unit, 1);
    EXPECT_EQ(player.controlGroupCounts[2], 0);
    EXPECT_EQ(player.script.GetEvents().back().kind, CScript::EEvent::UnitDied);
    EXPECT_EQ(player.script.GetEvents().back().values[0], 77);
    EXPECT_EQ(player.computerAI.GetNotices().back().kind, CComputerAI::ENotice::UnitDied);
    // A group count below zero is reported and held at zero.
    CUnit* other = Create(player, 2);
    other->controlGroup = 4;
    player.RemoveUnit(other, 1);
    EXPECT_EQ(player.controlGroupCounts[3], 0);
    EXPECT_TRUE(Log().Has("#DEBUG: Group unit count underrun"));
    g_GameMap.Block(10, 10).unit = nullptr;
    delete unit;
    delete other;
}

TEST_F(PlayerUnits, RemovalClearsTheAlertsThatNameTheUnit)
{
    CPlayer& local = Player(0);
    CUnit* victim = Create(local, 2, 20, 20);
    CUnit* attacker = Create(Player(2), 2, 21, 20);
    local.AlertUnitAttacked(victim, attacker, 0);
    const int32_t cell = (20 / 16) * 16 + 20 / 16;
    ASSERT_EQ(local.alertGrid[cell].attackedUnit, victim);
    // The neighbours got copies of the cell.
    ASSERT_EQ(local.alertGrid[cell + 1].attackedUnit, victim);
    local.RemoveUnit(victim, 1);
    for (const SAttackAlert& alert : local.alertGrid)
    {
        EXPECT_EQ(alert.attackedUnit, nullptr);
        EXPECT_EQ(alert.time, 0u);
    }
    g_GameMap.Block(20, 20).unit = nullptr;
    delete victim;
}

TEST_F(PlayerUnits, TowerArchersAreFoundByIdAndRemovedInOrder)
{
    CPlayer& player = Player(1);
    TestUnit a(8), b(8), c(8);
    a.uniqueId = 5;
    b.uniqueId = 6;
    c.uniqueId = 5;
    player.AddTowerArcher(&a);
    player.AddTowerArcher(&b);
    player.AddTowerArcher(&c);
    EXPECT_EQ(player.FindTowerArcher(5), &a);
    player.RemoveTowerArcher(&a);
    EXPECT_EQ(player.FindTowerArcher(5), &c);
    EXPECT_EQ(player.towerArchers[0], &b);
    player.RemoveTowerArcher(&a);
    EXPECT_TRUE(Log().Has("#DEBUG: Tower archer is missing from player's list"));
    EXPECT_EQ(player.FindTowerArcher(9), nullptr);
}

