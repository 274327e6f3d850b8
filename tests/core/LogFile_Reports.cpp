#include "tests/core/Core_Support.h"

#include "buildings/C_Building.h"
#include "core/C_CRC32.h"
#include "core/C_PtrGarbage.h"
#include "core/GlobalFunc.h"
#include "tests/support/ReferenceBytes.h"
#include "units/C_Unit.h"

namespace
{
std::string LeakBoxes()
{
    testing::internal::CaptureStderr();
    GlobalFunc::ReportLeaks();
    return testing::internal::GetCapturedStderr();
}

Lines g_Deleted;

class CCountedUnit : public CUnit
{
public:
    CCountedUnit(const char* label, int owner, int id) : m_Label(label)
    {
        player = owner, uniqueId = id;
    }
    ~CCountedUnit() override { g_Deleted.push_back(m_Label); }
    float GetMaxHitPoints() const override { return 100.0f; }
    int32_t GetCastID() const override { return 1; }

private:
    std::string m_Label;
};

class CCountedBuilding : public CBuilding
{
public:
    explicit CCountedBuilding(const char* label) : m_Label(label) {}
    ~CCountedBuilding() override { g_Deleted.push_back(m_Label); }
    int32_t GetMaxHitPoints() const override { return 100; }
    int32_t GetWidth() const override { return 1; }
    int32_t GetDepth() const override { return 1; }
    int32_t GetBuildCast() const override { return 5; }

private:
    std::string m_Label;
};
} // namespace

TEST(CLogFile, CreateEmptiesTheLogEachLineEndsInCrLfAndLoggingOffCreatesNothing)
{
    CScratchFolder folder;
    const std::string path = folder.Write("run.log", "from the last run\r\n");
    const unsigned char saved = std::exchange(g_Config.logging, 0);
    CLogFile log;
    log.Create(path.c_str());
    EXPECT_EQ(CScratchFolder::ReadFile(path), "from the last run\r\n");
    g_Config.logging = 1, log.Create(path.c_str()), log.Write("first");
    EXPECT_EQ(CScratchFolder::ReadFile(path), "first\r\n");   // on disk as soon as Write returns
    log.Write("");
    log.Write("third");
    EXPECT_EQ(CScratchFolder::ReadFile(path), "first\r\n\r\nthird\r\n");
    // A log that went away, or could not be made, loses its lines and is never made by them.
    std::remove(path.c_str());
    log.Write("lost");
    const std::string nowhere = folder / "missing/run.log";
    log.Create(nowhere.c_str()), log.Write("lost");
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
    EXPECT_TRUE(boxes.find("#DEBUG: Warning: Allocated string pointers") != std::string::npos &&
                boxes.find("#DEBUG: Warning: Allocated texture(s) remained") != std::string::npos &&
                boxes.find("Allocated unit(s) remained") == std::string::npos) << boxes;
    delete leaked;
    EXPECT_EQ(LeakBoxes().find("#DEBUG: Warning"), std::string::npos);   // back at the mark
}

TEST(CCRC32, MatchesTheIeeeCheckValueAndTheBitwiseReferenceAtEveryAlignment)
{
    const CCRC32 crc;
    EXPECT_TRUE(crc.Calculate("123456789", 9) == 0xCBF43926u && crc.Calculate("a", -1) == 0u);
    // Pieces taken in turn end with the CRC of the whole; an empty piece changes nothing.
    EXPECT_EQ(crc.Continue(crc.Continue(crc.Continue(0, "1234", 4), "5", 0), "56789", 5), 0xCBF43926u);
    std::string bytes;
    for (int i = 0; i < 80; ++i) bytes.push_back(char(i * 37 + 11));
    for (size_t start = 0; start < 8; ++start)
        EXPECT_EQ(crc.Calculate(bytes.data() + start, 70), ReferenceCrc32(bytes.substr(start, 70))) << start;
}

TEST(CPtrGarbage, QueuedTwiceIsReportedOnceAndDeletedOnceInQueueingOrder)
{
    CTestLog log;
    g_Deleted.clear();
    CPtrGarbage garbage;
    CUnit* unit = new CCountedUnit("unit", 1, 7);
    garbage.AddUnit(unit), garbage.AddUnit(unit);
    EXPECT_EQ(garbage.GetCount(), 1);
    EXPECT_EQ(log.Lines(), Breakpoint(30, "core/C_PtrGarbage.cpp", "#DEBUG: Unit duplication in garbage collection"));
    log.Clear();
    CBuilding* building = new CCountedBuilding("house");
    garbage.AddBuilding(building), garbage.AddBuilding(building);
    EXPECT_EQ(log.Lines(),
              Breakpoint(47, "core/C_PtrGarbage.cpp", "#DEBUG: Building duplication in garbage collection"));
    // Units found at the first, a middle and the last place, past buildings; the first of two alike wins.
    CUnit* middle = new CCountedUnit("middle", 2, 7);
    CUnit* twin = new CCountedUnit("twin", 2, 7);
    CUnit* last = new CCountedUnit("last", 1, 9);
    garbage.AddUnit(middle), garbage.AddBuilding(new CCountedBuilding("barn"));
    garbage.AddUnit(twin), garbage.AddUnit(last);
    EXPECT_TRUE(garbage.FindUnit(1, 7) == unit && garbage.FindUnit(2, 7) == middle && garbage.FindUnit(1, 9) == last &&
                garbage.FindUnit(2, 9) == nullptr && garbage.GetCount() == 6);
    CCountedUnit outside("outside", 2, 7);   // by pointer, the twin is told from another of its owner and id
    EXPECT_TRUE(garbage.HoldsUnit(twin) && !garbage.HoldsUnit(&outside));
    garbage.Flush();
    EXPECT_TRUE(g_Deleted == (Lines{"unit", "house", "middle", "barn", "twin", "last"}) && garbage.GetCount() == 0);
}
