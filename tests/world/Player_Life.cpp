// A player's initialisation, script compilation and release.

#include <fstream>

#include "Player_Fixture.h"

using PlayerLife = PlayerTest;

TEST_F(PlayerLife, ASecondInitStartsAGameFromNothing)
{
    CPlayer& player = Player(1);
    Create(player, 2, 5, 5);
    Finish(player, 5);
    player.AddResources(10, 10, 10);
    player.technologies[3].enabled = 1;
    player.enabledUnitTypes[2] = 1;
    player.Init(1, 4, PLAYER_REMOTE, nullptr);
    EXPECT_EQ(player.type, PLAYER_REMOTE);
    EXPECT_EQ(player.team, 4);
    EXPECT_EQ(player.unitCount, 0);
    EXPECT_EQ(player.unitsByType[2], 0);
    EXPECT_EQ(player.finishedBuildings[5], 0);
    EXPECT_EQ(player.score, 0);
    EXPECT_EQ(player.wood, 1000);
    EXPECT_EQ(player.statistics[STAT_WOOD_HARVESTED], 0);
    EXPECT_EQ(player.technologies[3].enabled, 0);
    EXPECT_EQ(player.enabledUnitTypes[2], 0);
    EXPECT_EQ(player.unitSightCounts[5 * 256 + 5], 0);
    EXPECT_EQ(player.exploredMap[5 * 257 + 5], 0);
    // The block no longer shows the deleted unit.
    EXPECT_EQ(g_GameMap.Block(5, 5).unit, nullptr);
    EXPECT_EQ(Create(player, 1)->uniqueId, 0);
}

TEST_F(PlayerLife, AScriptThatCompilesIsLoggedAndNoNameCompilesNothing)
{
    Player(3).CompileScript("");
    EXPECT_FALSE(Log().HasStart("Script compiled"));
    EXPECT_FALSE(Player(3).script.IsCompiled());
    const std::string path = Folder().File("scripts/good.scr");
    std::ofstream(path) << "rule";
    Player(2).Init(2, 2, PLAYER_COMPUTER, path.c_str());
    EXPECT_TRUE(Log().Has("Script compiled successfuly"));
    EXPECT_TRUE(Player(2).script.IsCompiled());
    EXPECT_TRUE(Services().messages.empty());
}

TEST_F(PlayerLife, AScriptThatFailsIsClearedAndShownInRedWithoutTheScriptFolder)
{
    g_Config.scriptFolder = (Folder().Path() + "/scripts/").c_str();
    const std::string path = Folder().Path() + "/scripts/missing.scr";
    Player(2).Init(2, 2, PLAYER_COMPUTER, path.c_str());
    EXPECT_TRUE(Log().Has("Script compiled with errors"));
    EXPECT_FALSE(Player(2).script.IsCompiled());
    ASSERT_EQ(Services().messages.size(), 1u);
    EXPECT_EQ(Services().messages[0].text, "Script compile error:missing.scr: cannot open the script file");
    EXPECT_EQ(Services().messages[0].colour, 0xFF0000u);
}

TEST_F(PlayerLife, OnlyAComputerPlayerRunsItsOpponentAndHearsOfQueuedUnits)
{
    Player(2).UpdateComputerAI();
    Player(0).UpdateComputerAI();
    EXPECT_EQ(Player(2).computerAI.GetFrameCount(), 1);
    EXPECT_EQ(Player(0).computerAI.GetFrameCount(), 0);
    TestUnit queued(9);
    Player(2).OnUnitQueued(&queued);
    EXPECT_EQ(Player(2).computerAI.GetNotices().back().kind, CComputerAI::ENotice::UnitAdded);
    EXPECT_EQ(Player(2).script.GetEvents().back().kind, CScript::EEvent::UnitTrained);
    EXPECT_EQ(Player(2).script.GetEvents().back().values[0], 9);
}

TEST_F(PlayerLife, EnemiesSightedReachUnitsOnTheMapAndEveryBuilding)
{
    CPlayer& player = Player(2);
    TestUnit* shown = Create(player, 2, 8, 8);
    TestUnit* hidden = Create(player, 2);
    TestBuilding* tower = Finish(player, 6);
    TestUnit enemy(2);
    player.BroadcastToObjects(&enemy);
    EXPECT_EQ(shown->sightedEnemies, std::vector<CUnit*>{&enemy});
    EXPECT_TRUE(hidden->sightedEnemies.empty());
    EXPECT_EQ(tower->sightedEnemies, std::vector<CUnit*>{&enemy});
}
