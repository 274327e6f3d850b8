// The statistics record peers exchange in a memory block: its byte layout,
// the round trip, and damaged records from another machine.

#include <gtest/gtest.h>

#include <string>

#include "core/C_MemoryBlock.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/TestLog.h"
#include "world/C_PlayerStatistics.h"

namespace
{
// The record of a player "Ann", written out by hand: name length without
// the zero, the name with it, 21 numbers, 2 samples.  Offsets into it:
constexpr size_t NumbersAt = 8;
constexpr size_t SampleCountAt = NumbersAt + 21 * 4;
constexpr size_t SamplesAt = SampleCountAt + 4;

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
    block.Init(CMemoryBlock::DefaultGrowStep);
    block.Write(bytes.data(), int(bytes.size()));
}

std::string Written(const CPlayerStatistics& record)
{
    CMemoryBlock block(100);
    record.Write(block);
    EXPECT_EQ(block.GetGrowStep(), 16384);
    return std::string(reinterpret_cast<const char*>(block.GetData()), size_t(block.GetSize()));
}
}  // namespace

TEST(StatisticsRecord, ReadsTheHandWorkedBytesAndWritesThemBack)
{
    CMemoryBlock block;
    Load(block, AnnBytes());
    CPlayerStatistics record;
    ASSERT_TRUE(record.Read(block));  // from position 0, wherever the block stood

    EXPECT_STREQ(record.name, "Ann");
    EXPECT_EQ(record.playerType, 2);
    EXPECT_EQ(record.researchPercent, 20);
    EXPECT_EQ(record.arrowsHitBuilding, 6);
    ASSERT_EQ(record.sampleCount, 2);
    EXPECT_EQ(record.populationHistory[1].values[0], 7);
    EXPECT_EQ(record.populationHistory[1].values[1], 256);
    EXPECT_EQ(Written(record), AnnBytes());
}

TEST(StatisticsRecord, DamagedRecordsAreRefusedKeepingTheOldOne)
{
    const std::string good = AnnBytes();
    auto patched = [&](size_t offset, int32_t value) { return CRecordBytes::WithI32At(good, offset, value); };
    const std::string unterminated = good.substr(0, 7) + "x" + good.substr(8);
    const std::string zeroInName = good.substr(0, 5) + '\0' + good.substr(6);
    const struct
    {
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"", "the record is cut short"},
        {patched(0, -1), "the name length is out of range"},
        {patched(0, 200), "the record is cut short"},
        {unterminated, "the name does not end at its length"},
        {zeroInName, "the name does not end at its length"},
        {patched(NumbersAt, 5), "the player type is out of range"},
        {patched(NumbersAt + 4, 8), "the colour scheme is out of range"},
        {patched(NumbersAt + 8, -2), "the team is out of range"},
        {patched(NumbersAt + 24, 101), "the explored percent is out of range"},
        {patched(NumbersAt + 28, 62), "the researched count is out of range"},
        {patched(NumbersAt + 44, -1), "the research percent is out of range"},
        {patched(NumbersAt + 80, -1), "a count is negative"},
        {good.substr(0, 50), "the record is cut short"},
        {patched(SampleCountAt, 0x7FFFFFFF), "the sample count is out of range"},
        {patched(SampleCountAt, 3), "the record is cut short"},
        {patched(SamplesAt + 12, 257), "a population sample is out of range"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.reason);
        CTestLog log;
        CMemoryBlock block;
        Load(block, good);
        CPlayerStatistics record;
        ASSERT_TRUE(record.Read(block));
        Load(block, c.bytes);

        EXPECT_FALSE(record.Read(block));
        EXPECT_TRUE(log.Contains(std::string("Statistics record refused: ") + c.reason));
        EXPECT_EQ(Written(record), good);
    }
}
