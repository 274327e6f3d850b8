// A statistics record filled from a player: explored and research percents,
// research spending and the population history.

#include "Player_Fixture.h"
#include "world/C_PlayerStatistics.h"

using StatisticsPlayer = PlayerTest;

TEST_F(StatisticsPlayer, ExploredPercentIsBlocksTimesHundredOverTheMap)
{
    const struct
    {
        int32_t side, explored, percent;
    } cases[] = {{64, 4096, 100}, {64, 41, 1}, {64, 40, 0}, {64, 4095, 99}, {32, 512, 50}, {0, 0, 0}};
    CPlayer& player = Player(1);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.explored << " on side " << c.side);
        ClearMap(c.side);
        std::memset(player.exploredMap, 0, sizeof(player.exploredMap));
        for (int32_t i = 0; i < c.explored; ++i)
            player.exploredMap[(i / c.side) * 257 + i % c.side] = 1;
        // The corners past the last row and column are no blocks.
        for (int32_t i = 0; i <= c.side; ++i)
            player.exploredMap[c.side * 257 + i] = player.exploredMap[i * 257 + c.side] = 255;
        EXPECT_EQ(CPlayerStatistics::GetExploredPercent(player), c.percent);
    }
}

TEST_F(StatisticsPlayer, ResearchCountsTheAvailableButNeverTheOneShotSpell)
{
    CPlayer& player = Player(2);
    CPlayerStatistics record;
    record.BuildStatistics(player);
    EXPECT_EQ(record.researchPercent, 0);  // nothing available

    // Harvest wood 1 (100 wood) and mining 1 (200 wood, 50 stone) of three,
    // and the spell (800 gold) researched too.
    for (int32_t id : {0, 3, 5, 52})
        player.technologies[id].enabled = 1;
    for (int32_t id : {0, 3, 52})
        player.technologies[id].progress = CTechnology::ResearchedProgress;
    record.BuildStatistics(player);
    EXPECT_EQ(record.technologiesResearched, 2);
    EXPECT_EQ(record.researchPercent, 66);
    EXPECT_EQ(record.woodSpentOnResearch, 300);
    EXPECT_EQ(record.stoneSpentOnResearch, 50);
    EXPECT_EQ(record.goldSpentOnResearch, 0);
}

TEST_F(StatisticsPlayer, SamplesCountWorkersApartAndTheRecordTakesExactlyTheUsedOnes)
{
    CPlayer& player = Player(1);
    for (int32_t type : {1, 1, 2, 4})
        Create(player, type);
    for (int32_t i = 0; i < 512; ++i)
        CPlayerStatistics::AddPopulationSample(player);
    player.type = PLAYER_DEFEATED;
    CPlayerStatistics::AddPopulationSample(player);
    EXPECT_EQ(player.populationHistoryCapacity, 1024);

    CPlayerStatistics record;
    record.BuildStatistics(player);
    ASSERT_EQ(record.sampleCount, 513);
    EXPECT_EQ(record.populationHistory[511].values[0], 2);
    EXPECT_EQ(record.populationHistory[511].values[1], 2);
    EXPECT_EQ(record.populationHistory[512].values[0], 0);
    EXPECT_EQ(record.populationHistory[512].values[1], 0);

    player.Release();  // no history: no sample, and a record without one
    CPlayerStatistics::AddPopulationSample(player);
    record.BuildStatistics(player);
    EXPECT_EQ(record.populationHistory, nullptr);
}
