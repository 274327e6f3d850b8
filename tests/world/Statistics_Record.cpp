#include "Player_Fixture.h"
#include "core/C_MemoryBlock.h"
#include "tests/support/RecordBytes.h"
#include "world/C_PlayerStatistics.h"

namespace
{
// The record of a player "Ann", written out by hand: name length without the zero, the name with it, 21 numbers,
// 2 samples.  Offsets into it:
constexpr size_t NumbersAt = 8, SampleCountAt = NumbersAt + 21 * 4, SamplesAt = SampleCountAt + 4;

std::string AnnBytes()
{
    CRecordBytes bytes;
    bytes.I32(3).Text(std::string("Ann\0", 4));
    for (int32_t value : {2, 5, 1, 1200, 340, 560, 37, 4, 700, 50, 300, 20, 31, 12, 9, 14, 3, 2, 88, 40, 6})
        bytes.I32(value);
    bytes.I32(2).I32(3).I32(0).I32(7).I32(256);
    return bytes.Bytes();
}

void Load(CMemoryBlock& block, const std::string& bytes)
{
    block.Init(CMemoryBlock::DefaultGrowStep), block.Write(bytes.data(), int(bytes.size()));
}

std::string Written(const CPlayerStatistics& record)
{
    CMemoryBlock block(100);
    record.Write(block);
    EXPECT_EQ(block.GetGrowStep(), 16384);
    return std::string(reinterpret_cast<const char*>(block.GetData()), size_t(block.GetSize()));
}
}  // namespace

TEST(StatisticsRecord, ReadsTheHandWorkedBytesAndWritesThemBackAndRefusesDamagedRecordsKeepingTheOldOne)
{
    const std::string good = AnnBytes();
    CMemoryBlock block;
    Load(block, good);
    CPlayerStatistics record;
    ASSERT_TRUE(record.Read(block));  // from position 0, wherever the block stood
    ASSERT_TRUE(std::string(record.name) == "Ann" && record.sampleCount == 2);
    EXPECT_EQ((std::vector<int32_t>{record.playerType, record.researchPercent, record.arrowsHitBuilding,
                                    record.populationHistory[1].values[0], record.populationHistory[1].values[1]}),
              (std::vector<int32_t>{2, 20, 6, 7, 256}));
    EXPECT_EQ(Written(record), good);

    auto patched = [&](size_t offset, int32_t value) { return CRecordBytes::WithI32At(good, offset, value); };
    const std::string unterminated = good.substr(0, 7) + "x" + good.substr(8);
    const std::pair<std::string, const char*> cases[] = {
        {"", "the record is cut short"}, {patched(0, -1), "the name length is out of range"},
        {patched(0, 200), "the record is cut short"}, {unterminated, "the name does not end at its length"},
        {good.substr(0, 5) + '\0' + good.substr(6), "the name does not end at its length"},
        {patched(NumbersAt, 5), "the player type is out of range"},
        {patched(NumbersAt + 4, 8), "the colour scheme is out of range"},
        {patched(NumbersAt + 8, -2), "the team is out of range"},
        {patched(NumbersAt + 24, 101), "the explored percent is out of range"},
        {patched(NumbersAt + 28, 62), "the researched count is out of range"},
        {patched(NumbersAt + 44, -1), "the research percent is out of range"},
        {patched(NumbersAt + 80, -1), "a count is negative"}, {good.substr(0, 50), "the record is cut short"},
        {patched(SampleCountAt, 0x7FFFFFFF), "the sample count is out of range"},
        {patched(SampleCountAt, 3), "the record is cut short"},
        {patched(SamplesAt + 12, 257), "a population sample is out of range"},
    };
    for (const auto& [bytes, reason] : cases)
    {
        CTestLog log;
        Load(block, good);
        ASSERT_TRUE(record.Read(block));
        Load(block, bytes);
        EXPECT_TRUE(!record.Read(block) && log.Contains(std::string("Statistics record refused: ") + reason) &&
                    Written(record) == good) << reason;
    }
    for (size_t at = NumbersAt + 12; at <= NumbersAt + 80; at += 4)   // every count and percent may be 0
        EXPECT_TRUE((Load(block, patched(at, 0)), record.Read(block))) << at;
}

using StatisticsPlayer = PlayerTest;
using StatisticsOverlay = PlayerTest;

// Harvest wood 1 (100 wood) and mining 1 (200 wood, 50 stone) of three are researched, and the spell
// (800 gold) that never counts; the history takes workers apart and exactly the used samples.
TEST_F(StatisticsPlayer, ResearchCountsTheAvailableButNeverTheOneShotSpellAndSamplesCountWorkersApart)
{
    CPlayer& player = Player(1);
    CPlayerStatistics record;
    record.BuildStatistics(player);
    EXPECT_EQ(record.researchPercent, 0);   // nothing available
    for (int32_t id : {0, 3, 5, 52}) player.technologies[id].enabled = 1;
    for (int32_t id : {0, 3, 52}) player.technologies[id].progress = CTechnology::ResearchedProgress;
    for (int32_t type : {1, 1, 2, 4}) Create(player, type);
    for (int32_t i = 0; i < 512; ++i) CPlayerStatistics::AddPopulationSample(player);
    EXPECT_EQ(player.populationHistoryCapacity, 512);
    player.type = PLAYER_DEFEATED;
    CPlayerStatistics::AddPopulationSample(player);
    record.BuildStatistics(player);
    ASSERT_TRUE(player.populationHistoryCapacity == 1024 && record.sampleCount == 513);
    const auto* samples = record.populationHistory;
    EXPECT_EQ((std::vector<int32_t>{record.technologiesResearched, record.researchPercent, record.woodSpentOnResearch,
                                    record.stoneSpentOnResearch, record.goldSpentOnResearch, samples[511].values[0],
                                    samples[511].values[1], samples[512].values[0], samples[512].values[1]}),
              (std::vector<int32_t>{2, 66, 300, 50, 0, 2, 2, 0, 0}));
    // Of the 64 x 64 blocks: 40 explored are 0 %, 41 are 1 %, all but one 99 %; the corners beyond the last
    // block column and row are no blocks.
    for (const auto& [explored, percent] : {std::pair(40, 0), {41, 1}, {4095, 99}, {4096, 100}})
    {
        std::memset(player.exploredMap, 0, sizeof(player.exploredMap));
        for (int32_t x = 0; x <= 64; ++x) player.exploredMap[x * 257 + 64] = 1;
        std::memset(player.exploredMap + 64 * 257, 1, 65);
        for (int32_t i = 0; i < explored; ++i) player.exploredMap[(i / 64) * 257 + i % 64] = uint8_t(1 + i % 255);
        EXPECT_EQ(CPlayerStatistics::GetExploredPercent(player), percent) << explored;
    }
    // No history: no sample, and a record without one.
    player.Release();
    CPlayerStatistics::AddPopulationSample(player);
    record.BuildStatistics(player);
    EXPECT_EQ(record.populationHistory, nullptr);
}

TEST_F(StatisticsOverlay, ShowsEveryCounterInItsPlace)
{
    CPlayer& player = Player(0);
    for (int32_t type : {1, 2}) Create(player, type);
    for (int32_t cast : {1, 5, 5}) Finish(player, cast);
    for (int32_t cast : {5, 13}) player.OnBuildingPlaced(player.CreateBuilding(cast, -1, -1));
    // Tens and hundreds of the cast number on top, so that each line shows its own cast.
    for (int32_t cast = 0; cast < BuildCastCount; ++cast)
        player.finishedBuildings[cast] += 10 * cast, player.buildingsUnderConstruction[cast] += 100 * cast;
    const int32_t counters[STAT_COUNT] = {120, 45, 300, 9, 4, 7, 6, 2, 3, 50, 21, 8};
    std::copy(std::begin(counters), std::end(counters), player.statistics);
    player.controlGroupCounts[0] = 5, player.controlGroupCounts[8] = 12;

    std::vector<std::string> expected = {
        "270 0 ---===( Player Units/Buildings )===---", "270 20 Unit num:2", "270 40 Building num:3",
        "270 80 ---===( Details )===---", "270 100 Castles:11+(100)", "270 120 Barracks:20+(200)",
        "270 140 Alchemies:30+(300)", "270 160 Blacksmiths:40+(400)", "270 180 Warehouses:70+(700)",
        "270 200 Houses:52+(501)", "270 220 Keeps:110+(1100)", "270 240 Docks:130+(1301)",
        "270 260 ---===( Statistics )===---", "270 280 Harvest Wood/Stone/Gold:120/45/300",
        "270 300 Units Create/Lost/Kill:9/4/7", "270 320 Buildings Build/Lost/Destroy:6/2/3",
        "270 340 Arrows shot:50", "270 360 Arrow hit unit/building:21/8", "600 0 ---===( Groups )===---"};
    for (int32_t group = 1; group <= 9; ++group)
        expected.push_back("600 " + std::to_string(group * 20) + " group " + std::to_string(group) + " :" +
                           (group == 1 ? "5" : group == 9 ? "12" : "0"));
    std::vector<std::string> shown;
    for (const SOverlayText& text : CPlayerStatistics::ComposeOverlay(player))
        shown.push_back(std::to_string(text.x) + " " + std::to_string(text.y) + " " + text.text);
    EXPECT_EQ(shown, expected);
}
