#include "tests/core/Core_Support.h"

#include "buildings/C_Building.h"
#include "core/GlobalFunc.h"
#include "units/C_Unit.h"

namespace
{
std::string LeakBoxes()
{
    testing::internal::CaptureStderr();
    GlobalFunc::ReportLeaks();
    return testing::internal::GetCapturedStderr();
}
} // namespace

TEST(CLogFile, CreateEmptiesTheLogEachLineEndsInCrLfAndLoggingOffCreatesNothing)
{
    CScratchFolder folder;
    const std::string path = folder.Write("run.log", "from the last run\r\n");
    const unsigned char saved = g_Config.logging;
    g_Config.logging = 0;
    CLogFile log;
    log.Create(path.c_str());
    EXPECT_EQ(CScratchFolder::ReadFile(path), "from the last run\r\n");
    g_Config.logging = 1;
    log.Create(path.c_str());
    log.Write("first");
    EXPECT_EQ(CScratchFolder::ReadFile(path), "first\r\n");   // on disk as soon as Write returns
    log.Write("");
    log.Write("third");
    EXPECT_EQ(CScratchFolder::ReadFile(path), "first\r\n\r\nthird\r\n");
    // A log that went away, or could not be made, loses its lines and is never made by them.
    std::remove(path.c_str());
    log.Write("lost");
    const std::string nowhere = folder / "missing/run.log";
    log.Create(nowhere.c_str());
    log.Write("lost");
    EXPECT_FALSE(CScratchFolder::Exists(path) || CScratchFolder::Exists(nowhere));
    g_Config.logging = saved;
}

TEST(DebugReport, WritesMessageBreakpointAndPlaceAndLeakReportsLogUnderrunsAndBoxEveryCounterOffTheMark)
{
    CTestLog log;
    DebugReport("#DEBUG: Memory file wasn't initialized", 29, "core/C_MemoryBlock.cpp");
    EXPECT_EQ(log.Lines(), Breakpoint(29, "core/C_MemoryBlock.cpp", "#DEBUG: Memory file wasn't initialized"));
    log.Clear();
    DEBUG_REPORT_AT(nullptr, 7);
    EXPECT_EQ(log.Lines(), Breakpoint(7, "tests/core/LogFile_Reports.cpp"));
    GlobalFunc::MarkLeakBaseline();
    log.Clear();
    const int start = GlobalFunc::GetTextureRefs();
    GlobalFunc::CountTextureRefs(-start - 1);   // -1
    GlobalFunc::CountTextureRefs(-1);           // -2
    GlobalFunc::CountTextureRefs(+1);           // -1, still logged
    EXPECT_EQ(log.Count("#DEBUG: Texture references underrun!"), 3);
    CString* leaked = new CString("left behind");
    log.Clear();
    const std::string boxes = LeakBoxes();
    GlobalFunc::CountTextureRefs(start + 1);
    const auto line = [](const char* label, int value) { return label + std::to_string(value); };
    EXPECT_EQ(log.Lines(), (Lines{"-- Allocated resources remained --", line("Units:", GlobalFunc::GetUnitRefs()),
                                  line("Buildings:", GlobalFunc::GetBuildingRefs()), "Textures:-1",
                                  line("3D Objects:", GlobalFunc::Get3DObjectRefs()),
                                  line("Custom pointers:", GlobalFunc::GetCustomPointerRefs()),
                                  line("Strings:", GlobalFunc::GetStringRefs()),
                                  line("Sizeof(CUnit):", static_cast<int>(sizeof(CUnit))),
                                  line("Sizeof(CBuilding):", static_cast<int>(sizeof(CBuilding)))}));
    EXPECT_NE(boxes.find("#DEBUG: Warning: Allocated string pointers"), std::string::npos);
    EXPECT_NE(boxes.find("#DEBUG: Warning: Allocated texture(s) remained"), std::string::npos);
    EXPECT_EQ(boxes.find("Allocated unit(s) remained"), std::string::npos);
    delete leaked;
    EXPECT_EQ(LeakBoxes().find("#DEBUG: Warning"), std::string::npos);   // back at the mark
}
