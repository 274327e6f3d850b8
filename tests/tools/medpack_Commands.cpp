#include "tests/core/Core_Support.h"
#include "tests/lifecycle/Lifecycle_GameFolder.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/TestDataFile.h"

namespace
{
struct SRun { int exitCode = -1; std::string out, err; };

SRun RunMedpack(const CScratchFolder& folder, const std::vector<std::string>& arguments)
{
    lifecycle_test::CProcess medpack;
    medpack.Start(V2KRN_TOOLS_DIR "/medpack", arguments, folder.Path(), folder / "medpack");
    return {medpack.Wait(), medpack.Output(), medpack.Errors()};   // in this order: the output is whole once it ended
}

long CountLines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

class Medpack : public testing::Test
{
protected:
    void TearDown() override { ShutdownFileSystem(); }
    CScratchFolder m_Folder;
};
} // namespace

TEST_F(Medpack, PackedFolderReadsBackByteForByteThroughTheGame)
{
    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += static_cast<char>(i * 13);
    m_Folder.Write("src/Fonts/sub/Empty.bin", "");
    m_Folder.Write("src/locale/English/main.txt", "MAIN_OK,\"Ok\"\r\n"), m_Folder.Write("src/InGame/big.bin", binary);

    const SRun pack = RunMedpack(m_Folder, {"pack", m_Folder / "v2krn.med", m_Folder / "src"});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_TRUE(pack.err == "" && !CScratchFolder::Exists(m_Folder / "v2krn.med.tmp"));

    InitDataFile((m_Folder / "v2krn.med").c_str(), 1);
    EXPECT_EQ(ReadEntry("FONTS\\SUB\\EMPTY.BIN"), "");
    EXPECT_EQ(ReadEntry("Locale\\English\\MAIN.TXT"), "MAIN_OK,\"Ok\"\r\n");
    EXPECT_EQ(ReadEntry("ingame\\big.bin"), binary);
}

TEST_F(Medpack, PackWritesTheBodiesThenASortedDirectoryReplacesAnOldOutputAndRefusesBadFolders)
{
    m_Folder.Write("src/b.txt", "BB"), m_Folder.Write("src/A/c.txt", "C");
    m_Folder.Write("src/a.txt", "AAA");
    ASSERT_EQ(RunMedpack(m_Folder, {"pack", m_Folder / "out.med", m_Folder / "src"}).exitCode, 0);
    // Sorted names: A.TXT, A\C.TXT, B.TXT; bodies at 4, 7, 8; directory at 10.
    const std::string expected = LE32(10) + "AAACBB" + LE32(3) +
                                 "\x06" + std::string("A.TXT\0", 6) + LE32(4) + LE32(3) +
                                 "\x08" + std::string("A\\C.TXT\0", 8) + LE32(7) + LE32(1) +
                                 "\x06" + std::string("B.TXT\0", 6) + LE32(8) + LE32(2);
    EXPECT_EQ(CScratchFolder::ReadFile(m_Folder / "out.med"), expected);
    m_Folder.Write("src/x.txt", "x");
    const std::string out = m_Folder.Write("out.med", "old");
    ASSERT_EQ(RunMedpack(m_Folder, {"pack", out, m_Folder / "src"}).exitCode, 0);
    EXPECT_NE(CScratchFolder::ReadFile(out), "old");
    const SRun missing = RunMedpack(m_Folder, {"pack", out, m_Folder / "nothing"});
    EXPECT_TRUE(missing.exitCode == 1 && CountLines(missing.err) == 1);

    m_Folder.Write("twice/a.txt", "lower");
    m_Folder.Write("twice/A.TXT", "upper");
    const SRun twice = RunMedpack(m_Folder, {"pack", m_Folder / "twice.med", m_Folder / "twice"});
    EXPECT_TRUE(twice.exitCode == 1 && CountLines(twice.err) == 1 && !CScratchFolder::Exists(m_Folder / "twice.med"));

    // A stored name holds at most 254 characters.
    m_Folder.Write("long/d/" + std::string(252, 'n'), "fits");
    EXPECT_EQ(RunMedpack(m_Folder, {"pack", m_Folder / "long.med", m_Folder / "long"}).exitCode, 0);
    m_Folder.Write("long/d/" + std::string(253, 'n'), "too long");
    EXPECT_EQ(RunMedpack(m_Folder, {"pack", m_Folder / "long.med", m_Folder / "long"}).exitCode, 1);
}

TEST_F(Medpack, ListsAndExtractsAFileLaidOutByHandAndInvalidDataFilesGiveExitCodeOneAndOneMessage)
{
    CTestDataFile file;
    file.Add("FONTS\\A.FNT", "first a"), file.Add("MAPS\\X.WORLD", "world");
    file.Add("FONTS\\A.FNT", "second a");
    const std::string path = m_Folder.Write("hand.med", file.Build());

    const SRun list = RunMedpack(m_Folder, {"list", path});
    EXPECT_TRUE(list.exitCode == 0 && list.out == "4 7 FONTS\\A.FNT\n11 5 MAPS\\X.WORLD\n16 8 FONTS\\A.FNT\n");

    const SRun cat = RunMedpack(m_Folder, {"cat", path, "fonts\\..\\fonts\\a.fnt"});
    EXPECT_TRUE(cat.exitCode == 0 && cat.out == "second a");   // the last record wins

    const SRun slash = RunMedpack(m_Folder, {"cat", path, "fonts/a.fnt"});
    EXPECT_TRUE(slash.exitCode == 1 && slash.out == "" &&
                slash.err == ("medpack: " + path + ": no entry fonts/a.fnt\n"));
    const auto withOneEntry = [](auto spoil) {
        CTestDataFile file;
        file.Add("A.TXT", "abc"), spoil(file);
        return file.Build();
    };
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> broken = {
        {"short", {1, 0}}, {"entry past the end", withOneEntry([](CTestDataFile& f) { f.Entry(0).size = 100; })},
        {"count too large", withOneEntry([](CTestDataFile& f) { f.SetCountOverride(3000000); })},
    };
    for (const auto& [label, image] : broken)
    {
        const std::string path = m_Folder.Write("broken.med", image);
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"list", path}, std::vector<std::string>{"cat", path, "A.TXT"}})
        {
            const SRun run = RunMedpack(m_Folder, arguments);
            EXPECT_TRUE(run.exitCode == 1 && run.out == "" && CountLines(run.err) == 1 &&
                        run.err.find("not a valid packed data file") != std::string::npos) << label << ": " << run.err;
        }
    }
    const SRun missing = RunMedpack(m_Folder, {"list", m_Folder / "none.med"});
    EXPECT_TRUE(missing.exitCode == 1 && CountLines(missing.err) == 1);
}
