#include "tests/core/Core_Support.h"

#include "core/C_FileSystem.h"
#include "tests/support/TestDataFile.h"

namespace
{
class FileLayer : public testing::Test
{
protected:
    void SetUp() override { ShutdownFileSystem(); }
    void TearDown() override { ShutdownFileSystem(); }

    static Lines List(const char* folder)
    {
        CStringArray list;
        ListFolderFiles(folder, list);
        return Texts(list);
    }
    void UseDataFileWith(const std::string& body)
    {
        CTestDataFile file;
        file.Add("BEFORE.BIN", "<<<<"), file.Add("TEXT.TXT", body), file.Add("AFTER.BIN", ">>>>");
        InitDataFile(m_Folder.Write("v2krn.med", file.Build()).c_str(), 1);
    }
    void UseDiskFileWith(const std::string& body) const
    {
        m_Folder.Write("text.txt", body);
        InitDataFile(m_Folder.Path().c_str(), 0);
    }
    static Lines ReadLines(const char* name)
    {
        CFile file;
        Lines lines;
        for (bool open = file.OpenRead(name); open && !file.IsEOF();) lines.push_back(file.ReadLine());
        file.Close();
        return lines;
    }

    CScratchFolder m_Folder;
};

void Place(CTestDataFile& file, uint32_t offset, uint32_t size)
{
    file.Entry(0).offset = offset;
    file.Entry(0).size = size;
}

CTestDataFile OneEntry()
{
    CTestDataFile file;
    file.Add("A.TXT", "abc");
    return file;
}
} // namespace

TEST_F(FileLayer, LaterDataFileOverridesNamesAreUpperCasedAndDotDotResolvedButSlashIsNoSeparator)
{
    CTestDataFile main;
    for (const auto& [name, body] : {std::pair{"FONTS\\A.FNT", "main font"}, {"FONTS\\B.FNT", "first"},
                                     {"FONTS\\B.FNT", "b"}, {"FONTS\\SUB\\C.FNT", "deeper"}, {"MAPS\\A.WORLD", "map"}})
        main.Add(name, body);
    CTestDataFile extra;
    extra.Add("FONTS\\A.FNT", "extra font");
    InitDataFile(m_Folder.Write("v2krn.med", main.Build()).c_str(), 1);
    InitAdditionalDataFile(m_Folder.Write("extra.med", extra.Build()).c_str());

    EXPECT_TRUE(ReadEntry("fonts\\..\\fonts\\a.fnt") == "extra font" && ReadEntry("Fonts\\B.fnt") == "b" &&
                ReadEntry("maps\\scripts\\..\\a.world") == "map");
    EXPECT_TRUE(ReadEntry("fonts/a.fnt") == "<missing>" && !CFile::Exists("fonts/a.fnt"));
    EXPECT_EQ(List("Fonts"), (Lines{"A.FNT", "B.FNT", "B.FNT", "A.FNT"}));   // the later file first
    EXPECT_TRUE(List("fonts\\") == List("Fonts") && List("Fonts\\Sub") == (Lines{"C.FNT"}));

    // No fall-back to the disk while data files are in use; an absolute path is asked of the disk by Exists only.
    m_Folder.Write("loose.txt", "on disk");
    EXPECT_EQ(ReadEntry((m_Folder / "loose.txt").c_str()), "<missing>");
    EXPECT_TRUE(CFile::Exists((m_Folder / "loose.txt").c_str()) &&
                CFile::Exists(("C:" + (m_Folder / "LOOSE.TXT")).c_str()) && !CFile::Exists("loose.txt"));
}

TEST_F(FileLayer, MissingOrBrokenFilesLeaveTheDirectoryAlone)
{
    InitAdditionalDataFile(m_Folder.Write("extra.med", OneEntry().Build()).c_str());
    EXPECT_FALSE(IsDataFileInUse());   // no main file yet
    CString reason;
    EXPECT_EQ(LoadDataFile((m_Folder / "none.med").c_str(), false, reason), EDataFileResult::NotFound);
    EXPECT_EQ(g_FileSystem.GetDataFiles().GetCount(), 1);   // listed before the open is checked
    const std::string main = m_Folder.Write("v2krn.med", OneEntry().Build());
    ASSERT_EQ(LoadDataFile(main.c_str(), false, reason), EDataFileResult::Loaded);
    EXPECT_EQ(LoadDataFile((m_Folder / "none.med").c_str(), true, reason), EDataFileResult::NotFound);
    const std::string broken = m_Folder.Write("broken.med", "\x01\x02");
    EXPECT_TRUE(LoadDataFile(broken.c_str(), true, reason) == EDataFileResult::Corrupt &&
                g_FileSystem.GetDirectory().size() == 1u && ReadEntry("A.TXT") == "abc");
}

TEST(DataFileDirectory, KeepsTheExactFieldsAndRefusesDirectoriesThatDoNotFitTheFile)
{
    CTestDataFile file;
    for (const auto& [name, body] : {std::pair{"A\\B.TXT", "hello"}, {"C.TXT", "xy"}, {"EMPTY.TXT", ""}})
        file.Add(name, body);
    std::vector<uint8_t> image = file.Build();
    std::vector<SDataFileRecord> records;
    CString reason;
    ASSERT_TRUE(CDataFileDirectory::ReadFromMemory(image.data(), image.size(), 2, records, reason));
    ASSERT_TRUE(records.size() == 3u && std::string(records[0].name.GetBuffer()) == "A\\B.TXT");
    EXPECT_TRUE(records[0].offset == 4u && records[1].offset == 9u && records[1].dataFile == 2);

    // Present records survive a refusal, which always gives a reason.
    const auto loads = [&](const std::vector<uint8_t>& bytes) {
        records.resize(1), reason = "";
        const bool loaded = CDataFileDirectory::ReadFromMemory(bytes.data(), bytes.size(), 3, records, reason);
        EXPECT_TRUE(loaded != (!reason.IsEmpty()) && (loaded || records.size() == 1u));
        return loaded;
    };
    EXPECT_TRUE(!loads({}) && !loads({4, 0, 0, 0}));   // no room for the count
    EXPECT_FALSE(loads({4, 0, 0, 0, 0, 0, 0}));     // count cut short
    EXPECT_TRUE(loads({4, 0, 0, 0, 0, 0, 0, 0}));   // a complete empty directory
    const uint32_t size = static_cast<uint32_t>(OneEntry().Build().size());
    const struct { const char* name; void (*spoil)(CTestDataFile&, uint32_t); bool loads; } cases[] = {
        {"offset outside", [](CTestDataFile& f, uint32_t) { f.SetDirectoryOffsetOverride(0xFFFFFFF0u); }, false},
        {"huge count", [](CTestDataFile& f, uint32_t) { f.SetCountOverride(0xFFFFFFFFu); }, false},
        {"second entry missing", [](CTestDataFile& f, uint32_t) { f.SetCountOverride(2); }, false},
        {"name length 0", [](CTestDataFile& f, uint32_t) { f.Entry(0).lengthByte = 0; }, false},
        {"name length 200", [](CTestDataFile& f, uint32_t) { f.Entry(0).lengthByte = 200; }, false},
        {"name unterminated", [](CTestDataFile& f, uint32_t) { f.Entry(0).terminated = false; }, false},
        {"body past the end", [](CTestDataFile& f, uint32_t s) { f.Entry(0).size = s; }, false},
        {"body wrapping in 32 bits", [](CTestDataFile& f, uint32_t) { Place(f, 0xFFFFFFF0u, 0x20); }, false},
        {"the whole file as a body", [](CTestDataFile& f, uint32_t s) { Place(f, 0, s); }, true},
    };
    for (const auto& c : cases)
    {
        CTestDataFile spoilt = OneEntry();
        c.spoil(spoilt, size);
        EXPECT_EQ(loads(spoilt.Build()), c.loads) << c.name;
    }
}

TEST_F(FileLayer, FatalPathsEndTheProcessAndLogWhatWentWrong)
{
    CTestLog log;   // the child process writes into the same file
    const std::string path = m_Folder / "absent.med";
    EXPECT_EXIT(InitDataFile(path.c_str(), 1), testing::ExitedWithCode(1),
                "Ironmarch\\(tm\\): Datafile not found, check your configuration");
    EXPECT_EQ(log.Lines(), (Lines{"Datafile not found", path, "2"}));   // the system's error number
    log.Clear();
    CTestDataFile file = OneEntry();
    file.Entry(0).lengthByte = 0;
    const std::string bad = m_Folder.Write("bad.med", file.Build());
    const std::string corrupt = "Error loading data file. The file might be corrupt";
    EXPECT_EXIT(InitDataFile(bad.c_str(), 1), testing::ExitedWithCode(1), corrupt);
    EXPECT_EQ(log.Lines(), (Lines{corrupt, bad, "entry 0 has the bad name length 0"}));
    InitDataFile(m_Folder.Write("v2krn.med", CTestDataFile().Build()).c_str(), 1);
    EXPECT_EXIT(InitAdditionalDataFile(path.c_str()), testing::ExitedWithCode(1),
                "Additional datafile not found, check your configuration");
}

TEST_F(FileLayer, EntryPositionsAndSizesAreRelativeToTheBodyAndAClosedFileRefuses)
{
    UseDataFileWith("0123456789");
    CFile file;
    ASSERT_TRUE(file.OpenRead("text.txt") && file.GetSize() == 10);
    char buffer[32] = {};
    EXPECT_TRUE(file.Read(buffer, 4) == 4 && file.Read(buffer, 32) == 6);   // cut at the entry's end
    EXPECT_TRUE(std::string(buffer, 6) == "456789" && file.IsEOF());
    ASSERT_TRUE(file.Seek(3) && file.Skip(2) && file.GetPos() == 5 && file.Seek(100));
    EXPECT_TRUE(file.Read(buffer, 16) == 0 && !file.Seek(-1));
    file.Close();
    EXPECT_TRUE(!file.OpenRead("nothing here") && file.Read(buffer, 4) == -1 && file.Write(buffer, 4) == -1);
    EXPECT_TRUE(!file.Skip(1) && std::string(file.ReadLine()) == "" && file.IsEOF());
    // With the read delay on, opening the entry and a seek to a new place in the data file each wait 900 ms.
    static std::vector<int> slept;
    slept.clear(), g_FileSystem.SetSleepFunction([](int milliseconds) { slept.push_back(milliseconds); });
    g_Config.dataFileReadDelay = 1;
    EXPECT_TRUE(file.OpenRead("text.txt") && file.Seek(100));
    g_Config.dataFileReadDelay = 0, g_FileSystem.SetSleepFunction(nullptr), file.Close();
    EXPECT_EQ(slept, (std::vector<int>{900, 900}));
}

TEST_F(FileLayer, ReadLineTakesCrLfAndLfCrAcrossTheStepBoundaryNoLoneCrOrLfAndCutsOverlongLines)
{
    for (const char* end : {"\r\n", "\n\r"})
    {
        // A line end split over the 256-byte reads: bytes 255 and 256.
        const std::string first(255, 'x');
        const std::string text = first + end + end + "three" + end + "last";
        const Lines expected = {first, "", "three", "last"};
        UseDataFileWith(text);
        EXPECT_EQ(ReadLines("TEXT.TXT"), expected) << "line end " << int(end[0]);
        UseDiskFileWith(text);
        EXPECT_EQ(ReadLines("text.txt"), expected);
    }
    UseDataFileWith("a\rb\r\nc\nd\ne");
    EXPECT_EQ(ReadLines("TEXT.TXT"), (Lines{"a\rb", "c\nd\ne"}));

    UseDiskFileWith(std::string("x\0y\n\rz", 6));
    CFile file;   // named as asked, not by its path on disk
    ASSERT_TRUE(file.OpenRead("text.txt") && std::string(file.GetName().GetBuffer()) == "text.txt");
    int length = -1;
    bool ended = false;
    EXPECT_TRUE(std::string(file.ReadLine(length, ended), 3) == std::string("x\0y", 3) && length == 3 && ended);
    EXPECT_TRUE(std::string(file.ReadLine(length, ended)) == "z" && length == 1 && !ended);
    EXPECT_TRUE((file.Close(), std::string(file.ReadLine(length, ended))) == "" && length == 0 && !ended);  // closed
    const std::string longLine(70000, 'q');
    UseDataFileWith(longLine + "\r\nnext");
    const Lines lines = ReadLines("TEXT.TXT");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].size() == (static_cast<size_t>(CFileSystem::LineBufferSize - 1)) &&
                (lines[0].size() + lines[1].size()) == longLine.size() && lines[2] == "next");
}

TEST_F(FileLayer, DiskReadsUseTheFourReadersAndGiveThemBack)
{
    std::string big;
    for (int i = 0; i < 100000; ++i) big += static_cast<char>('a' + i % 26);
    UseDiskFileWith(big);
    CFile files[5];
    for (CFile& file : files)
        ASSERT_TRUE(file.OpenRead("TEXT.TXT"));   // case resolved on disk
    EXPECT_EQ(CFile::FindFreeReader(), -1);
    for (CFile& file : files)   // the fifth reads unbuffered, all alike
    {
        // Steps inside the buffered window and out of it: bytes 40005, 40006, 40001 and 40002, then the start.
        std::string copy(big.size(), '\0');
        ASSERT_TRUE(file.Seek(40000) && file.Skip(5) && file.Read(copy.data(), 2) == 2 && file.Seek(40001) &&
                    file.Read(copy.data() + 2, 2) == 2 && copy.substr(0, 4) == "rsno" && file.Skip(-40003));
        EXPECT_TRUE(file.Read(copy.data(), 70000) == 70000 && file.Read(copy.data() + 70000, 70000) == 30000 &&
                    copy == big);
    }
    files[2].Close();
    EXPECT_TRUE(CFile::FindFreeReader() == 2 && g_FileSystem.CountFreeReaders() == 1);
    for (CFile& file : files) file.Close();
    {
        CFile forgotten;   // destroyed while open: the reader comes back all the same
        forgotten.OpenRead("text.txt");
    }
    EXPECT_EQ(g_FileSystem.CountFreeReaders(), CFileSystem::ReaderCount);
}
