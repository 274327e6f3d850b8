// The idle-unit buttons of the local player.

#include "Player_Fixture.h"
#include "game/C_Selection.h"

using PlayerIdleSelection = PlayerTest;

TEST_F(PlayerIdleSelection, StepsThroughIdleWorkersFromTheSelectedOne)
{
    g_Selection.Clear();
    CPlayer& player = Player(0);
    TestUnit* first = Create(player, 1, 4, 6);
    TestUnit* busy = Create(player, 1, 5, 6);
    TestUnit* soldier = Create(player, 2, 6, 6);
    TestUnit* patrolling = Create(player, 1, 7, 9);
    busy->currentCommand = 7;
    patrolling->currentCommand = 3;
    (void)soldier;
    ASSERT_TRUE(player.SelectNextIdleWorker());
    EXPECT_EQ(g_Selection.GetFirstUnit(), first);
    EXPECT_FLOAT_EQ(g_GameMap.cameraTargetX, 4.0f);
    ASSERT_TRUE(player.SelectNextIdleWorker());
    EXPECT_EQ(g_Selection.GetFirstUnit(), patrolling);
    EXPECT_EQ(g_Selection.unitCount, 1);
    EXPECT_FLOAT_EQ(g_GameMap.cameraTargetY, 9.0f);
    ASSERT_TRUE(player.SelectNextIdleWorker());
    EXPECT_EQ(g_Selection.GetFirstUnit(), first);
    g_Selection.Clear();
}

TEST_F(PlayerIdleSelection, IdleUnitsMustStandOnTheMap)
{
    g_Selection.Clear();
    CPlayer& player = Player(0);
    Create(player, 2);   // not on the map
    EXPECT_FALSE(player.SelectNextIdleUnit());
    ASSERT_EQ(Services().messages.size(), 1u);
    EXPECT_EQ(Services().messages[0].colour, 0xFFFFFFu);
    TestUnit* placed = Create(player, 2, 3, 3);
    EXPECT_TRUE(player.SelectNextIdleUnit());
    EXPECT_EQ(g_Selection.GetFirstUnit(), placed);
    EXPECT_FALSE(Player(0).SelectNextIdleWorker());
    g_Selection.Clear();
}
