#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "core/MAIN.h"
#include "frontend/C_PlayerProfiles.h"
#include "platform/SysFile.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestDataFile.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"

namespace
{
// Logging switched to a given state for one test.
class CLoggingSwitch
{
public:
    explicit CLoggingSwitch(unsigned char on) : m_Previous(g_Config.logging) { g_Config.logging = on; }
    ~CLoggingSwitch() { g_Config.logging = m_Previous; }

private:
    unsigned char m_Previous;
};
} // namespace

TEST(CLogFile, LoggingOffCreatesNothingAndKeepsAnExistingLog)
{
    CScratchFolder folder;
    const std::string existing = folder.Write("old.log", "kept\r\n");
    CLoggingSwitch off(0);
    CLogFile log;
    log.Create(existing.c_str());
    log.Create((folder / "new.log").c_str());
    log.Write("line");
    EXPECT_EQ(CScratchFolder::ReadFile(existing), "kept\r\n");
    EXPECT_FALSE(CScratchFolder::Exists(folder / "new.log"));
    EXPECT_STREQ(log.GetPath().GetBuffer(), "");
}

TEST(CLogFile, CreateEmptiesTheLogAndEachLineEndsInCrLfOrIsLostWithoutAFile)
{
    CScratchFolder folder;
    const std::string path = folder.Write("run.log", "from the last run\r\n");
    CLoggingSwitch on(1);
    CLogFile log;
    log.Create(path.c_str());
    EXPECT_EQ(CScratchFolder::ReadFile(path), "");
    log.Write("first");
    EXPECT_EQ(CScratchFolder::ReadFile(path), "first\r\n");   // on disk as soon as Write returns
    log.Write("");
    log.Write("third");
    EXPECT_EQ(CScratchFolder::ReadFile(path), "first\r\n\r\nthird\r\n");

    log.Create((folder / "no-such-folder/x.log").c_str());
    log.Write("lost");   // silently
    EXPECT_FALSE(CScratchFolder::Exists(folder / "no-such-folder/x.log"));
}

TEST(DebugReport, WritesMessageBreakpointAndPlace)
{
    CTestLog log;
    DebugReport("#DEBUG: Memory file wasn't initialized", 29, "core/C_MemoryBlock.cpp");
    DebugReport(nullptr, 522, "core/C_File.cpp");
    const std::vector<std::string> expected = {"#DEBUG: Memory file wasn't initialized", "#DEBUG: breakpoint reached",
                                               "29 in core/C_MemoryBlock.cpp", "#DEBUG: breakpoint reached",
                                               "522 in core/C_File.cpp"};
    EXPECT_EQ(log.Lines(), expected);
}

TEST(DebugReport, MacroNamesTheSourceFileFromTheRepositoryRoot)
{
    CTestLog log;
    DEBUG_REPORT_AT("#DEBUG: test", 7);
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[2], "7 in tests/core/LogFile_Reports.cpp");
}

TEST(LiveCounters, UnderrunIsLoggedAtEveryAdjustmentLeavingItNegative)
{
    CTestLog log;
    const int start = GlobalFunc::GetTextureRefs();
    GlobalFunc::CountTextureRefs(-start - 1);   // -1
    GlobalFunc::CountTextureRefs(-1);           // -2
    GlobalFunc::CountTextureRefs(+1);           // -1
    GlobalFunc::CountTextureRefs(+1);           //  0
    EXPECT_EQ(log.Count("#DEBUG: Texture references underrun!"), 3);
    GlobalFunc::CountTextureRefs(start);

    const int strings = GlobalFunc::GetStringRefs();
    GlobalFunc::CountStringRefs(-strings - 1);
    EXPECT_EQ(GlobalFunc::GetStringRefs(), -1);
    GlobalFunc::CountStringRefs(strings + 1);
    EXPECT_EQ(log.Count("#DEBUG: String references underrun!"), 1);
}

namespace
{
std::string Line(const char* label, int value)
{
    return label + std::to_string(value);
}
} // namespace

TEST(ReportLeaks, ListsEveryCounterThenTheObjectSizes)
{
    CTestLog log;
    GlobalFunc::CountTextureRefs(+2);
    const int textures = GlobalFunc::GetTextureRefs();
    const int strings = GlobalFunc::GetStringRefs();
    testing::internal::CaptureStderr();
    GlobalFunc::ReportLeaks();
    testing::internal::GetCapturedStderr();
    GlobalFunc::CountTextureRefs(-2);

    const std::vector<std::string> expected = {"-- Allocated resources remained --",
                                               Line("Units:", GlobalFunc::GetUnitRefs()),
                                               Line("Buildings:", GlobalFunc::GetBuildingRefs()),
                                               Line("Textures:", textures),
                                               Line("3D Objects:", GlobalFunc::Get3DObjectRefs()),
                                               Line("Custom pointers:", GlobalFunc::GetCustomPointerRefs()),
                                               Line("Strings:", strings),
                                               Line("Sizeof(CUnit):", static_cast<int>(sizeof(CUnit))),
                                               Line("Sizeof(CBuilding):", static_cast<int>(sizeof(CBuilding)))};
    EXPECT_EQ(log.Lines(), expected);
}

TEST(ReportLeaks, ShowsOneBoxPerCounterThatDiffersFromTheMark)
{
    CTestLog log;
    GlobalFunc::MarkLeakBaseline();
    CString* leaked = new CString("left behind");
    GlobalFunc::CountTextureRefs(-GlobalFunc::GetTextureRefs() - 1);   // negative, so non-zero
    testing::internal::CaptureStderr();
    GlobalFunc::ReportLeaks();
    const std::string boxes = testing::internal::GetCapturedStderr();
    GlobalFunc::CountTextureRefs(1);
    delete leaked;

    EXPECT_NE(boxes.find("#DEBUG: Warning: Allocated string pointers"), std::string::npos);
    EXPECT_NE(boxes.find("#DEBUG: Warning: Allocated texture(s) remained"), std::string::npos);
    EXPECT_EQ(boxes.find("Allocated unit(s) remained"), std::string::npos);
    EXPECT_TRUE(log.Contains("Textures:-1"));

    // Back at the mark, or logging off: no box at all.
    GlobalFunc::MarkLeakBaseline();
    testing::internal::CaptureStderr();
    GlobalFunc::ReportLeaks();
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("#DEBUG: Warning"), std::string::npos);
    CLoggingSwitch off(0);
    leaked = new CString("left behind");
    testing::internal::CaptureStderr();
    GlobalFunc::ReportLeaks();
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("#DEBUG: Warning"), std::string::npos);
    delete leaked;
}

TEST(ReportLeaks, StringsOfTheDataFilesStillInUseAreNoLeak)
{
    ShutdownFileSystem();
    CScratchFolder folder;
    CTestDataFile file;
    file.Add("A.TXT", "a");
    file.Add("B.TXT", "b");
    const std::string path = folder.Write("v2krn.med", file.Build());
    CTestLog log;
    GlobalFunc::MarkLeakBaseline();
    InitDataFile(path.c_str(), 1);
    testing::internal::CaptureStderr();
    GlobalFunc::ReportLeaks();
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("#DEBUG: Warning"), std::string::npos);
    ShutdownFileSystem();
}

TEST(ReportLeaks, AnIncludeLineAndAProfileAreNoLeakAtExit)
{
    CScratchFolder folder;
    folder.Write("v2krn.cfg", "INCLUDE=extra.med\r\n");
    const CConfig saved = g_Config;
    SysFile::SetExecutableFolderForTests(folder.Path().c_str());
    GlobalFunc::MarkLeakBaseline();
    // What one run holds at its end: the configuration's additional data
    // file and a player's profile.
    ReadConfig();
    ASSERT_EQ(g_Config.includeFiles.GetCount(), 1);
    g_PlayerProfiles.Clear();
    g_PlayerProfiles.profiles = new CPlayerProfiles::SProfile*[1]{new CPlayerProfiles::SProfile};
    g_PlayerProfiles.profiles[0]->name = "Hero";
    g_PlayerProfiles.count = 1;
    g_PlayerProfiles.current = 0;
    CTestLog log;

    // The end of the run, as the entry function goes through it.
    FreeGlobals();
    WriteConfig();
    testing::internal::CaptureStderr();
    GlobalFunc::ReportLeaks();
    const std::string boxes = testing::internal::GetCapturedStderr();
    EXPECT_EQ(boxes.find("#DEBUG: Warning"), std::string::npos) << boxes;
    EXPECT_TRUE(CScratchFolder::Exists(folder / "players.prf"));

    SysFile::SetExecutableFolderForTests(nullptr);
    g_Config = saved;
}
