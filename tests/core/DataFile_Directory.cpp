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

// Reads a hand-built image; "" when it loads, the reason otherwise.
std::string Refusal(const std::vector<uint8_t>& image)
{
    std::vector<SDataFileRecord> records;
    records.resize(1);   // present records must survive a refusal
    CString reason;
    if (CDataFileDirectory::ReadFromMemory(image.data(), image.size(), 3, records, reason))
        return "";
    EXPECT_EQ(records.size(), 1u);
    return reason.IsEmpty() ? "<no reason>" : reason.GetBuffer();
}
} // namespace

TEST_F(DataFiles, LaterDataFileOverridesAndListingShowsBothLaterFirst)
{
    CTestDataFile main;
    main.Add("FONTS\\A.FNT", "main font");
    main.Add("FONTS\\B.FNT", "b");
    main.Add("FONTS\\SUB\\C.FNT", "deeper");
    main.Add("LOCALE\\X.TXT", "x");
    CTestDataFile extra;
    extra.Add("FONTS\\A.FNT", "extra font");

    InitDataFile(WriteDataFile("v2krn.med", main).c_str(), 1);
    InitAdditionalDataFile(WriteDataFile("extra.med", extra).c_str());

    EXPECT_EQ(ReadEntry("fonts\\a.fnt"), "extra font");
    EXPECT_EQ(ReadEntry("Fonts\\B.fnt"), "b");
    EXPECT_EQ(List("Fonts"), (std::vector<std::string>{"A.FNT", "B.FNT", "A.FNT"}));
    EXPECT_EQ(List("fonts\\"), List("Fonts"));
    EXPECT_EQ(List("Fonts\\Sub"), (std::vector<std::string>{"C.FNT"}));
    EXPECT_EQ(g_FileSystem.GetDataFiles().GetCount(), 2);
    EXPECT_TRUE(IsDataFileInUse());
}

TEST_F(DataFiles, LaterRecordOfOneFileOverridesAnEarlierOne)
{
    CTestDataFile main;
    main.Add("A.TXT", "first");
    main.Add("A.TXT", "second");
    InitDataFile(WriteDataFile("v2krn.med", main).c_str(), 1);
    EXPECT_EQ(ReadEntry("a.txt"), "second");
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
    EXPECT_TRUE(CFile::Exists("FONTS\\A.FNT"));
}

TEST_F(DataFiles, NoFallBackToTheDiskWhileDataFilesAreInUse)
{
    CTestDataFile main;
    main.Add("A.TXT", "a");
    const std::string path = WriteDataFile("v2krn.med", main);
    m_Folder.Write("loose.txt", "on disk");
    InitDataFile(path.c_str(), 1);
    EXPECT_EQ(ReadEntry((m_Folder / "loose.txt").c_str()), "<missing>");
    // An absolute path is asked of the disk by Exists only.
    EXPECT_TRUE(CFile::Exists((m_Folder / "loose.txt").c_str()));
    EXPECT_TRUE(CFile::Exists(("C:" + (m_Folder / "LOOSE.TXT")).c_str()));
    EXPECT_FALSE(CFile::Exists("loose.txt"));
}

TEST_F(DataFiles, AdditionalFileIsIgnoredWithoutAMainOne)
{
    CTestDataFile extra;
    extra.Add("A.TXT", "a");
    InitAdditionalDataFile(WriteDataFile("extra.med", extra).c_str());
    EXPECT_FALSE(IsDataFileInUse());
    EXPECT_EQ(g_FileSystem.GetDataFiles().GetCount(), 0);
}

TEST_F(DataFiles, MissingFileIsReportedWithoutTouchingTheDirectory)
{
    CString reason;
    EXPECT_EQ(LoadDataFile((m_Folder / "none.med").c_str(), false, reason), EDataFileResult::NotFound);
    // The path is listed before the open is checked.
    EXPECT_EQ(g_FileSystem.GetDataFiles().GetCount(), 1);

    CTestDataFile main;
    main.Add("A.TXT", "a");
    ASSERT_EQ(LoadDataFile(WriteDataFile("v2krn.med", main).c_str(), false, reason), EDataFileResult::Loaded);
    EXPECT_EQ(LoadDataFile((m_Folder / "none.med").c_str(), true, reason), EDataFileResult::NotFound);
    std::vector<uint8_t> broken = {1, 2};
    EXPECT_EQ(LoadDataFile(m_Folder.Write("broken.med", broken).c_str(), true, reason), EDataFileResult::Corrupt);
    EXPECT_EQ(g_FileSystem.GetDirectory().size(), 1u);
    EXPECT_EQ(ReadEntry("A.TXT"), "a");
}

TEST(DataFileDirectory, AcceptsAnEmptyDirectoryAndEmptyBodies)
{
    CTestDataFile file;
    EXPECT_EQ(Refusal(file.Build()), "");
    file.Add("EMPTY.TXT", "");
    EXPECT_EQ(Refusal(file.Build()), "");
}

TEST(DataFileDirectory, KeepsTheExactFields)
{
    CTestDataFile file;
    file.Add("A\\B.TXT", "hello");
    file.Add("C.TXT", "xy");
    const std::vector<uint8_t> image = file.Build();
    std::vector<SDataFileRecord> records;
    CString reason;
    ASSERT_TRUE(CDataFileDirectory::ReadFromMemory(image.data(), image.size(), 2, records, reason));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_STREQ(records[0].name.GetBuffer(), "A\\B.TXT");
    EXPECT_EQ(records[0].offset, 4u);
    EXPECT_EQ(records[0].size, 5u);
    EXPECT_EQ(records[1].offset, 9u);
    EXPECT_EQ(records[1].size, 2u);
    EXPECT_EQ(records[1].dataFile, 2);
}

TEST(DataFileDirectory, RefusesFilesTooShortOrWithTheDirectoryOutside)
{
    EXPECT_NE(Refusal({}), "");
    EXPECT_NE(Refusal({4, 0, 0}), "");
    EXPECT_NE(Refusal({4, 0, 0, 0}), "");              // no room for the count
    EXPECT_NE(Refusal({4, 0, 0, 0, 0, 0, 0}), "");     // count cut short
    EXPECT_EQ(Refusal({4, 0, 0, 0, 0, 0, 0, 0}), "");  // a complete empty directory
    CTestDataFile file;
    file.Add("A.TXT", "abc");
    file.SetDirectoryOffsetOverride(0xFFFFFFF0u);
    EXPECT_NE(Refusal(file.Build()), "");
}

TEST(DataFileDirectory, RefusesACountTooLargeForTheFile)
{
    CTestDataFile file;
    file.Add("A.TXT", "abc");
    file.SetCountOverride(0xFFFFFFFFu);
    EXPECT_NE(Refusal(file.Build()), "");
    file.SetCountOverride(2);   // plausible, but the second entry is missing
    EXPECT_NE(Refusal(file.Build()), "");
}

TEST(DataFileDirectory, RefusesBadNameLengths)
{
    CTestDataFile zero;
    zero.Add("A.TXT", "abc");
    zero.Entry(0).lengthByte = 0;
    EXPECT_NE(Refusal(zero.Build()), "");

    CTestDataFile unterminated;
    unterminated.Add("A.TXT", "abc");
    unterminated.Entry(0).terminated = false;
    unterminated.Entry(0).lengthByte = 5;
    EXPECT_NE(Refusal(unterminated.Build()), "");

    CTestDataFile tooLong;
    tooLong.Add("A.TXT", "abc");
    tooLong.Entry(0).lengthByte = 200;
    EXPECT_NE(Refusal(tooLong.Build()), "");
}

TEST(DataFileDirectory, RefusesBodiesPastTheEnd)
{
    CTestDataFile file;
    file.Add("A.TXT", "abc");
    const uint32_t fileSize = static_cast<uint32_t>(file.Build().size());
    file.Entry(0).size = fileSize;   // from offset 4 that passes the end
    EXPECT_NE(Refusal(file.Build()), "");
    file.Entry(0).offset = 0xFFFFFFF0u;
    file.Entry(0).size = 0x20;   // would wrap in 32 bits
    EXPECT_NE(Refusal(file.Build()), "");
    file.Entry(0).offset = 0;
    file.Entry(0).size = fileSize;   // the whole file is a valid body
    EXPECT_EQ(Refusal(file.Build()), "");
}

TEST_F(DataFiles, MissingMainFileEndsTheProcessWithItsMessage)
{
    const std::string path = m_Folder / "absent.med";
    EXPECT_EXIT(InitDataFile(path.c_str(), 1), testing::ExitedWithCode(1),
                "Ironmarch\\(tm\\): Datafile not found, check your configuration");
}

TEST_F(DataFiles, MissingAdditionalFileEndsTheProcessWithItsMessage)
{
    CTestDataFile main;
    InitDataFile(WriteDataFile("v2krn.med", main).c_str(), 1);
    const std::string path = m_Folder / "absent.med";
    EXPECT_EXIT(InitAdditionalDataFile(path.c_str()), testing::ExitedWithCode(1),
                "Additional datafile not found, check your configuration");
}

TEST_F(DataFiles, CorruptFileEndsTheProcessWithItsMessage)
{
    CTestDataFile file;
    file.Add("A.TXT", "abc");
    file.SetCountOverride(1000);
    const std::string path = WriteDataFile("bad.med", file);
    EXPECT_EXIT(InitDataFile(path.c_str(), 1), testing::ExitedWithCode(1),
                "Error loading data file. The file might be corrupt");
}

TEST_F(DataFiles, FatalPathsLogWhatWentWrong)
{
    CTestLog log;   // the child process writes into the same file
    const std::string path = m_Folder / "absent.med";
    EXPECT_EXIT(InitDataFile(path.c_str(), 1), testing::ExitedWithCode(1), "");
    // No such file: the system's error number 2.
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Datafile not found", path, "2"}));

    log.Clear();
    CTestDataFile file;
    file.Add("A.TXT", "abc");
    file.Entry(0).lengthByte = 0;
    const std::string bad = WriteDataFile("bad.med", file);
    EXPECT_EXIT(InitDataFile(bad.c_str(), 1), testing::ExitedWithCode(1), "");
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Error loading data file. The file might be corrupt");
    EXPECT_EQ(lines[1], bad);
    EXPECT_EQ(lines[2], "entry 0 has the bad name length 0");
}
