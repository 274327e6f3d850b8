#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_FileSystem.h"
#include "tests/support/TestDataFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace
{
class FileReading : public testing::Test
{
protected:
    void SetUp() override { ShutdownFileSystem(); }
    void TearDown() override { ShutdownFileSystem(); }

    // Puts `body` into a data file as "TEXT.TXT" between two other bodies.
    void UseDataFileWith(const std::string& body)
    {
        CTestDataFile file;
        file.Add("BEFORE.BIN", "<<<<");
        file.Add("TEXT.TXT", body);
        file.Add("AFTER.BIN", ">>>>");
        InitDataFile(m_Folder.Write("v2krn.med", file.Build()).c_str(), 1);
    }

    // Puts `body` on disk as "text.txt" with no data file in use.
    void UseDiskFileWith(const std::string& body)
    {
        m_Folder.Write("text.txt", body);
        InitDataFile(m_Folder.Path().c_str(), 0);
    }

    static std::vector<std::string> ReadLines(const char* name)
    {
        CFile file;
        std::vector<std::string> lines;
        if (!file.OpenRead(name))
            return lines;
        while (!file.IsEOF())
            lines.push_back(file.ReadLine());
        file.Close();
        return lines;
    }

    CScratchFolder m_Folder;
};
} // namespace

TEST_F(FileReading, EntryPositionsAndSizesAreRelativeToTheBody)
{
    UseDataFileWith("0123456789");
    CFile file;
    ASSERT_TRUE(file.OpenRead("text.txt"));
    EXPECT_EQ(file.GetPos(), 0);
    EXPECT_EQ(file.GetSize(), 10);
    char buffer[32] = {};
    EXPECT_EQ(file.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(file.Read(buffer, 32), 6);   // cut at the entry's end
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_TRUE(file.IsEOF());
    EXPECT_EQ(file.Read(buffer, 32), 0);
    ASSERT_TRUE(file.Seek(8));
    EXPECT_EQ(file.Read(buffer, 32), 2);
    ASSERT_TRUE(file.Seek(3));
    ASSERT_TRUE(file.Skip(2));
    EXPECT_EQ(file.GetPos(), 5);
    ASSERT_TRUE(file.Seek(100));
    EXPECT_EQ(file.Read(buffer, 16), 0);
    EXPECT_TRUE(file.IsEOF());
    EXPECT_FALSE(file.Seek(-1));
    file.Close();
}

TEST_F(FileReading, ClosedFileRefusesToRead)
{
    CFile file;
    char buffer[4];
    EXPECT_EQ(file.Read(buffer, 4), -1);
    EXPECT_EQ(file.Write(buffer, 4), -1);
    EXPECT_FALSE(file.OpenRead("nothing here"));
    EXPECT_EQ(file.Read(buffer, 4), -1);
    EXPECT_STREQ(file.ReadLine(), "");
}

TEST_F(FileReading, ReadLineTakesCrLfLfCrAndLoneLf)
{
    const std::vector<std::string> expected = {"one", "", "three", "last"};
    for (const char* end : {"\r\n", "\n\r", "\n"})
    {
        const std::string text = std::string("one") + end + end + "three" + end + "last";
        UseDataFileWith(text);
        EXPECT_EQ(ReadLines("TEXT.TXT"), expected) << "line end of " << std::strlen(end) << " bytes";
        UseDiskFileWith(text);
        EXPECT_EQ(ReadLines("text.txt"), expected);
    }
    UseDataFileWith("a\rb\r\nc");   // a lone CR stays in the line
    EXPECT_EQ(ReadLines("TEXT.TXT"), (std::vector<std::string>{"a\rb", "c"}));
}

TEST_F(FileReading, ReadLineJoinsLinesAcrossTheStepBoundary)
{
    // Line ends split over the 256-byte reads: a CR at byte 255 and its LF
    // at byte 256, then a lone LF at byte 511.
    const std::string first(255, 'x');
    const std::string second(255, 'y');
    const std::string text = first + "\r\n" + second + "\n" + "z";
    UseDiskFileWith(text);
    EXPECT_EQ(ReadLines("text.txt"), (std::vector<std::string>{first, second, "z"}));
    UseDataFileWith(text);
    EXPECT_EQ(ReadLines("TEXT.TXT"), (std::vector<std::string>{first, second, "z"}));
}

TEST_F(FileReading, ReadLineCutsALineLongerThanItsBuffer)
{
    const std::string longLine(70000, 'q');
    UseDataFileWith(longLine + "\r\nnext");
    const std::vector<std::string> lines = ReadLines("TEXT.TXT");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), static_cast<size_t>(CFileSystem::LineBufferSize - 1));
    EXPECT_EQ(lines[0].size() + lines[1].size(), longLine.size());
    EXPECT_EQ(lines[2], "next");
}

TEST_F(FileReading, DiskReadsUseTheFourReadersAndGiveThemBack)
{
    std::string big;
    for (int i = 0; i < 100000; ++i)
        big += static_cast<char>('a' + i % 26);
    m_Folder.Write("big.bin", big);
    InitDataFile(m_Folder.Path().c_str(), 0);

    CFile files[5];
    for (CFile& file : files)
        ASSERT_TRUE(file.OpenRead("BIG.BIN"));   // case resolved on disk
    EXPECT_EQ(g_FileSystem.CountFreeReaders(), 0);
    for (CFile& file : files)   // the fifth reads unbuffered, all alike
    {
        std::string copy(big.size(), '\0');
        ASSERT_TRUE(file.Seek(40000));
        ASSERT_TRUE(file.Skip(-40000));
        ASSERT_TRUE(file.Skip(10));
        ASSERT_TRUE(file.Skip(-10));
        EXPECT_EQ(file.Read(copy.data(), 70000), 70000);
        EXPECT_EQ(file.GetPos(), 70000);
        EXPECT_EQ(file.Read(copy.data() + 70000, 70000), 30000);
        EXPECT_EQ(copy, big);
        EXPECT_TRUE(file.IsEOF());
    }
    files[0].Close();
    EXPECT_EQ(g_FileSystem.CountFreeReaders(), 1);
    for (CFile& file : files)
        file.Close();
    EXPECT_EQ(g_FileSystem.CountFreeReaders(), CFileSystem::ReaderCount);
    {
        CFile forgotten;
        forgotten.OpenRead("big.bin");
    }   // destroyed while open: the reader comes back all the same
    EXPECT_EQ(g_FileSystem.CountFreeReaders(), CFileSystem::ReaderCount);
}

namespace
{
int g_Sleeps = 0;
void CountSleep(int milliseconds)
{
    EXPECT_EQ(milliseconds, 900);
    ++g_Sleeps;
}
} // namespace

TEST_F(FileReading, SeekEmulationChargesOnlyJumps)
{
    UseDataFileWith("0123456789");
    g_FileSystem.SetSleepFunction(CountSleep);
    g_Config.dataFileReadDelay = 1;
    g_Sleeps = 0;
    CFile file;
    char buffer[4];
    ASSERT_TRUE(file.OpenRead("TEXT.TXT"));   // a jump to the body
    EXPECT_EQ(g_Sleeps, 1);
    file.Read(buffer, 4);
    file.Read(buffer, 4);
    EXPECT_EQ(g_Sleeps, 1);   // reading on costs nothing
    file.Seek(8);
    EXPECT_EQ(g_Sleeps, 1);   // already there
    file.Seek(0);
    EXPECT_EQ(g_Sleeps, 2);
    file.Close();
    g_Config.dataFileReadDelay = 0;
    file.OpenRead("AFTER.BIN");
    EXPECT_EQ(g_Sleeps, 2);
    file.Close();
    g_FileSystem.SetSleepFunction(nullptr);
}

TEST_F(FileReading, NormalizePathResolvesParentFolders)
{
    struct SCase { const char* in; const char* out; };
    const SCase cases[] = {
        {"MAPS\\SCRIPTS\\..\\A.WORLD", "MAPS\\A.WORLD"},
        {"X\\..\\A", "A"},
        {"A\\B\\C\\..\\..\\D", "A\\D"},
        {"A\\.\\B", "A\\B"},
        {"PLAIN.TXT", "PLAIN.TXT"},
    };
    for (const SCase& c : cases)
    {
        CString name(c.in);
        CFile::NormalizePath(name);
        EXPECT_STREQ(name.GetBuffer(), c.out) << c.in;
    }
    CTestLog log;
    CString name("..\\A.TXT");   // a parent of the root is reported and left
    CFile::NormalizePath(name);
    EXPECT_STREQ(name.GetBuffer(), "..\\A.TXT");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"#DEBUG: breakpoint reached", "522 in core/C_File.cpp"}));
}

TEST_F(FileReading, WritingAppendingAndReplacingOnDisk)
{
    const std::string path = m_Folder / "out.txt";
    CFile file;
    ASSERT_TRUE(file.OpenWrite(path.c_str()));
    EXPECT_TRUE(file.WriteString("abc"));
    EXPECT_TRUE(file.WriteLine("def"));
    file.Close();
    EXPECT_EQ(CScratchFolder::ReadFile(path), "abcdef\r\n");
    EXPECT_FALSE(file.OpenAppend((m_Folder / "missing.txt").c_str()));
    ASSERT_TRUE(file.OpenAppend(path.c_str()));
    EXPECT_TRUE(file.WriteLine("g"));
    EXPECT_TRUE(file.Flush());
    file.Close();
    EXPECT_EQ(CScratchFolder::ReadFile(path), "abcdef\r\ng\r\n");
    ASSERT_TRUE(file.OpenWrite(path.c_str()));   // truncates
    file.Close();
    EXPECT_EQ(CScratchFolder::ReadFile(path), "");

    const std::string other = m_Folder.Write("other.txt", "new");
    EXPECT_TRUE(MoveFileReplace(other.c_str(), path.c_str()));
    EXPECT_EQ(CScratchFolder::ReadFile(path), "new");
    EXPECT_FALSE(CScratchFolder::Exists(other));
}

TEST_F(FileReading, ListFolderFilesOnDiskSkipsFoldersAndHiddenFiles)
{
    m_Folder.Write("Locale/English/a.txt", "a");
    m_Folder.Write("Locale/English/B.TXT", "b");
    m_Folder.Write("Locale/English/.hidden", "h");
    m_Folder.MakeFolder("Locale/English/sub");
    InitDataFile(m_Folder.Path().c_str(), 0);
    CStringArray list;
    ListFolderFiles("LOCALE\\ENGLISH", list);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_STREQ(list[0].GetBuffer(), "B.TXT");
    EXPECT_STREQ(list[1].GetBuffer(), "a.txt");
}
