#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <unistd.h>
#include <utime.h>

#include "core/C_File.h"
#include "platform/SysFile.h"
#include "tests/support/ScratchFolder.h"

namespace
{
using Names = std::vector<std::string>;

Names Found(const std::string& pattern, uint32_t wanted)
{
    CFileFinder finder;
    Names names;
    for (int result = finder.FindFirst(pattern.c_str(), wanted); result == 0; result = finder.FindNext())
        names.push_back(finder.name.GetBuffer());
    return names;
}
} // namespace

TEST(SysFilePaths, AbsolutePathsAndTheirDiskNamesAndCaseIsResolvedPerComponentAndTheExactNameWins)
{
    for (const char* absolute : {"/home/game", "C:\\Games\\x", "\\\\server\\share"})
        EXPECT_TRUE(SysFile::IsAbsolutePath(absolute)) << absolute;
    for (const char* relative : {"Maps\\a.world", "C:", "\\single"})
        EXPECT_FALSE(SysFile::IsAbsolutePath(relative)) << relative;
    EXPECT_TRUE(!SysFile::IsAbsolutePath(nullptr) && SysFile::ToDiskPath("C:\\") == "/" &&
                SysFile::ToDiskPath("\\\\tmp") == SysFile::ToDiskPath("/tmp"));
    CScratchFolder folder;
    folder.Write("maps/Scripts/test.world", "x");
    folder.Write("Data/a.txt", "upper folder");
    folder.Write("data/a.txt", "lower folder");
    const std::string root = folder.Path();
    const std::pair<const char*, const char*> cases[] = {
        {"MAPS\\SCRIPTS\\Test.World", "maps/Scripts/test.world"},
        {"maps/scripts/new.world", "maps/Scripts/new.world"},
        {"Missing\\Deeper\\x.txt", "Missing/Deeper/x.txt"},
        {"maps\\\\scripts\\", "maps/Scripts/"},
        {"data\\A.TXT", "data/a.txt"},
        {"Data\\A.TXT", "Data/a.txt"},
        {"DATA\\a.txt", "Data/a.txt"},  // no exact match: the alphabetically first, every time
    };
    for (const auto& [asked, found] : cases)
        EXPECT_EQ(SysFile::ToDiskPath((root + asked).c_str()), root + found) << asked;

    // Relative paths resolve against the working folder.
    char previous[4096];
    ASSERT_TRUE(getcwd(previous, sizeof(previous)) != nullptr && chdir((root + "maps").c_str()) == 0);
    EXPECT_EQ(SysFile::ToDiskPath("SCRIPTS\\TEST.world"), "Scripts/test.world");
    EXPECT_EQ(SysFile::ToDiskPath(".\\scripts\\..\\SCRIPTS\\TEST.world"), "./Scripts/../Scripts/test.world");
    ASSERT_EQ(chdir(previous), 0);
}

TEST(SysFileFolders, WildcardsAndSortedListingsMarkFoldersAndHiddenNames)
{
    EXPECT_EQ((std::vector<bool>{SysFile::MatchesWildcard("readme", "*.*"), SysFile::MatchesWildcard("a.save", "*.SAVE"),
                                 SysFile::MatchesWildcard("a.save.bak", "*.save"),
                                 SysFile::MatchesWildcard("map01.world", "map??.*"),
                                 SysFile::MatchesWildcard("map1.world", "map??.*"),
                                 SysFile::MatchesWildcard("aXbXc", "*b*c")}),
              (std::vector<bool>{true, true, false, true, false, true}));

    CScratchFolder folder;
    folder.Write("Saves/b.save", "12345");
    folder.Write("Saves/a.SAVE", "1");
    folder.Write("Saves/.hidden.save", "");
    folder.Write("Saves/notes.txt", "");
    folder.MakeFolder("Saves/old.save");
    std::vector<SysFile::FolderEntry> entries;
    ASSERT_TRUE(SysFile::ListFolder((folder / "SAVES\\*.save").c_str(), entries));
    Names names;
    for (const SysFile::FolderEntry& entry : entries)
        names.push_back(entry.name);
    EXPECT_EQ(names, (Names{".hidden.save", "a.SAVE", "b.save", "old.save"}));
    EXPECT_TRUE((entries[0].attributes & SysFile::AttrHidden) == SysFile::AttrHidden && entries[2].size == 5u &&
                (entries[3].attributes & SysFile::AttrDirectory) == SysFile::AttrDirectory);
    EXPECT_FALSE(SysFile::ListFolder((folder / "nowhere\\*.*").c_str(), entries));
}

TEST(CFileFinder, SkipsUnwantedAttributesReportsLocalTimeAndItsErrorCodes)
{
    CScratchFolder folder;
    const std::string path = folder.Write("Saves/game.save", "abc");
    folder.Write("Saves/.hidden.save", "");
    folder.MakeFolder("Saves/folder.save");
    struct tm when = {};   // 2021-03-04 05:06 local time
    when.tm_year = 121;
    when.tm_mon = 2;
    when.tm_mday = 4;
    when.tm_hour = 5;
    when.tm_min = 6;
    when.tm_isdst = -1;
    const time_t stamp = mktime(&when);
    struct utimbuf times = {stamp, stamp};
    ASSERT_EQ(utime(path.c_str(), &times), 0);

    CFileFinder finder;
    ASSERT_EQ(finder.FindFirst((folder / "saves\\*.SAVE").c_str(), 0), 0);
    EXPECT_STREQ(finder.name.GetBuffer(), "game.save");
    EXPECT_EQ(finder.size, 3u);
    EXPECT_EQ((std::vector<int>{finder.year, finder.month, finder.day, finder.hour, finder.minute}),
              (std::vector<int>{2021, 3, 4, 5, 6}));
    EXPECT_EQ(finder.FindNext(), CFileFinder::ErrorNoMoreFiles);
    finder.Close();
    EXPECT_EQ(Found(folder / "Saves\\*.*", CFileFinder::AttrDirectory),
              (Names{".", "..", "folder.save", "game.save"}));
    EXPECT_EQ(Found(folder / "Saves\\*.*", CFileFinder::AttrHidden), (Names{".hidden.save", "game.save"}));

    EXPECT_EQ(finder.FindFirst((folder / "Saves\\*.world").c_str(), 0), CFileFinder::ErrorFileNotFound);
    EXPECT_EQ(finder.FindFirst((folder / "Saves\\.hidden*").c_str(), 0), CFileFinder::ErrorNoMoreFiles);
    EXPECT_EQ(finder.FindFirst((folder / "None\\*.*").c_str(), 0), 3);
    EXPECT_EQ(finder.FindNext(), CFileFinder::ErrorNoMoreFiles);
}
