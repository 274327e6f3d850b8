#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/C_DataFileDirectory.h"
#include "core/C_File.h"
#include "core/C_FileSystem.h"
#include "tests/support/TestDataFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace
{
class DataFiles : public testing::Test
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

    CScratchFolder m_Folder;
};

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
    EXPECT_EQ(ReadEntry(".\\fonts\\.\\a.fnt"), "font");
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
    EXPECT_EQ(records[0].size, 5u);
    EXPECT_EQ(records[1].offset, 9u);
    EXPECT_EQ(records[1].size, 2u);
    EXPECT_EQ(records[1].dataFile, 2);
}

TEST(DataFileDirectory, RefusesDirectoriesThatDoNotFitTheFile)
{
    EXPECT_FALSE(Loads({}));
    EXPECT_FALSE(Loads({4, 0, 0}));
    EXPECT_FALSE(Loads({4, 0, 0, 0}));             // no room for the count
    EXPECT_FALSE(Loads({4, 0, 0, 0, 0, 0, 0}));    // count cut short
    EXPECT_TRUE(Loads({4, 0, 0, 0, 0, 0, 0, 0}));  // a complete empty directory

    CTestDataFile file = OneEntry();
    file.SetDirectoryOffsetOverride(0xFFFFFFF0u);
    EXPECT_FALSE(Loads(file.Build()));
    file = OneEntry();
    file.SetCountOverride(0xFFFFFFFFu);
    EXPECT_FALSE(Loads(file.Build()));
    file.SetCountOverride(2);   // plausible, but the second entry is missing
    EXPECT_FALSE(Loads(file.Build()));
}

TEST(DataFileDirectory, RefusesBadNameLengths)
{
    for (int lengthByte : {0, 5, 200})
    {
        SCOPED_TRACE(lengthByte);
        CTestDataFile file = OneEntry();
        file.Entry(0).lengthByte = lengthByte;
        file.Entry(0).terminated = lengthByte != 5;
        EXPECT_FALSE(Loads(file.Build()));
    }
}

TEST(DataFileDirectory, RefusesBodiesPastTheEnd)
{
    CTestDataFile file = OneEntry();
    const uint32_t fileSize = static_cast<uint32_t>(file.Build().size());
    file.Entry(0).size = fileSize;   // from offset 4 that passes the end
    EXPECT_FALSE(Loads(file.Build()));
    file.Entry(0).offset = 0xFFFFFFF0u;
    file.Entry(0).size = 0x20;   // would wrap in 32 bits
    EXPECT_FALSE(Loads(file.Build()));
    file.Entry(0).offset = 0;
    file.Entry(0).size = fileSize;   // the whole file is a valid body
    EXPECT_TRUE(Loads(file.Build()));
}

TEST_F(DataFiles, MissingOrCorruptFilesEndTheProcessWithTheirMessages)
{
    const std::string absent = m_Folder / "absent.med";
    EXPECT_EXIT(InitDataFile(absent.c_str(), 1), testing::ExitedWithCode(1),
                "Ironmarch\\(tm\\): Datafile not found, check your configuration");
    CTestDataFile counted = OneEntry();
    counted.SetCountOverride(1000);
    const std::string corrupt = WriteDataFile("bad.med", counted);
    EXPECT_EXIT(InitDataFile(corrupt.c_str(), 1), testing::ExitedWithCode(1),
                "Error loading data file. The file might be corrupt");
    InitDataFile(WriteDataFile("v2krn.med", CTestDataFile()).c_str(), 1);
    EXPECT_EXIT(InitAdditionalDataFile(absent.c_str()), testing::ExitedWithCode(1),
                "Additional datafile not found, check your configuration");
}

TEST_F(DataFiles, FatalPathsLogWhatWentWrong)
{
    CTestLog log;   // the child process writes into the same file
    const std::string path = m_Folder / "absent.med";
    EXPECT_EXIT(InitDataFile(path.c_str(), 1), testing::ExitedWithCode(1), "");
    // No such file: the system's error number 2.
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Datafile not found", path, "2"}));

    log.Clear();
    CTestDataFile file = OneEntry();
    file.Entry(0).lengthByte = 0;
    const std::string bad = WriteDataFile("bad.med", file);
    EXPECT_EXIT(InitDataFile(bad.c_str(), 1), testing::ExitedWithCode(1), "");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Error loading data file. The file might be corrupt", bad,
                                                     "entry 0 has the bad name length 0"}));
}
