#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "platform/SysFile.h"
#include "tests/support/ScratchFolder.h"

TEST(SysFilePaths, AbsolutePathsStartWithSlashDriveOrDoubleBackslash)
{
    EXPECT_TRUE(SysFile::IsAbsolutePath("/home/game"));
    EXPECT_TRUE(SysFile::IsAbsolutePath("C:\\Games\\x"));
    EXPECT_TRUE(SysFile::IsAbsolutePath("d:/x"));
    EXPECT_TRUE(SysFile::IsAbsolutePath("\\\\server\\share"));
    EXPECT_FALSE(SysFile::IsAbsolutePath("Maps\\a.world"));
    EXPECT_FALSE(SysFile::IsAbsolutePath("C:"));
    EXPECT_FALSE(SysFile::IsAbsolutePath("\\single"));
    EXPECT_FALSE(SysFile::IsAbsolutePath(""));
    EXPECT_FALSE(SysFile::IsAbsolutePath(nullptr));
}

TEST(SysFilePaths, BackslashesBecomeSlashesAndCaseIsResolvedPerComponent)
{
    CScratchFolder folder;
    folder.Write("maps/Scripts/test.world", "x");
    const std::string root = folder.Path();
    EXPECT_EQ(SysFile::ToDiskPath((root + "MAPS\\SCRIPTS\\Test.World").c_str()), root + "maps/Scripts/test.world");
    EXPECT_EQ(SysFile::ToDiskPath((root + "maps/scripts/new.world").c_str()), root + "maps/Scripts/new.world");
    EXPECT_EQ(SysFile::ToDiskPath((root + "Missing\\Deeper\\x.txt").c_str()), root + "Missing/Deeper/x.txt");
    EXPECT_EQ(SysFile::ToDiskPath((root + "maps\\\\scripts\\").c_str()), root + "maps/Scripts/");
    EXPECT_EQ(SysFile::ToDiskPath(nullptr), "");
}

TEST(SysFilePaths, ExactNameWinsOverOtherCaseVariants)
{
    CScratchFolder folder;
    folder.Write("Data/a.txt", "upper folder");
    folder.Write("data/a.txt", "lower folder");
    const std::string root = folder.Path();
    EXPECT_EQ(SysFile::ToDiskPath((root + "data\\A.TXT").c_str()), root + "data/a.txt");
    EXPECT_EQ(SysFile::ToDiskPath((root + "Data\\A.TXT").c_str()), root + "Data/a.txt");
    // No exact match: the alphabetically first variant, every time.
    EXPECT_EQ(SysFile::ToDiskPath((root + "DATA\\a.txt").c_str()), root + "Data/a.txt");
}

TEST(SysFilePaths, DriveLettersAndServerPrefixesMapToTheRoot)
{
    EXPECT_EQ(SysFile::ToDiskPath("C:\\"), "/");
    EXPECT_EQ(SysFile::ToDiskPath("\\\\tmp"), SysFile::ToDiskPath("/tmp"));
}

TEST(SysFilePaths, RelativePathsResolveAgainstTheWorkingFolder)
{
    CScratchFolder folder;
    folder.Write("Sub/File.TXT", "x");
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(folder.Path().c_str()), 0);
    EXPECT_EQ(SysFile::ToDiskPath("SUB\\file.txt"), "Sub/File.TXT");
    EXPECT_EQ(SysFile::ToDiskPath(".\\sub\\..\\SUB\\FILE.txt"), "./Sub/../Sub/File.TXT");
    ASSERT_EQ(chdir(previous), 0);
}

TEST(SysFilePaths, ExecutableFolderEndsInASeparatorAndCanBeSetForTests)
{
    const std::string real = SysFile::ExecutableFolder();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.back(), '/');
    EXPECT_TRUE(CScratchFolder::Exists(real + "test_platform"));
    SysFile::SetExecutableFolderForTests("/some/where");
    EXPECT_EQ(SysFile::ExecutableFolder(), "/some/where/");
    SysFile::SetExecutableFolderForTests(nullptr);
    EXPECT_EQ(SysFile::ExecutableFolder(), real);
}
