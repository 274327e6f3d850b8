// The file layer: packed data files and their directory, reading entries
// and disk files, lines, seeks and writing.

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <utility>
#include <vector>

#include "core/C_Config.h"
#include "core/C_DataFileDirectory.h"
#include "core/C_File.h"
#include "core/C_FileSystem.h"
#include "tests/support/TestDataFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace
{
// The file layer shut down around each test, over a scratch folder.
class FileLayer : public testing::Test
{
protected:
    void SetUp() override { ShutdownFileSystem(); }
    void TearDown() override { ShutdownFileSystem(); }

    std::string WriteDataFile(const std::string& name, const CTestDataFile& file)
    {
        return m_Folder.Write(name, file.Build());
    }

    static std::string ReadEntry(const char* name)
    {
        CFile file;
        if (!file.OpenRead(name))
            return "<missing>";
        std::string body(file.GetSize(), '\0');
        const int got = file.Read(body.data(), file.GetSize());
        file.Close();
        return got == static_cast<int>(body.size()) ? body : "<short>";
    }

    static std::vector<std::string> List(const char* folder)
    {
        CStringArray list;
        ListFolderFiles(folder, list);
        std::vector<std::string> names;
        for (int i = 0; i < list.GetCount(); ++i)
            names.push_back(list[i].GetBuffer());
        return names;
    }

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

using DataFiles = FileLayer;
using FileReading = FileLayer;

// Reads a hand-built image; true when it loads. Present records must survive a refusal.
bool Loads(const std::vector<uint8_t>& image)
{
    std::vector<SDataFileRecord> records(1);
    CString reason;
    if (CDataFileDirectory::ReadFromMemory(image.data(), image.size(), 3, records, reason))
        return true;
    EXPECT_EQ(records.size(), 1u);
    EXPECT_FALSE(reason.IsEmpty());
    return false;
}

CTestDataFile OneEntry()
{
    CTestDataFile file;
    file.Add("A.TXT", "abc");
    return file;
}
} // namespace

TEST_F(DataFiles, LaterDataFileOverridesAndListingShowsBothLaterFirst)
{
    CTestDataFile main;
    main.Add("FONTS\\A.FNT", "main font");
    main.Add("FONTS\\B.FNT", "first");
    main.Add("FONTS\\B.FNT", "b");
    main.Add("FONTS\\SUB\\C.FNT", "deeper");
    CTestDataFile extra;
    extra.Add("FONTS\\A.FNT", "extra font");

    InitDataFile(WriteDataFile("v2krn.med", main).c_str(), 1);
    InitAdditionalDataFile(WriteDataFile("extra.med", extra).c_str());

    EXPECT_EQ(ReadEntry("fonts\\a.fnt"), "extra font");
    EXPECT_EQ(ReadEntry("Fonts\\B.fnt"), "b");
    EXPECT_EQ(List("Fonts"), (std::vector<std::string>{"A.FNT", "B.FNT", "B.FNT", "A.FNT"}));
    EXPECT_EQ(List("fonts\\"), List("Fonts"));
    EXPECT_EQ(List("Fonts\\Sub"), (std::vector<std::string>{"C.FNT"}));
}

TEST_F(DataFiles, NamesAreUpperCasedAndDotDotResolvedButSlashIsNoSeparator)
{
    CTestDataFile main;
    main.Add("FONTS\\A.FNT", "font");
    main.Add("MAPS\\A.WORLD", "map");
    InitDataFile(WriteDataFile("v2krn.med", main).c_str(), 1);
    EXPECT_EQ(ReadEntry("fonts\\..\\fonts\\a.fnt"), "font");
    EXPECT_EQ(ReadEntry("maps\\scripts\\..\\a.world"), "map");
    EXPECT_EQ(ReadEntry("fonts/a.fnt"), "<missing>");
    EXPECT_FALSE(CFile::Exists("fonts/a.fnt"));
}

TEST_F(DataFiles, NoFallBackToTheDiskWhileDataFilesAreInUse)
{
    const std::string path = WriteDataFile("v2krn.med", OneEntry());
    m_Folder.Write("loose.txt", "on disk");
    InitDataFile(path.c_str(), 1);
    EXPECT_EQ(ReadEntry((m_Folder / "loose.txt").c_str()), "<missing>");
    // An absolute path is asked of the disk by Exists only.
    EXPECT_TRUE(CFile::Exists((m_Folder / "loose.txt").c_str()));
    EXPECT_TRUE(CFile::Exists(("C:" + (m_Folder / "LOOSE.TXT")).c_str()));
    EXPECT_FALSE(CFile::Exists("loose.txt"));
}

TEST_F(DataFiles, MissingOrBrokenFilesLeaveTheDirectoryAlone)
{
    InitAdditionalDataFile(WriteDataFile("extra.med", OneEntry()).c_str());
    EXPECT_FALSE(IsDataFileInUse());   // no main file yet

    CString reason;
    EXPECT_EQ(LoadDataFile((m_Folder / "none.med").c_str(), false, reason), EDataFileResult::NotFound);
    EXPECT_EQ(g_FileSystem.GetDataFiles().GetCount(), 1);   // listed before the open is checked

    ASSERT_EQ(LoadDataFile(WriteDataFile("v2krn.med", OneEntry()).c_str(), false, reason), EDataFileResult::Loaded);
    EXPECT_EQ(LoadDataFile((m_Folder / "none.med").c_str(), true, reason), EDataFileResult::NotFound);
    const std::vector<uint8_t> broken = {1, 2};
    EXPECT_EQ(LoadDataFile(m_Folder.Write("broken.med", broken).c_str(), true, reason), EDataFileResult::Corrupt);
    EXPECT_EQ(g_FileSystem.GetDirectory().size(), 1u);
    EXPECT_EQ(ReadEntry("A.TXT"), "abc");
}

TEST(DataFileDirectory, KeepsTheExactFields)
{
    CTestDataFile file;
    file.Add("A\\B.TXT", "hello");
    file.Add("C.TXT", "xy");
    file.Add("EMPTY.TXT", "");
    const std::vector<uint8_t> image = file.Build();
    std::vector<SDataFileRecord> records;
    CString reason;
    ASSERT_TRUE(CDataFileDirectory::ReadFromMemory(image.data(), image.size(), 2, records, reason));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_STREQ(records[0].name.GetBuffer(), "A\\B.TXT");
    EXPECT_EQ(records[0].offset, 4u);
    EXPECT_EQ(records[1].offset, 9u);
    EXPECT_EQ(records[1].dataFile, 2);
}

TEST(DataFileDirectory, RefusesDirectoriesThatDoNotFitTheFile)
{
    EXPECT_FALSE(Loads({}));
    EXPECT_FALSE(Loads({4, 0, 0, 0}));             // no room for the count
    EXPECT_FALSE(Loads({4, 0, 0, 0, 0, 0, 0}));    // count cut short
    EXPECT_TRUE(Loads({4, 0, 0, 0, 0, 0, 0, 0}));  // a complete empty directory

    const uint32_t fileSize = static_cast<uint32_t>(OneEntry().Build().size());
    const struct { const char* name; void (*spoil)(CTestDataFile&, uint32_t); bool loads; } cases[] = {
        {"offset outside", [](CTestDataFile& f, uint32_t) { f.SetDirectoryOffsetOverride(0xFFFFFFF0u); }, false},
        {"huge count", [](CTestDataFile& f, uint32_t) { f.SetCountOverride(0xFFFFFFFFu); }, false},
        {"second entry missing", [](CTestDataFile& f, uint32_t) { f.SetCountOverride(2); }, false},
        {"name length 0", [](CTestDataFile& f, uint32_t) { f.Entry(0).lengthByte = 0; }, false},
        {"name length 200", [](CTestDataFile& f, uint32_t) { f.Entry(0).lengthByte = 200; }, false},
        {"name unterminated", [](CTestDataFile& f, uint32_t) { f.Entry(0).terminated = false; }, false},
        {"body past the end", [](CTestDataFile& f, uint32_t size) { f.Entry(0).size = size; }, false},
        {"body wrapping in 32 bits",
         [](CTestDataFile& f, uint32_t) {
             f.Entry(0).offset = 0xFFFFFFF0u;
             f.Entry(0).size = 0x20;
         },
         false},
        {"the whole file as a body",
         [](CTestDataFile& f, uint32_t size) {
             f.Entry(0).offset = 0;
             f.Entry(0).size = size;
         },
         true},
    };
    for (const auto& c : cases)
    {
        CTestDataFile file = OneEntry();
        c.spoil(file, fileSize);
        EXPECT_EQ(Loads(file.Build()), c.loads) << c.name;
    }
}

TEST_F(DataFiles, FatalPathsEndTheProcessAndLogWhatWentWrong)
{
    CTestLog log;   // the child process writes into the same file
    const std::string path = m_Folder / "absent.med";
    EXPECT_EXIT(InitDataFile(path.c_str(), 1), testing::ExitedWithCode(1),
                "Ironmarch\\(tm\\): Datafile not found, check your configuration");
    // No such file: the system's error number 2.
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Datafile not found", path, "2"}));

    log.Clear();
    CTestDataFile file = OneEntry();
    file.Entry(0).lengthByte = 0;
    const std::string bad = WriteDataFile("bad.med", file);
    EXPECT_EXIT(InitDataFile(bad.c_str(), 1), testing::ExitedWithCode(1),
                "Error loading data file. The file might be corrupt");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Error loading data file. The file might be corrupt", bad,
                                                     "entry 0 has the bad name length 0"}));

    InitDataFile(WriteDataFile("v2krn.med", CTestDataFile()).c_str(), 1);
    EXPECT_EXIT(InitAdditionalDataFile(path.c_str()), testing::ExitedWithCode(1),
                "Additional datafile not found, check your configuration");
}

TEST_F(FileReading, EntryPositionsAndSizesAreRelativeToTheBody)
{
    UseDataFileWith("0123456789");
    CFile file;
    ASSERT_TRUE(file.OpenRead("text.txt"));
    EXPECT_EQ(file.GetSize(), 10);
    char buffer[32] = {};
    EXPECT_EQ(file.Read(buffer, 4), 4);
    EXPECT_EQ(file.Read(buffer, 32), 6);   // cut at the entry's end
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_TRUE(file.IsEOF());
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
    EXPECT_FALSE(file.OpenRead("nothing here"));
    EXPECT_EQ(file.Read(buffer, 4), -1);
    EXPECT_EQ(file.Write(buffer, 4), -1);
    EXPECT_STREQ(file.ReadLine(), "");
}

TEST_F(FileReading, ReadLineTakesCrLfAndLfCrButNoLoneCrOrLf)
{
    const std::vector<std::string> expected = {"one", "", "three", "last"};
    for (const char* end : {"\r\n", "\n\r"})
    {
        const std::string text = std::string("one") + end + end + "three" + end + "last";
        UseDataFileWith(text);
        EXPECT_EQ(ReadLines("TEXT.TXT"), expected) << "line end " << int(end[0]);
        UseDiskFileWith(text);
        EXPECT_EQ(ReadLines("text.txt"), expected);
    }
    // A file whose lines end in LF alone is one line.
    UseDataFileWith("a\rb\r\nc\nd\ne");
    EXPECT_EQ(ReadLines("TEXT.TXT"), (std::vector<std::string>{"a\rb", "c\nd\ne"}));
}

TEST_F(FileReading, ReadLineTellsLengthAndLineEnd)
{
    UseDiskFileWith(std::string("x\0y\n\rz", 6));
    CFile file;
    ASSERT_TRUE(file.OpenRead("text.txt"));
    int length = -1;
    bool ended = false;
    EXPECT_EQ(std::string(file.ReadLine(length, ended), 3), std::string("x\0y", 3));
    EXPECT_EQ(length, 3);
    EXPECT_TRUE(ended);
    EXPECT_STREQ(file.ReadLine(length, ended), "z");
    EXPECT_EQ(length, 1);
    EXPECT_FALSE(ended);
    file.Close();
}

TEST_F(FileReading, ReadLineJoinsLinesAcrossTheStepBoundary)
{
    // Line ends split over the 256-byte reads: a CR at byte 255 and its LF
    // at byte 256, then a LF CR at bytes 511 and 512.
    const std::string first(255, 'x');
    const std::string second(255, 'y');
    const std::string text = first + "\r\n" + second + "\n\r" + "z";
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

    // A CR LF that would straddle the cut is kept whole for the next piece.
    UseDataFileWith(std::string(CFileSystem::LineBufferSize - 2, 'q') + "\r\nnext");
    CFile file;
    ASSERT_TRUE(file.OpenRead("TEXT.TXT"));
    const std::pair<int, bool> expected[] = {{CFileSystem::LineBufferSize - 2, false}, {0, true}, {4, false}};
    for (const auto& [expectedLength, expectedEnd] : expected)
    {
        int length = -1;
        bool ended = !expectedEnd;
        file.ReadLine(length, ended);
        EXPECT_EQ(length, expectedLength);
        EXPECT_EQ(ended, expectedEnd);
    }
    EXPECT_TRUE(file.IsEOF());
    file.Close();
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
        EXPECT_EQ(file.Read(copy.data(), 70000), 70000);
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
        {"X\\..\\A", "A"},
        {"A\\B\\C\\..\\..\\D", "A\\D"},
        {"A\\.\\B", "A\\B"},
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
