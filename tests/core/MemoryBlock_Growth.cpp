#include "tests/core/Core_Support.h"

#include "core/C_MemoryBlock.h"

TEST(CMemoryBlock, GrowsByWholeStepsZeroFillsAGapAndReadsPastTheSizeOrAfterFreeGiveZerosAndTheFlag)
{
    CMemoryBlock block(16384);
    std::vector<uint8_t> bytes(40000, 1);
    block.Write(bytes.data(), 16383);
    EXPECT_TRUE(block.GetCapacity() == 16384 && block.Write(bytes.data(), 1) == 16384 && block.GetCapacity() == 32768);
    CMemoryBlock large(16384);   // 16384 + (40000 / 16384 + 1) x 16384
    EXPECT_TRUE(large.Write(bytes.data(), 40000) == 40000 && large.GetCapacity() == 65536);

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

TEST(CMemoryBlock, SavesWholeOrNotAtAllAndLoadsAWholeFileInWholeSteps)
{
    CScratchFolder folder;
    CMemoryBlock block(100);
    block.Write("0123456789", 10);
    const std::string path = folder / "block.bin";
    ASSERT_TRUE(block.SaveToFile(path.c_str()));
    EXPECT_EQ(CScratchFolder::ReadFile(path), "0123456789");
    folder.MakeFolder("block.bin.tmp/inside");   // where the new file must go: the write fails
    block.Write("x", 1);
    EXPECT_TRUE(!block.SaveToFile(path.c_str()) && CScratchFolder::ReadFile(path) == "0123456789");

    CMemoryBlock loaded(4);
    loaded.Write("zz", 2);
    EXPECT_TRUE(!loaded.LoadFromFile((folder / "none.bin").c_str()) && loaded.GetSize() == 2 && loaded.GetPos() == 2);
    ASSERT_TRUE(loaded.LoadFromFile(path.c_str()));
    // Ten bytes in steps of 4: a capacity of (10 / 4 + 1) x 4.
    EXPECT_TRUE(loaded.GetSize() == 10 && loaded.GetPos() == 0 && loaded.GetCapacity() == 12 &&
                std::string(reinterpret_cast<const char*>(loaded.GetData()), 10) == "0123456789");
}
