// A player's initialisation, script, attack alerts, defeat, and what the local player sees of the explored map.

#include "Player_Fixture.h"

using PlayerLife = PlayerTest;
using PlayerFog = PlayerTest;
using Corner = std::pair<int32_t, int32_t>;

TEST_F(PlayerLife, ASecondInitStartsFromNothingAndCompilesTheScript)
{
    CPlayer& player = Player(2);
    Create(player, 2, 5, 5);
    Finish(player, 5);
    player.technologies[3].enabled = 1;
    const std::string path = Folder().Write("scripts/good.scr", "rule");
    player.Init(2, 4, PLAYER_COMPUTER, path.c_str());
    EXPECT_TRUE(player.finishedBuildings[5] == 0 && player.score == 0 && player.technologies[3].enabled == 0);
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
    player.UpdateComputerAI();
    Player(0).UpdateComputerAI();
    EXPECT_TRUE(player.computerAI.GetFrameCount() == 1 && Player(0).computerAI.GetFrameCount() == 0);
    Player(5).type = PLAYER_REMOTE;
    EXPECT_TRUE(Player(5).IsFriendTo(1));
    EXPECT_FALSE(Player(1).IsFriendTo(5) || Player(1).IsFriendTo(8) || Player(1).IsFriendTo(-1));
    Player(5).type = PLAYER_DEFEATED;
    EXPECT_TRUE(Player(1).IsFriendTo(5));
}

TEST_F(PlayerLife, TheLocalPlayerHearsOneAlertPerAreaAndMinuteAndRemovalsClearTheAlerts)
{
    CPlayer& local = Player(0);
    CUnit* victim = Create(local, 2, 20, 20);
    CUnit* attacker = Create(Player(5), 2, 21, 20);
    local.AlertUnitAttacked(victim, attacker, 1);
    local.AlertUnitAttacked(victim, attacker, 1);
    ASSERT_EQ(Services().messages.size(), 1u);
    EXPECT_TRUE(Services().messages[0].text == "Under attack" && Services().messages[0].colour == 0xFF0000u);
    EXPECT_EQ(Services().samples, (std::vector<int32_t>{256, 100}));
    EXPECT_EQ(Services().markers, (std::vector<int32_t>{20, 20, 0xFF0000}));
    // A minute on, a building's alert is filed under its centre block.
    SysClock::AdvanceTestClock(60001);
    TestBuilding* barracks = Finish(local, 2, 30, 30);   // 2 x 2, centre (31, 31)
    local.AlertBuildingAttacked(barracks, attacker, 0);
    EXPECT_TRUE(local.alertGrid[17].attackedBuilding == barracks && Services().messages.size() == 2u);
    local.RemoveBuilding(barracks, 1);
    local.RemoveUnit(victim, 1);
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
    for (int32_t cast : {2, 4, 11, 6})
        Finish(loser, cast);
    loser.SetDefeated();
    EXPECT_TRUE(loser.type == PLAYER_DEFEATED && loser.unitCount == 6);
    for (CUnit* civilian : civilians)
    {
        EXPECT_TRUE(loser.HasUnit(civilian));
        EXPECT_EQ(std::count(Services().stopped.begin(), Services().stopped.end(), civilian), 1);
        EXPECT_EQ(std::count(Services().restarted.begin(), Services().restarted.end(), civilian), 1);
    }
    EXPECT_EQ(loser.buildingCount, 3);
    for (TestBuilding* building : kept)
        EXPECT_TRUE(loser.HasBuilding(building));
    EXPECT_TRUE(Services().destroyedBuildings.size() == 4u && loser.statistics[STAT_UNITS_LOST] == 0 &&
                loser.statistics[STAT_BUILDINGS_LOST] == 0);
    for (int32_t p = 0; p < MaxPlayers; ++p)
        EXPECT_TRUE(loser.allied[p] && Player(p).allied[3]) << p;
    ASSERT_FALSE(Services().messages.empty());
    EXPECT_TRUE(Services().messages.back().text == "Red is out" && Services().messages.back().colour == 0x00FFFFu);
    loser.SetDefeated();   // once out, always out
    EXPECT_EQ(Services().destroyedBuildings.size(), 4u);
    // The local player loses its army, and tells the peers, only in a network game.
    CUnit* soldier = Create(Player(0), 2, 5, 5);
    Player(0).SetDefeated();
    EXPECT_TRUE(Player(0).HasUnit(soldier));
    Services().networkGame = true;
    Player(0).type = PLAYER_LOCAL;
    Player(0).SetDefeated();
    EXPECT_EQ(Services().defeatsSent, std::vector<int32_t>{0});
    EXPECT_FALSE(Player(0).HasUnit(soldier));
}

TEST_F(PlayerFog, VisibilityIsTheExploredLevelHalvedUnseenUnderFogAndSoftenedBesideUnseenBlocks)
{
    CPlayer& player = Player(0);
    std::memset(player.exploredMap, 200, sizeof(player.exploredMap));
    for (int x = 5; x <= 15; ++x)
        for (int y = 5; y <= 15; ++y)
            player.unitSightCounts[x * 256 + y] = 1;
    // Of the neighbours of (5, 5) only the diagonal (4, 4) stays unseen.
    for (const auto& [x, y] : {Corner{4, 5}, Corner{4, 6}, Corner{5, 4}, Corner{6, 4}, Corner{63, 0}})
        player.unitSightCounts[x * 256 + y] = 1;
    player.buildingSightCounts[20 * 256 + 20] = 2;
    player.constructionSiteCounts[25 * 256 + 25] = 1;
    player.exploredMap[3 * 257 + 4] = 17;
    player.exploredMap[31 * 257 + 31] = 201;
    player.exploredMap[63 * 257 + 0] = 40;
    player.exploredMap[40 * 257 + 40] = 0;
    // Fog of war, visibility mode, the block and its level.
    const std::tuple<int, int, int, int, int> cases[] = {
        {1, 2, 10, 10, 200}, {1, 2, 5, 10, 150},  {1, 2, 5, 5, 150},   {1, 1, 5, 5, 200},  {1, 1, 5, 10, 150},
        {1, 0, 5, 10, 200},  {1, 2, 30, 30, 100}, {1, 2, 31, 31, 100}, {1, 2, 20, 20, 150}, {0, 2, 3, 4, 17},
        {0, 2, 30, 30, 200}, {1, 0, 64, -3, 40},  {1, 0, 500, 0, 40},  {1, 0, 25, 25, 200}};
    for (const auto& [fog, mode, x, y, level] : cases)
    {
        g_Config.fogOfWar = fog;
        g_Config.visibilityMode = mode;
        EXPECT_EQ(player.GetVisibility(x, y), level) << fog << mode << " " << x << "," << y;
    }
    EXPECT_TRUE(player.IsCellSeen(20, 20) && player.IsCellVisible(5, 10));
    EXPECT_FALSE(player.IsCellSeen(30, 30) || player.IsCellVisible(30, 30) || player.IsCellSeen(-1, 0));
    g_Config.fogOfWar = 0;
    EXPECT_TRUE(player.IsCellSeen(30, 30) && player.IsCellVisible(30, 30));
    EXPECT_FALSE(player.IsCellSeen(40, 40) || player.IsCellVisible(40, 40) || player.IsCellVisible(300, 0));
}

// Right after each change, before anything rebuilds the counts: a construction site counts over its
// rectangle on the map (8-bit, wrapping), a building's sight over its footprint and the soft ring of
// radius 1 to 7 beyond its edges and corners; a block counted is seen under fog of war.
TEST_F(PlayerFog, SitesAndBuildingSightCountOverTheirRectangleAndRingOnly)
{
    CPlayer& player = Player(0);
    player.AddConstructionSite(10, 10, 12, 11, 1);
    player.AddConstructionSite(62, 62, 65, 65, 1);
    player.AddConstructionSite(0, 0, 0, 0, -1);
    player.AddBuildingSight(20, 20, 21, 21, 1);
    player.AddBuildingSight(62, 62, 63, 63, 1);
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
        EXPECT_TRUE(player.constructionSiteCounts[cell] == sites && player.buildingSightCounts[cell] == sight &&
                    player.IsCellSeen(x, y) == (sites + sight > 0))
            << x << "," << y;
    }
    player.AddConstructionSite(10, 10, 10, 10, -1);
    player.AddBuildingSight(20, 20, 21, 21, -1);
    EXPECT_FALSE(player.IsCellSeen(10, 10) || player.IsCellSeen(20, 20) || player.IsCellSeen(27, 20));
    EXPECT_TRUE(player.IsCellSeen(11, 10) && player.IsCellSeen(63, 63));
    // The corner building's 4 blocks, 6 rows of 2 above and 6 columns of 2 to the left, and the 30 blocks
    // of its upper left corner with dx^2 + dy^2 < 49.
    EXPECT_EQ(std::count(player.buildingSightCounts, player.buildingSightCounts + 256 * 256, 1), 58);
}
