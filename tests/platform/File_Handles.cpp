#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/SysFile.h"
#include "tests/support/ScratchFolder.h"

TEST(SysFileHandles, WriteTruncatesReadSharesAppendGoesToTheEnd)
{
    CScratchFolder folder;
    const std::string path = folder.Write("File.bin", "old contents");
    const int writer = SysFile::Open((folder / "FILE.BIN").c_str(), SysFile::Mode::Write);
    ASSERT_NE(writer, SysFile::InvalidHandle);
    EXPECT_EQ(SysFile::Write(writer, "12345", 5), 5);
    EXPECT_TRUE(SysFile::Flush(writer));
    EXPECT_TRUE(SysFile::Close(writer));
    EXPECT_EQ(CScratchFolder::ReadFile(path), "12345");   // the existing file, in its own case

    const int first = SysFile::Open(path.c_str(), SysFile::Mode::Read);
    const int second = SysFile::Open(path.c_str(), SysFile::Mode::Read);
    ASSERT_NE(first, SysFile::InvalidHandle);
    ASSERT_NE(second, SysFile::InvalidHandle);
    char buffer[16] = {};
    EXPECT_EQ(SysFile::Read(first, buffer, 16), 5);
    EXPECT_EQ(SysFile::Read(first, buffer, 16), 0);
    EXPECT_EQ(SysFile::Size(second), 5);
    EXPECT_EQ(SysFile::Seek(second, -2, SysFile::From::End), 3);
    EXPECT_EQ(SysFile::Read(second, buffer, 16), 2);
    EXPECT_EQ(std::string(buffer, 2), "45");
    EXPECT_EQ(SysFile::Write(first, "x", 1), -1);   // read-only
    SysFile::Close(first);
    SysFile::Close(second);

    const int appender = SysFile::Open(path.c_str(), SysFile::Mode::Append);
    ASSERT_NE(appender, SysFile::InvalidHandle);
    EXPECT_EQ(SysFile::Seek(appender, 0, SysFile::From::Current), 5);
    EXPECT_EQ(SysFile::Write(appender, "67", 2), 2);
    SysFile::Close(appender);
    EXPECT_EQ(CScratchFolder::ReadFile(path), "1234567");
}

TEST(SysFileHandles, MissingFilesAndFoldersFailWithAReason)
{
    CScratchFolder folder;
    EXPECT_EQ(SysFile::Open((folder / "none.txt").c_str(), SysFile::Mode::Read), SysFile::InvalidHandle);
    EXPECT_EQ(SysFile::LastError(), ENOENT);
    EXPECT_EQ(SysFile::Open((folder / "none.txt").c_str(), SysFile::Mode::Append), SysFile::InvalidHandle);
    EXPECT_EQ(SysFile::Open(folder.Path().c_str(), SysFile::Mode::Read), SysFile::InvalidHandle);
    EXPECT_EQ(SysFile::Open("", SysFile::Mode::Write), SysFile::InvalidHandle);
    EXPECT_EQ(SysFile::Read(SysFile::InvalidHandle, nullptr, 0), -1);
}

TEST(SysFileHandles, RenameReplacesTheTargetAndRemoveDeletes)
{
    CScratchFolder folder;
    const std::string from = folder.Write("new.cfg", "new");
    const std::string to = folder.Write("v2krn.cfg", "old");
    EXPECT_TRUE(SysFile::Rename((folder / "NEW.CFG").c_str(), to.c_str()));
    EXPECT_EQ(CScratchFolder::ReadFile(to), "new");
    EXPECT_FALSE(CScratchFolder::Exists(from));
    EXPECT_FALSE(SysFile::Rename(from.c_str(), to.c_str()));
    EXPECT_TRUE(SysFile::Remove(to.c_str()));
    EXPECT_FALSE(CScratchFolder::Exists(to));
    EXPECT_FALSE(SysFile::Remove(to.c_str()));
}
