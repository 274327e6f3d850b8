#include "tests/core/Core_Support.h"

#include "core/C_MemoryBlock.h"

TEST(CMemoryBlock, GrowsByWholeStepsZeroFillsAGapAndReadsPastTheSizeOrAfterFreeGiveZerosAndTheFlag)
{
    CMemoryBlock block(16384);
    std::vector<uint8_t> bytes(16384, 1);
    block.Write(bytes.data(), 16383);
    EXPECT_TRUE(block.GetCapacity() == 16384 && block.Write(bytes.data(), 1) == 16384 && block.GetCapacity() == 32768);

    ASSERT_TRUE(block.SetPos(50000));
    EXPECT_TRUE(block.Write("0123456789", 10) == 50010 && block.GetSize() == 50010);
    EXPECT_GT(block.GetCapacity(), 50010);
    for (int i = 16384; i < 50000; ++i)
        ASSERT_EQ(block.GetData()[i], 0) << i;
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(block.GetData()) + 50000, 10) == "0123456789" &&
                !block.SetPos(-1) && !block.Skip(-50011));
    EXPECT_TRUE(block.Skip(-10) && block.GetPos() == 50000);
    CTestLog log;
    block.Init(64);
    const uint32_t value = 0x11223344;
    block.Write(&value, 4);
    block.SetPos(2);
    uint8_t out[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(block.Read(out, 6), 2);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{0x22, 0x11, 0, 0, 0, 0}));
    EXPECT_TRUE(block.HasError() && block.GetPos() == 8 && block.Read(out, 6) == 0);
    EXPECT_EQ(log.Lines(), Lines{"#DEBUG: Read past the end of the memory file"});   // once
    block.Init(64);
    EXPECT_FALSE(block.HasError());

    log.Clear();
    block.Free();
    EXPECT_TRUE(block.Read(out, 2) == 0 && out[0] == 0 && block.HasError());
    EXPECT_EQ(log.Lines(), Breakpoint(51, "core/C_MemoryBlock.cpp", "#DEBUG: Invalid memory file"));

    log.Clear();
    CMemoryBlock freed(100);
    freed.Write("abcdef", 6);
    freed.Free();
    EXPECT_TRUE(freed.GetData() == nullptr && freed.GetSize() == 6);   // kept by Free
    EXPECT_TRUE(freed.Write("ab", 2) == 8 && freed.GetCapacity() == 16384 && freed.GetData()[0] == 0);
    EXPECT_EQ(freed.GetData()[6], 'a');
    EXPECT_EQ(log.Lines(), Breakpoint(29, "core/C_MemoryBlock.cpp", "#DEBUG: Memory file wasn't initialized"));
}
