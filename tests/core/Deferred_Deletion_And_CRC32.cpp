#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "buildings/C_Building.h"
#include "core/C_CRC32.h"
#include "core/C_PtrGarbage.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/TestLog.h"
#include "units/C_Unit.h"

TEST(CCRC32, MatchesTheIeeeCheckValues)
{
    const CCRC32 crc;
    EXPECT_EQ(crc.Calculate("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(crc.Calculate("a", -1), 0u);
    const char fox[] = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(crc.Calculate(fox, static_cast<int>(std::strlen(fox))), 0x414FA339u);
    // Eight bytes at a time and the bytes left over agree with the bitwise
    // reference at every length and alignment.
    std::string bytes;
    for (int i = 0; i < 80; ++i)
        bytes.push_back(char(i * 37 + 11));
    for (size_t start = 0; start < 8; ++start)
        for (size_t length = 1; start + length <= bytes.size(); ++length)
            ASSERT_EQ(crc.Calculate(bytes.data() + start, int(length)), ReferenceCrc32(bytes.substr(start, length)))
                << start << " " << length;
}

namespace
{
std::vector<std::string> g_Deleted;

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

// A building whose destruction queues a unit, as a garrisoned tower does.
class CReleasingBuilding : public CCountedBuilding
{
public:
    CReleasingBuilding(CPtrGarbage& garbage, CUnit* held)
        : CCountedBuilding("tower"), m_Garbage(garbage), m_Held(held)
    {
    }
    ~CReleasingBuilding() override { m_Garbage.AddUnit(m_Held); }

private:
    CPtrGarbage& m_Garbage;
    CUnit* m_Held;
};
} // namespace

TEST(CPtrGarbage, UnitOrBuildingQueuedTwiceIsReportedOnceAndDeletedOnce)
{
    CTestLog log;
    g_Deleted.clear();
    CPtrGarbage garbage;
    CUnit* unit = new CCountedUnit("unit", 1, 7);
    garbage.AddUnit(unit);
    garbage.AddUnit(unit);
    EXPECT_EQ(garbage.GetCount(), 1);
    const std::vector<std::string> expected = {"#DEBUG: Unit duplication in garbage collection",
                                               "#DEBUG: breakpoint reached", "30 in core/C_PtrGarbage.cpp"};
    EXPECT_EQ(log.Lines(), expected);

    CBuilding* building = new CCountedBuilding("house");
    garbage.AddBuilding(building);
    garbage.AddBuilding(building);
    EXPECT_TRUE(log.Contains("#DEBUG: Building duplication in garbage collection"));
    EXPECT_TRUE(log.Contains("47 in core/C_PtrGarbage.cpp"));
    garbage.Flush();
    EXPECT_EQ(g_Deleted, (std::vector<std::string>{"unit", "house"}));
    EXPECT_EQ(garbage.GetCount(), 0);
    garbage.Flush();
    EXPECT_EQ(g_Deleted.size(), 2u);
}

TEST(CPtrGarbage, FlushDeletesInQueueingOrderAndKeepsLateArrivals)
{
    g_Deleted.clear();
    CPtrGarbage garbage;
    CUnit* archer = new CCountedUnit("archer", 0, 1);
    garbage.AddUnit(new CCountedUnit("first", 0, 2));
    garbage.AddBuilding(new CReleasingBuilding(garbage, archer));
    garbage.AddBuilding(new CCountedBuilding("wall"));
    garbage.Flush();
    EXPECT_EQ(g_Deleted, (std::vector<std::string>{"first", "tower", "wall"}));
    EXPECT_EQ(garbage.GetCount(), 1);   // the archer waits for the next flush
    garbage.Flush();
    EXPECT_EQ(g_Deleted.back(), "archer");
}

TEST(CPtrGarbage, FindUnitMatchesOwnerAndUniqueId)
{
    CPtrGarbage garbage;
    CUnit* a = new CCountedUnit("a", 2, 100);
    CUnit* b = new CCountedUnit("b", 3, 100);
    garbage.AddUnit(a);
    garbage.AddUnit(b);
    garbage.AddBuilding(new CCountedBuilding("c"));
    EXPECT_EQ(garbage.FindUnit(3, 100), b);
    EXPECT_EQ(garbage.FindUnit(2, 100), a);
    EXPECT_EQ(garbage.FindUnit(4, 100), nullptr);
}   // the destructor deletes what still waits (LeakSanitizer checks it)
