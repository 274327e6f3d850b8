#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

#include "core/C_File.h"
#include "platform/SysFile.h"
#include "tests/support/ScratchFolder.h"

namespace
{
std::vector<std::string> Names(const std::vector<SysFile::FolderEntry>& entries)
{
    std::vector<std::string> names;
    for (const SysFile::FolderEntry& entry : entries)
        names.push_back(entry.name);
    return names;
}

std::vector<std::string> Found(const std::string& pattern, uint32_t wanted)
{
    CFileFinder finder;
    std::vector<std::string> names;
    for (int result = finder.FindFirst(pattern.c_str(), wanted); result == 0; result = finder.FindNext())
        names.push_back(finder.name.GetBuffer());
    return names;
}
} // namespace

TEST(SysFileFolders, WildcardsFollowTheFinderRules)
{
    EXPECT_TRUE(SysFile::MatchesWildcard("readme", "*.*"));
    EXPECT_TRUE(SysFile::MatchesWildcard("a.save", "*.SAVE"));
    EXPECT_FALSE(SysFile::MatchesWildcard("a.save.bak", "*.save"));
    EXPECT_TRUE(SysFile::MatchesWildcard("map01.world", "map??.*"));
    EXPECT_FALSE(SysFile::MatchesWildcard("map1.world", "map??.*"));
    EXPECT_TRUE(SysFile::MatchesWildcard("x", "*"));
    EXPECT_TRUE(SysFile::MatchesWildcard("Exact.TXT", "exact.txt"));
    EXPECT_TRUE(SysFile::MatchesWildcard("aXbXc", "*b*c"));
}

TEST(SysFileFolders, ListingIsSortedAndMarksFoldersAndHiddenNames)
{
    CScratchFolder folder;
    folder.Write("Saves/b.save", "12345");
    folder.Write("Saves/a.SAVE", "1");
    folder.Write("Saves/.hidden.save", "");
    folder.Write("Saves/notes.txt", "");
    folder.MakeFolder("Saves/old.save");
    std::vector<SysFile::FolderEntry> entries;
    ASSERT_TRUE(SysFile::ListFolder((folder / "SAVES\\*.save").c_str(), entries));
    EXPECT_EQ(Names(entries), (std::vector<std::string>{".hidden.save", "a.SAVE", "b.save", "old.save"}));
    EXPECT_EQ(entries[0].attributes & SysFile::AttrHidden, SysFile::AttrHidden);
    EXPECT_EQ(entries[2].size, 5u);
    EXPECT_EQ(entries[3].attributes & SysFile::AttrDirectory, SysFile::AttrDirectory);
    EXPECT_FALSE(SysFile::ListFolder((folder / "nowhere\\*.*").c_str(), entries));
}

TEST(CFileFinder, SkipsUnwantedAttributesAndReportsLocalTime)
{
    CScratchFolder folder;
    const std::string path = folder.Write("Saves/game.save", "abc");
    folder.Write("Saves/.hidden.save", "");
    folder.MakeFolder("Saves/folder.save");
    // 2021-03-04 05:06 local time.
    struct tm when = {};
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
    EXPECT_EQ(finder.year, 2021);
    EXPECT_EQ(finder.month, 3);
    EXPECT_EQ(finder.day, 4);
    EXPECT_EQ(finder.hour, 5);
    EXPECT_EQ(finder.minute, 6);
    EXPECT_EQ(finder.FindNext(), CFileFinder::ErrorNoMoreFiles);
    finder.Close();

    EXPECT_EQ(Found(folder / "Saves\\*.*", CFileFinder::AttrDirectory),
              (std::vector<std::string>{".", "..", "folder.save", "game.save"}));
    EXPECT_EQ(Found(folder / "Saves\\*.*", CFileFinder::AttrHidden),
              (std::vector<std::string>{".hidden.save", "game.save"}));
}

TEST(CFileFinder, ErrorCodesForNoMatchAndNoFolder)
{
    CScratchFolder folder;
    folder.Write("Saves/.only-hidden", "");
    CFileFinder finder;
    EXPECT_EQ(finder.FindFirst((folder / "Saves\\*.world").c_str(), 0), CFileFinder::ErrorFileNotFound);
    EXPECT_EQ(finder.FindFirst((folder / "Saves\\*.*").c_str(), 0), CFileFinder::ErrorNoMoreFiles);
    EXPECT_EQ(finder.FindFirst((folder / "None\\*.*").c_str(), 0), 3);
    EXPECT_EQ(finder.FindNext(), CFileFinder::ErrorNoMoreFiles);
}
