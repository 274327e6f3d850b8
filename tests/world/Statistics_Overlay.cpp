// The developer overlay of a player's counters: its exact texts and places.

#include "Player_Fixture.h"
#include "world/C_PlayerStatistics.h"

using StatisticsOverlay = PlayerTest;

TEST_F(StatisticsOverlay, ShowsEveryCounterInItsPlace)
{
    CPlayer& player = Player(0);
    for (int32_t type : {1, 2})
        Create(player, type);
    for (int32_t cast : {1, 5, 5})
        Finish(player, cast);
    for (int32_t cast : {5, 13})
        player.OnBuildingPlaced(player.CreateBuilding(cast, -1, -1));
    const int32_t counters[STAT_COUNT] = {120, 45, 300, 9, 4, 7, 6, 2, 3, 50, 21, 8};
    std::copy(std::begin(counters), std::end(counters), player.statistics);
    player.controlGroupCounts[0] = 5;
    player.controlGroupCounts[8] = 12;

    std::vector<std::string> expected = {
        "270 0 ---===( Player Units/Buildings )===---",
        "270 20 Unit num:2",
        "270 40 Building num:3",
        "270 80 ---===( Details )===---",
        "270 100 Castles:1+(0)",
        "270 120 Barracks:0+(0)",
        "270 140 Alchemies:0+(0)",
        "270 160 Blacksmiths:0+(0)",
        "270 180 Warehouses:0+(0)",
        "270 200 Houses:2+(1)",
        "270 220 Keeps:0+(0)",
        "270 240 Docks:0+(1)",
        "270 260 ---===( Statistics )===---",
        "270 280 Harvest Wood/Stone/Gold:120/45/300",
        "270 300 Units Create/Lost/Kill:9/4/7",
        "270 320 Buildings Build/Lost/Destroy:6/2/3",
        "270 340 Arrows shot:50",
        "270 360 Arrow hit unit/building:21/8",
        "600 0 ---===( Groups )===---",
    };
    for (int32_t group = 1; group <= 9; ++group)
        expected.push_back("600 " + std::to_string(group * 20) + " group " + std::to_string(group) + " :" +
                           (group == 1 ? "5" : group == 9 ? "12" : "0"));
    std::vector<std::string> shown;
    for (const SOverlayText& text : CPlayerStatistics::ComposeOverlay(player))
        shown.push_back(std::to_string(text.x) + " " + std::to_string(text.y) + " " + text.text);
    EXPECT_EQ(shown, expected);
}
