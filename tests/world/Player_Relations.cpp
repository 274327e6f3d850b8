// Alliances, attack alerts and defeat.

#include "Player_Fixture.h"

using PlayerAlliances = PlayerTest;
using PlayerAlerts = PlayerTest;
using PlayerDefeat = PlayerTest;

TEST_F(PlayerAlliances, TeamsDecideFriendsAndEmptyRemoteAndDefeatedPlayersAreEveryones)
{
    // Teams: players 0, 1, 2 on team 0; 3 and 4 on team 1; the rest alone.
    const int32_t teams[MaxPlayers] = {0, 0, 0, 1, 1, 5, 6, 7};
    for (int32_t p = 0; p < MaxPlayers; ++p)
        Player(p).Init(p, teams[p], PLAYER_COMPUTER, nullptr);
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t q = 0; q < MaxPlayers; ++q)
        {
            EXPECT_EQ(Player(p).allied[q], teams[p] == teams[q] ? 1 : 0) << p << " " << q;
            EXPECT_EQ(Player(p).IsFriendTo(q), teams[p] == teams[q]) << p << " " << q;
        }
    Player(5).type = PLAYER_NONE;
    EXPECT_TRUE(Player(1).IsFriendTo(5));
    Player(6).type = PLAYER_DEFEATED;
    EXPECT_TRUE(Player(1).IsFriendTo(6));
    Player(7).type = PLAYER_REMOTE;
    EXPECT_TRUE(Player(7).IsFriendTo(1));
    EXPECT_FALSE(Player(1).IsFriendTo(7));
    EXPECT_FALSE(Player(1).IsFriendTo(8));
    EXPECT_FALSE(Player(1).IsFriendTo(-1));
}

TEST_F(PlayerAlerts, TheLocalPlayerHearsOneAlertPerAreaAndMinute)
{
    CPlayer& local = Player(0);
    CUnit* victim = Create(local, 2, 20, 20);
    CUnit* other = Create(local, 2, 40, 20);
    CUnit* attacker = Create(Player(5), 2, 21, 20);
    local.AlertUnitAttacked(victim, attacker, 1);
    ASSERT_EQ(Services().messages.size(), 1u);
    EXPECT_EQ(Services().messages[0].text, "Under attack");
    EXPECT_EQ(Services().messages[0].colour, 0xFF0000u);
    EXPECT_EQ(Services().samples, (std::vector<int32_t>{256, 100}));
    EXPECT_EQ(Services().markers, (std::vector<int32_t>{20, 20, 0xFF0000}));
    EXPECT_TRUE(local.WasAttackedNear(31, 31));
    // The neighbouring area (blocks 32 .. 47) was stamped half a minute
    // back: 31 s later it speaks again.
    SysClock::AdvanceTestClock(31000);
    local.AlertUnitAttacked(other, attacker, 1);
    EXPECT_EQ(Services().messages.size(), 2u);
    // That stamped the first area 30 s back in turn: 59 s after its own
    // alert it stays silent.
    SysClock::AdvanceTestClock(28000);
    local.AlertUnitAttacked(victim, attacker, 1);
    EXPECT_EQ(Services().messages.size(), 2u);
    SysClock::AdvanceTestClock(60001);
    EXPECT_FALSE(local.WasAttackedNear(20, 20));
    local.AlertUnitAttacked(victim, attacker, 1);
    EXPECT_EQ(Services().messages.size(), 3u);
}

TEST_F(PlayerAlerts, OwnFireAndOtherPlayersRaiseNoMessage)
{
    CPlayer& local = Player(0);
    CUnit* victim = Create(local, 2, 20, 20);
    CUnit* friendlyFire = Create(local, 3, 21, 20);
    local.AlertUnitAttacked(victim, friendlyFire, 1);
    CUnit* computerUnit = Create(Player(3), 2, 50, 50);
    Player(3).AlertUnitAttacked(computerUnit, victim, 1);
    EXPECT_TRUE(Services().messages.empty());
    const auto& notices = Player(3).computerAI.GetNotices();
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back().kind, CComputerAI::ENotice::BeingAttacked);
    EXPECT_EQ(notices.back().attacker, victim);
    // A computer player's quiet interval is five seconds.
    SysClock::AdvanceTestClock(5000);
    Player(3).AlertUnitAttacked(computerUnit, victim, 1);
    EXPECT_EQ(Player(3).computerAI.GetNotices().size(), notices.size());
    EXPECT_EQ(std::count_if(notices.begin(), notices.end(),
                            [](const auto& n) { return n.kind == CComputerAI::ENotice::BeingAttacked; }),
              2);
}

TEST_F(PlayerAlerts, BuildingAlertsUseTheCentreBlock)
{
    CPlayer& local = Player(0);
    TestBuilding* barracks = Finish(local, 2, 14, 14);   // 2 x 2, centre (15, 15)
    CUnit* attacker = Create(Player(5), 2, 10, 10);
    local.AlertBuildingAttacked(barracks, attacker, 0);
    EXPECT_EQ(local.alertGrid[0].attackedBuilding, barracks);
    barracks->x = 15;   // centre (16, 16) lies in the next area
    SysClock::AdvanceTestClock(40000);
    local.AlertBuildingAttacked(barracks, attacker, 0);
    EXPECT_EQ(local.alertGrid[17].attackedBuilding, barracks);
    EXPECT_EQ(Services().messages.size(), 2u);
    EXPECT_EQ(Services().markers[3], 16);
    local.RemoveBuilding(barracks, 1);
    for (const SAttackAlert& alert : local.alertGrid)
        EXPECT_EQ(alert.attackedBuilding, nullptr);
}

TEST_F(PlayerDefeat, AComputerPlayerLosesEverythingButItsHousesWarehousesAndWalls)
{
    CPlayer& loser = Player(3);
    loser.name = "Red";
    std::vector<CUnit*> soldiers;
    std::vector<CUnit*> civilians;
    for (int32_t i = 0; i < 6; ++i)
    {
        soldiers.push_back(Create(loser, 2, 10 + i, 10));
        civilians.push_back(Create(loser, 1, 10 + i, 12));
    }
    std::vector<TestBuilding*> kept = {Finish(loser, 5), Finish(loser, 7), Finish(loser, 9)};
    std::vector<TestBuilding*> lost = {Finish(loser, 2), Finish(loser, 4), Finish(loser, 11), Finish(loser, 6)};
    const int32_t unitsLost = loser.statistics[STAT_UNITS_LOST];
    const int32_t buildingsLost = loser.statistics[STAT_BUILDINGS_LOST];
    loser.SetDefeated();
    EXPECT_EQ(loser.type, PLAYER_DEFEATED);
    EXPECT_EQ(loser.unitCount, 6);
    for (CUnit* soldier : soldiers)
        EXPECT_FALSE(loser.HasUnit(soldier));
    for (CUnit* civilian : civilians)
    {
        EXPECT_TRUE(loser.HasUnit(civilian));
        EXPECT_EQ(std::count(Services().stopped.begin(), Services().stopped.end(), civilian), 1);
        EXPECT_EQ(std::count(Services().restarted.begin(), Services().restarted.end(), civilian), 1);
    }
    for (TestBuilding* building : kept)
        EXPECT_TRUE(loser.HasBuilding(building));
    for (TestBuilding* building : lost)
        EXPECT_FALSE(loser.HasBuilding(building));
    EXPECT_EQ(Services().destroyedBuildings.size(), lost.size());
    EXPECT_EQ(loser.statistics[STAT_UNITS_LOST], unitsLost);
    EXPECT_EQ(loser.statistics[STAT_BUILDINGS_LOST], buildingsLost);
    for (int32_t p = 0; p < MaxPlayers; ++p)
    {
        EXPECT_EQ(loser.allied[p], 1);
        EXPECT_EQ(Player(p).allied[3], 1);
    }
    ASSERT_FALSE(Services().messages.empty());
    EXPECT_EQ(Services().messages.back().text, "Red is out");
    EXPECT_EQ(Services().messages.back().colour, 0x00FFFFu);
    // Once out, always out.
    loser.SetDefeated();
    EXPECT_EQ(Services().destroyedBuildings.size(), lost.size());
}

TEST_F(PlayerDefeat, TheLocalPlayerOfASingleGameOnlyLosesItsScript)
{
    CPlayer& local = Player(0);
    CUnit* soldier = Create(local, 2, 5, 5);
    local.SetDefeated();
    EXPECT_EQ(local.type, PLAYER_DEFEATED);
    EXPECT_TRUE(local.HasUnit(soldier));
    EXPECT_TRUE(Services().defeatsSent.empty());
}

TEST_F(PlayerDefeat, TheLocalPlayerOfANetworkGameTellsThePeersAndLosesItsArmy)
{
    Services().networkGame = true;
    CPlayer& local = Player(0);
    CUnit* soldier = Create(local, 2, 5, 5);
    local.SetDefeated();
    EXPECT_EQ(Services().defeatsSent, std::vector<int32_t>{0});
    EXPECT_FALSE(local.HasUnit(soldier));
}
