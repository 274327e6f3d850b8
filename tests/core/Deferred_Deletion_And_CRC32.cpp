#include "tests/core/Core_Support.h"

#include "buildings/C_Building.h"
#include "core/C_CRC32.h"
#include "core/C_PtrGarbage.h"
#include "tests/support/ReferenceBytes.h"
#include "units/C_Unit.h"

TEST(CCRC32, MatchesTheIeeeCheckValueAndTheBitwiseReferenceAtEveryAlignment)
{
    const CCRC32 crc;
    EXPECT_TRUE(crc.Calculate("123456789", 9) == 0xCBF43926u && crc.Calculate("a", -1) == 0u);
    std::string bytes;
    for (int i = 0; i < 80; ++i)
        bytes.push_back(char(i * 37 + 11));
    for (size_t start = 0; start < 8; ++start)
        EXPECT_EQ(crc.Calculate(bytes.data() + start, 70), ReferenceCrc32(bytes.substr(start, 70))) << start;
}

namespace
{
Lines g_Deleted;

class CCountedUnit : public CUnit
{
public:
    CCountedUnit(const char* label, int owner, int id) : m_Label(label)
    {
        player = owner;
        uniqueId = id;
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

TEST(CPtrGarbage, QueuedTwiceIsReportedOnceAndDeletedOnceInQueueingOrder)
{
    CTestLog log;
    g_Deleted.clear();
    CPtrGarbage garbage;
    CUnit* unit = new CCountedUnit("unit", 1, 7);
    garbage.AddUnit(unit);
    garbage.AddUnit(unit);
    EXPECT_EQ(garbage.GetCount(), 1);
    EXPECT_EQ(log.Lines(),
              Breakpoint(30, "core/C_PtrGarbage.cpp", "#DEBUG: Unit duplication in garbage collection"));
    log.Clear();
    CBuilding* building = new CCountedBuilding("house");
    garbage.AddBuilding(building);
    garbage.AddBuilding(building);
    EXPECT_EQ(log.Lines(),
              Breakpoint(47, "core/C_PtrGarbage.cpp", "#DEBUG: Building duplication in garbage collection"));
    // Units found at the first, a middle and the last place, past buildings; the first of two alike wins.
    CUnit* middle = new CCountedUnit("middle", 2, 7);
    CUnit* twin = new CCountedUnit("twin", 2, 7);
    CUnit* last = new CCountedUnit("last", 1, 9);
    garbage.AddUnit(middle);
    garbage.AddBuilding(new CCountedBuilding("barn"));
    garbage.AddUnit(twin);
    garbage.AddUnit(last);
    EXPECT_TRUE(garbage.FindUnit(1, 7) == unit && garbage.FindUnit(2, 7) == middle && garbage.FindUnit(1, 9) == last &&
                garbage.FindUnit(2, 9) == nullptr && garbage.GetCount() == 6);
    garbage.Flush();
    EXPECT_TRUE(g_Deleted == (Lines{"unit", "house", "middle", "barn", "twin", "last"}) && garbage.GetCount() == 0);
}
