#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/C_File.h"
#include "core/C_MemoryBlock.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

TEST(CMemoryBlock, GrowsByWholeStepsEvenForAnExactFit)
{
    CMemoryBlock block(16384);
    std::vector<uint8_t> bytes(40000, 1);
    block.Write(bytes.data(), 16383);
    EXPECT_EQ(block.GetCapacity(), 16384);
    EXPECT_EQ(block.Write(bytes.data(), 1), 16384);
    EXPECT_EQ(block.GetCapacity(), 32768);
}

TEST(CMemoryBlock, WritingBeyondTheEndZeroFillsTheGap)
{
    CMemoryBlock block(16384);
    const char head[] = "head";
    block.Write(head, 4);
    ASSERT_TRUE(block.SetPos(50000));
    const char tail[] = "0123456789";
    EXPECT_EQ(block.Write(tail, 10), 50010);
    EXPECT_EQ(block.GetSize(), 50010);
    EXPECT_GT(block.GetCapacity(), 50010);
    for (int i = 4; i < 50000; ++i)
        ASSERT_EQ(block.GetData()[i], 0) << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.GetData()) + 50000, 10), "0123456789");
    EXPECT_FALSE(block.SetPos(-1));
    EXPECT_EQ(block.GetPos(), 50010);
    EXPECT_FALSE(block.Skip(-50011));
    EXPECT_TRUE(block.Skip(-10));
    EXPECT_EQ(block.GetPos(), 50000);
}

TEST(CMemoryBlock, ReadPastTheSizeGivesZerosAndASetFlagLoggedOnce)
{
    CTestLog log;
    CMemoryBlock block(64);
    const uint32_t value = 0x11223344;
    block.Write(&value, 4);
    block.SetPos(2);
    uint8_t out[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(block.Read(out, 6), 2);
    EXPECT_EQ(out[0], 0x22);
    EXPECT_EQ(out[1], 0x11);
    for (int i = 2; i < 6; ++i)
        EXPECT_EQ(out[i], 0);
    EXPECT_TRUE(block.HasError());
    EXPECT_EQ(block.GetPos(), 8);
    EXPECT_EQ(block.Read(out, 6), 0);
    EXPECT_TRUE(block.HasError());
    EXPECT_EQ(log.Count("#DEBUG: Read past the end of the memory file"), 1);
    block.Init(64);
    EXPECT_FALSE(block.HasError());

    // Without a buffer at all.
    log.Clear();
    block.Free();
    EXPECT_EQ(block.Read(out, 2), 0);
    EXPECT_EQ(out[0], 0);
    EXPECT_TRUE(block.HasError());
    const std::vector<std::string> expected = {"#DEBUG: Invalid memory file", "#DEBUG: breakpoint reached",
                                               "51 in core/C_MemoryBlock.cpp"};
    EXPECT_EQ(log.Lines(), expected);
}

TEST(CMemoryBlock, WriteAfterFreeReportsAndStartsAFreshBuffer)
{
    CTestLog log;
    CMemoryBlock block(100);
    const char text[] = "abcdef";
    block.Write(text, 6);
    block.Free();
    EXPECT_EQ(block.GetData(), nullptr);
    EXPECT_EQ(block.GetSize(), 6);   // kept by Free
    EXPECT_EQ(block.Write(text, 2), 8);
    EXPECT_EQ(block.GetCapacity(), 16384);
    EXPECT_EQ(block.GetData()[0], 0);
    EXPECT_EQ(block.GetData()[6], 'a');
    const std::vector<std::string> expected = {"#DEBUG: Memory file wasn't initialized", "#DEBUG: breakpoint reached",
                                               "29 in core/C_MemoryBlock.cpp"};
    EXPECT_EQ(log.Lines(), expected);
}

TEST(CMemoryBlock, SaveAndLoadRoundTripByteForByte)
{
    CScratchFolder folder;
    CMemoryBlock block(16);
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += static_cast<char>(i * 7);
    block.Write(bytes.data(), static_cast<int>(bytes.size()));
    const std::string path = folder / "map.world";
    ASSERT_TRUE(block.SaveToFile(path.c_str()));
    EXPECT_EQ(CScratchFolder::ReadFile(path), bytes);
    EXPECT_FALSE(CScratchFolder::Exists(path + ".tmp"));

    ShutdownFileSystem();
    CMemoryBlock loaded(16);
    ASSERT_TRUE(loaded.LoadFromFile(path.c_str()));
    EXPECT_EQ(loaded.GetCapacity(), (1000 / 16 + 1) * 16);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(loaded.GetData()), 1000), bytes);
    EXPECT_FALSE(loaded.LoadFromFile((folder / "missing").c_str()));
    EXPECT_EQ(loaded.GetSize(), 1000);
}

TEST(CMemoryBlock, FailedSaveKeepsTheOldFileAndLeavesNoTemporaryOne)
{
    CScratchFolder folder;
    const std::string path = folder.Write("map.world", "old contents");
    folder.MakeFolder("map.world.tmp");   // the temporary file cannot be made
    CMemoryBlock block;
    block.Write("new", 3);
    EXPECT_FALSE(block.SaveToFile(path.c_str()));
    EXPECT_EQ(CScratchFolder::ReadFile(path), "old contents");

    folder.Write("target/inside.txt", "a folder where the file should go");
    EXPECT_FALSE(block.SaveToFile((folder / "target").c_str()));   // the rename fails
    EXPECT_FALSE(CScratchFolder::Exists(folder / "target.tmp"));
    EXPECT_EQ(CScratchFolder::ReadFile(folder / "target/inside.txt"), "a folder where the file should go");
}
