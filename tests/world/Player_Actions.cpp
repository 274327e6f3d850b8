// The time-sliced action pass and starvation.

#include "Player_Fixture.h"

using PlayerActionPass = PlayerTest;
using PlayerStarvation = PlayerTest;

TEST_F(PlayerActionPass, PhaseZeroPerformsOneActionPerCallAndResumesBehindIt)
{
    CPlayer& player = Player(1);
    TestUnit* a = Create(player, 2);
    TestUnit* dead = Create(player, 2);
    TestUnit* b = Create(player, 2);
    TestUnit* c = Create(player, 2);
    a->pendingActions[0] = 1;
    c->pendingActions[0] = 1;
    b->pendingActions[1] = 1;
    dead->health = 1.0f;
    dead->starvation = 1.0f;
    dead->pendingActions[0] = 1;
    EXPECT_TRUE(player.UpdateUnitsTimeSliced());
    EXPECT_EQ(a->performed[0], 1);
    EXPECT_EQ(player.unitCursors[0], 1);
    EXPECT_TRUE(player.UpdateUnitsTimeSliced());
    EXPECT_EQ(c->performed[0], 1);
    EXPECT_EQ(dead->performed[0], 0);
    // Phase 0 exhausted: phase 1 performs b's action and the call ends false.
    EXPECT_FALSE(player.UpdateUnitsTimeSliced());
    EXPECT_EQ(player.unitCursors[0], 0);
    EXPECT_EQ(b->performed[1], 1);
    EXPECT_EQ(player.unitCursors[1], 3);
    EXPECT_FALSE(player.UpdateUnitsTimeSliced());
    EXPECT_EQ(player.unitCursors[1], 0);
}

TEST_F(PlayerActionPass, RemovalsDuringThePassNeverPushTheCursorPastTheList)
{
    CPlayer& player = Player(1);
    std::vector<TestUnit*> made;
    for (int32_t i = 0; i < 5; ++i)
    {
        made.push_back(Create(player, 2));
        made.back()->pendingActions[0] = 1;
    }
    for (int32_t i = 0; i < 4; ++i)
        player.UpdateUnitsTimeSliced();
    ASSERT_EQ(player.unitCursors[0], 4);
    for (int32_t i = 0; i < 3; ++i)
    {
        CUnit* unit = player.units[0];
        player.RemoveUnit(unit, 0);
        delete unit;
    }
    // The cursor (4) now lies beyond the two units left; the pass goes on
    // without touching anything past the list.
    EXPECT_FALSE(player.UpdateUnitsTimeSliced());
    EXPECT_EQ(player.unitCursors[0], 0);
}

TEST_F(PlayerActionPass, TheGamePassRunsEveryPlayerUntilAllAreDone)
{
    std::vector<TestUnit*> units;
    for (int32_t p = 0; p < MaxPlayers; ++p)
        for (int32_t i = 0; i < 3; ++i)
        {
            units.push_back(Create(Player(p), 2));
            units.back()->pendingActions[0] = 2;
        }
    // The test clock stands still, so the time box never cuts the pass.
    CPlayer::UpdateAllUnitsTimeSliced(g_Players);
    for (TestUnit* unit : units)
        EXPECT_EQ(unit->performed[0], 1);
}

namespace
{
// 50 houses: a limit of 250.
void HouseFor250(CPlayer& player)
{
    player.finishedBuildings[5] = 50;
}
} // namespace

// The list holds at most 256 units, so ten too many are 256 under a limit
// of 246.
TEST_F(PlayerStarvation, TheFirstUnitsBeyondTheLimitStarveAndRecoverLater)
{
    CPlayer& player = Player(2);
    player.finishedBuildings[5] = 60;
    player.populationMaximum = 246;
    std::vector<TestUnit*> units;
    units.push_back(Create(player, 4));   // catapults cannot starve
    for (int32_t i = 1; i < 256; ++i)
        units.push_back(Create(player, 1));
    player.CheckStarvation(10.0f);
    for (int32_t i = 0; i < 256; ++i)
        EXPECT_FLOAT_EQ(units[i]->starvation, (i >= 1 && i <= 10) ? 1.0f : 0.0f) << i;
    player.CheckStarvation(10.0f);
    EXPECT_FLOAT_EQ(units[1]->starvation, 2.0f);
    EXPECT_FLOAT_EQ(units[11]->starvation, 0.0f);
    for (TestUnit* unit : units)
        EXPECT_TRUE(unit->IsAlive());
    // The limit rises: everyone recovers by the same amount per call.
    player.populationMaximum = 256;
    player.CheckStarvation(10.0f);
    EXPECT_FLOAT_EQ(units[1]->starvation, 1.0f);
    player.CheckStarvation(10.0f);
    EXPECT_FLOAT_EQ(units[10]->starvation, 0.0f);
    player.CheckStarvation(10.0f);
    EXPECT_EQ(player.starvationTime, 0u);
}

TEST_F(PlayerStarvation, TheLocalPlayerIsToldOncePerMinute)
{
    CPlayer& player = Player(0);
    HouseFor250(player);
    player.populationMaximum = 256;
    for (int32_t i = 0; i < 251; ++i)
        Create(player, 1);
    player.CheckStarvation(5.0f);
    player.CheckStarvation(5.0f);
    ASSERT_EQ(Services().messages.size(), 1u);
    EXPECT_EQ(Services().messages[0].text, "People starving");
    EXPECT_EQ(Services().messages[0].colour, 0xFFFF00u);
    SysClock::AdvanceTestClock(60001);
    player.CheckStarvation(5.0f);
    EXPECT_EQ(Services().messages.size(), 2u);
}

TEST_F(PlayerStarvation, NothingStarvesInANetworkGameOrWhenDisabledAndHungerNeverKills)
{
    CPlayer& player = Player(2);
    TestUnit* unit = Create(player, 1);   // a limit of 0
    Services().networkGame = true;
    player.CheckStarvation(10.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 0.0f);
    Services().networkGame = false;
    player.starvationEnabled = 0;
    player.CheckStarvation(10.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 0.0f);
    player.starvationEnabled = 1;
    player.CheckStarvation(0.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 0.0f);
    player.CheckStarvation(10.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 1.0f);
    // 1 + 60 = 61 percent; the next step would reach 100 and is taken back.
    unit->health = 100.0f;
    for (int32_t i = 0; i < 3; ++i)
        player.CheckStarvation(600.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 61.0f);
    EXPECT_TRUE(unit->IsAlive());
}

// 50 hit points at 3 percent health less 1 percent starvation leave exactly
// one hit point: no further hunger may take it.
TEST_F(PlayerStarvation, AUnitWithOneHitPointLeftKeepsItWhileItStarves)
{
    CPlayer& player = Player(2);
    TestUnit* unit = Create(player, 1);   // a limit of 0
    unit->health = 3.0f;
    unit->starvation = 1.0f;
    ASSERT_EQ(unit->GetLivingHitPoints(), 1);
    for (int32_t i = 0; i < 5; ++i)
        player.CheckStarvation(10.0f);
    EXPECT_FLOAT_EQ(unit->starvation, 1.0f);
    EXPECT_EQ(unit->GetLivingHitPoints(), 1);
}
