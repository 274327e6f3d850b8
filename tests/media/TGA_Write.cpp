#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/C_TGA.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

TEST(TGAWrite, HeaderAndPixelBytesAreLaidOutExactly)
{
    CScratchFolder folder;
    CTGA image;
    image.Create(2, 1);
    image.pixels[0] = 0x11223344;
    image.pixels[1] = 0xAABBCCDD;
    const std::string path = folder / "shot.tga";
    ASSERT_TRUE(image.Save(path.c_str()));

    const std::vector<uint8_t> expected = {
        0, 0, 2,             // no id, no colour map, uncompressed true colour
        0, 0, 0x00, 0x01,    // map first index 0, map length 256
        32,                  // map entry size
        0, 0, 0, 0,          // origin
        2, 0, 1, 0,          // width 2, height 1
        32, 0x20,            // 32 bits, top-left origin
        0x44, 0x33, 0x22, 0x11, 0xDD, 0xCC, 0xBB, 0xAA};
    EXPECT_EQ(CScratchFolder::ReadFile(path), std::string(expected.begin(), expected.end()));
}

TEST(TGAWrite, WrittenFileReadsBackToTheSamePixels)
{
    CScratchFolder folder;
    CTGA image;
    image.Create(5, 3);
    for (int i = 0; i < 15; ++i)
        image.pixels[i] = 0x01000000u * uint32_t(i * 17) + 0x00010203u * uint32_t(i);
    const std::string path = folder / "round.tga";
    ASSERT_TRUE(image.Save(path.c_str()));

    CTGA back;
    ASSERT_TRUE(back.Load(path.c_str(), true));
    ASSERT_EQ(back.width, 5);
    ASSERT_EQ(back.height, 3);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(back.pixels[i], image.pixels[i]) << i;
}

TEST(TGAWrite, SaveReplacesAnOldFileAndLeavesNoTemporary)
{
    CScratchFolder folder;
    const std::string path = folder.Write("old.tga", std::vector<uint8_t>(1000, 0x55));
    CTGA image;
    image.Create(1, 1);
    ASSERT_TRUE(image.Save(path.c_str()));
    EXPECT_EQ(CScratchFolder::ReadFile(path).size(), 22u);
    EXPECT_FALSE(CScratchFolder::Exists(path + ".tmp"));
}

TEST(TGAWrite, FailedSaveReportsFailureAndKeepsNothingBehind)
{
    CScratchFolder folder;
    CTestLog log;
    CTGA image;
    image.Create(1, 1);
    const std::string path = folder / "missing-folder/shot.tga";
    EXPECT_FALSE(image.Save(path.c_str()));
    EXPECT_TRUE(log.Contains("Cannot write file: " + path));

    CTGA empty;
    const std::string emptyPath = folder / "empty.tga";
    EXPECT_FALSE(empty.Save(emptyPath.c_str()));
    EXPECT_FALSE(CScratchFolder::Exists(emptyPath));
}
