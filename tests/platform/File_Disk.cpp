#include <gtest/gtest.h>

#include <fcntl.h>
#include <utime.h>

#include "core/C_File.h"
#include "platform/SysFile.h"
#include "tests/platform/Child_Process.h"
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
    const std::pair<const char*, bool> absolutes[] = {{"/home/game", true}, {"C:\\Games\\x", true},
                                                       {"\\\\server\\share", true}, {"Maps\\a.world", false},
                                                       {"C:", false}, {"\\single", false}};
    for (const auto& [path, absolute] : absolutes) EXPECT_EQ(absolute, SysFile::IsAbsolutePath(path)) << path;
    EXPECT_TRUE(!SysFile::IsAbsolutePath(nullptr) && !SysFile::Remove(nullptr) &&
                SysFile::ToDiskPath("C:\\") == "/" && SysFile::ToDiskPath("\\\\tmp") == SysFile::ToDiskPath("/tmp"));
    CScratchFolder folder;
    for (const auto& [name, body] : {std::pair{"maps/Scripts/test.world", "x"}, {"Data/a.txt", "upper folder"},
                                     {"data/a.txt", "lower folder"}}) folder.Write(name, body);
    const std::string root = folder.Path();
    const std::pair<const char*, const char*> cases[] = {
        {"MAPS\\SCRIPTS\\Test.World", "maps/Scripts/test.world"}, {"maps/scripts/new.world", "maps/Scripts/new.world"},
        {"Missing\\Deeper\\x.txt", "Missing/Deeper/x.txt"}, {"maps\\\\scripts\\", "maps/Scripts/"},
        {"data\\A.TXT", "data/a.txt"}, {"Data\\A.TXT", "Data/a.txt"},
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
    const std::tuple<const char*, const char*, bool> wildcards[] = {
        {"readme", "*.*", true},           {"a.save", "*.SAVE", true},       {"a.save.bak", "*.save", false},
        {"map01.world", "map??.*", true}, {"map1.world", "map??.*", false}, {"aXbXc", "*b*c", true}};
    for (const auto& [name, pattern, matches] : wildcards)
        EXPECT_EQ(matches, SysFile::MatchesWildcard(name, pattern)) << name << " " << pattern;

    CScratchFolder folder;
    for (const auto& [name, body] : {std::pair{"Saves/b.save", "12345"}, {"Saves/a.SAVE", "1"},
                                     {"Saves/.hidden.save", ""}, {"Saves/notes.txt", ""}}) folder.Write(name, body);
    folder.MakeFolder("Saves/old.save");
    std::vector<SysFile::FolderEntry> entries;
    ASSERT_TRUE(SysFile::ListFolder((folder / "SAVES\\*.save").c_str(), entries));
    Names names;
    for (const SysFile::FolderEntry& entry : entries) names.push_back(entry.name);
    EXPECT_EQ(names, (Names{".hidden.save", "a.SAVE", "b.save", "old.save"}));
    EXPECT_TRUE((entries[0].attributes & SysFile::AttrHidden) == SysFile::AttrHidden && entries[2].size == 5u &&
                (entries[3].attributes & SysFile::AttrDirectory) == SysFile::AttrDirectory);
    EXPECT_FALSE(SysFile::ListFolder((folder / "nowhere\\*.*").c_str(), entries));
}

TEST(CFileFinder, SkipsUnwantedAttributesReportsLocalTimeAndItsErrorCodes)
{
    CScratchFolder folder;
    const std::string path = folder.Write("Saves/game.save", "abc");
    folder.Write("Saves/.hidden.save", ""), folder.MakeFolder("Saves/folder.save");
    struct tm when = {};
    ASSERT_TRUE(strptime("2021-03-04 05:06", "%Y-%m-%d %H:%M", &when));   // local time
    when.tm_isdst = -1;
    const time_t stamp = mktime(&when);
    struct utimbuf times = {stamp, stamp};
    ASSERT_EQ(utime(path.c_str(), &times), 0);

    CFileFinder finder;
    ASSERT_EQ(finder.FindFirst((folder / "saves\\*.SAVE").c_str(), 0), 0);
    EXPECT_TRUE(std::string(finder.name.GetBuffer()) == "game.save" && finder.size == 3u);
    EXPECT_EQ((std::vector<int>{finder.year, finder.month, finder.day, finder.hour, finder.minute}),
              (std::vector<int>{2021, 3, 4, 5, 6}));
    EXPECT_EQ(finder.FindNext(), CFileFinder::ErrorNoMoreFiles);
    finder.Close();
    EXPECT_EQ(Found(folder / "Saves\\*.*", CFileFinder::AttrDirectory),
              (Names{".", "..", "folder.save", "game.save"}));
    EXPECT_EQ(Found(folder / "Saves\\*.*", CFileFinder::AttrHidden), (Names{".hidden.save", "game.save"}));

    EXPECT_EQ((std::vector<int>{finder.FindFirst((folder / "Saves\\*.world").c_str(), 0),
                                finder.FindFirst((folder / "Saves\\.hidden*").c_str(), 0),
                                finder.FindFirst((folder / "None\\*.*").c_str(), 0), finder.FindNext()}),
              (std::vector<int>{CFileFinder::ErrorFileNotFound, CFileFinder::ErrorNoMoreFiles, 3,
                                CFileFinder::ErrorNoMoreFiles}));
}

// What each kind of entry gives when opened (in a child, so that an open that waits shows as a failure), and what a
// file replaced whole is renamed onto.  Only a regular file is read or replaced; a link is followed to its end.
TEST(SysFileSpecialFiles, OnlyRegularFilesAreReadOrReplacedNoOpenWaitsAndLinksAreFollowedToTheirEnd)
{
    CScratchFolder folder;
    const std::string file = folder.Write("real/file.cfg", "x");
    folder.MakeFolder("folder");
    ASSERT_EQ(0, mkfifo((folder / "pipe").c_str(), 0600));
    const std::pair<const char*, std::string> links[] = {
        {"relative", "real/file.cfg"}, {"absolute", file},   {"chain", "relative"}, {"dangling", "real/none.cfg"},
        {"to-pipe", "pipe"},           {"loop", "loop"},     {"to-folder", "folder"}};
    for (const auto& [name, destination] : links) ASSERT_EQ(0, symlink(destination.c_str(), (folder / name).c_str()));
    enum { Fails = 0, Opens = 1 };
    const struct { std::string path; int reads; int writes; const char* target; } cases[] = {
        {folder / "real/file.cfg", Opens, Opens, "real/file.cfg"}, {folder / "relative", Opens, Opens, "real/file.cfg"},
        {folder / "absolute", Opens, Opens, "real/file.cfg"}, {folder / "chain", Opens, Opens, "real/file.cfg"},
        {folder / "missing.cfg", Fails, Opens, "missing.cfg"},
        {folder / "dangling", Fails, Opens, "real/none.cfg"},   // writing through it makes the file
        {folder / "pipe", Fails, Fails, nullptr},               // no reader: opening to write fails too
        {folder / "to-pipe", Fails, Fails, nullptr}, {folder / "folder", Fails, Fails, nullptr},
        {folder / "to-folder", Fails, Fails, nullptr}, {folder / "loop", Fails, Fails, nullptr},
        {"/dev/null", Fails, Opens, nullptr},                    // a device may be written, never read
    };
    for (const auto& c : cases)
    {
        std::string target;
        EXPECT_EQ(c.target != nullptr, SysFile::FindReplacementTarget(c.path.c_str(), target)) << c.path;
        EXPECT_TRUE(!c.target || folder / c.target == target) << c.path << " replaced at " << target;
        const std::pair<SysFile::Mode, int> modes[] = {{SysFile::Mode::Read, c.reads}, {SysFile::Mode::Write, c.writes}};
        for (const auto& [mode, expected] : modes)
            EXPECT_EQ(expected, child_test::RunInChild([&, mode = mode] {
                          return SysFile::Open(c.path.c_str(), mode) == SysFile::InvalidHandle ? Fails : Opens;
                      })) << c.path << (mode == SysFile::Mode::Read ? " read" : " written");
    }
    EXPECT_TRUE(SysFile::EntryExists((folder / "loop").c_str()) && !SysFile::EntryExists((folder / "none").c_str()));
    const int device = SysFile::Open("/dev/null", SysFile::Mode::Write);   // opened without waiting, written blocking
    EXPECT_TRUE(device >= 0 && (fcntl(device, F_GETFL) & O_NONBLOCK) == 0 && SysFile::Close(device));
}
