#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/C_String.h"
#include "core/T_Array.h"
#include "core/T_LinkedList.h"
#include "core/T_OrderedArray.h"
#include "tests/support/TestLog.h"

namespace
{
std::string ReportPlace(int line, const char* file)
{
    return std::to_string(line) + " in " + file;
}
} // namespace

TEST(T_Array, GrowsByItsStepWhenFullAndKeepsTheElements)
{
    T_Array<CString> list;
    list.Allocate(3);
    EXPECT_EQ(list.GetCapacity(), 3);
    for (int i = 0; i < 4; ++i)
    {
        CString text;
        text.FromInt(i);
        EXPECT_EQ(list.Add(text), i);
    }
    EXPECT_EQ(list.GetCapacity(), 6);
    EXPECT_STREQ(list[3].GetBuffer(), "3");
    list.Add(list[0]);   // an element of the array itself, while it grows
    list.Add(list[1]);
    list.Add(list[2]);
    EXPECT_EQ(list.GetCapacity(), 9);
    EXPECT_STREQ(list[6].GetBuffer(), "2");
    // The default step holds a little over 32 KB.
    T_Array<int> plain;
    plain.Add(1);
    EXPECT_EQ(plain.GetCapacity(), 8193);
}

TEST(T_Array, FullFixedArrayRefusesAndReportsEachAppendOperation)
{
    CTestLog log;
    T_Array<int> fixed;
    fixed.AllocateFixed(2);
    EXPECT_EQ(fixed.Add(10), 0);
    EXPECT_NE(fixed.AddNew(), nullptr);
    EXPECT_EQ(fixed.Add(30), -1);
    EXPECT_EQ(fixed.AddNew(), nullptr);
    EXPECT_EQ(fixed.GetCount(), 2);
    EXPECT_EQ(fixed.GetCapacity(), 2);
    const std::vector<std::string> expected = {"#DEBUG: breakpoint reached", ReportPlace(26, "core/T_Array.h"),
                                               "#DEBUG: breakpoint reached", ReportPlace(31, "core/T_Array.h")};
    EXPECT_EQ(log.Lines(), expected);
}

TEST(T_OrderedArray, FindsEveryRecordInsertedInAnyOrder)
{
    T_OrderedArray<int> ordered(500);
    std::vector<int> keys(500);
    for (int i = 0; i < 500; ++i)
        keys[i] = (i * 7919) % 1000 - 500;   // distinct, negative ones too
    std::shuffle(keys.begin(), keys.end(), std::mt19937(5));
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(ordered.Insert(keys[i], keys[i] * 2), i);
    for (int key : keys)
    {
        const int* record = ordered.Find(key);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(*record, key * 2);
    }
    EXPECT_EQ(ordered.Find(1000), nullptr);
    for (int position = 1; position < 500; ++position)
        EXPECT_LT(ordered.GetKey(ordered.GetOrdered(position - 1)), ordered.GetKey(ordered.GetOrdered(position)));
}

TEST(T_OrderedArray, EqualKeysGoBehindAndAFullArrayRefuses)
{
    CTestLog log;
    T_OrderedArray<std::string> ordered(3);
    ordered.Insert(5, "first five");
    ordered.Insert(1, "one");
    ordered.Insert(5, "second five");
    EXPECT_EQ(ordered.GetOrdered(0), 1);
    EXPECT_EQ(ordered.GetOrdered(1), 0);
    EXPECT_EQ(ordered.GetOrdered(2), 2);
    EXPECT_EQ(ordered.Insert(3, "too many"), -1);
    EXPECT_EQ(ordered.GetCount(), 3);
    const std::vector<std::string> expected = {"#DEBUG: breakpoint reached",
                                               ReportPlace(49, "core/T_OrderedArray.h")};
    EXPECT_EQ(log.Lines(), expected);
}

TEST(T_LinkedList, ReportsTheAddThatFillsItAndKeepsTheNewestEntries)
{
    CTestLog log;
    struct SPacket { int fields[18]; };
    auto* ring = new T_LinkedList<SPacket, 1024>;
    for (int i = 0; i < 1023; ++i)
        ring->Add(SPacket{{i}});
    EXPECT_TRUE(log.Lines().empty());   // one slot still free
    ring->Add(SPacket{{1023}});
    const std::vector<std::string> expected = {"#DEBUG: breakpoint reached",
                                               ReportPlace(38, "core/T_LinkedList.h")};
    EXPECT_EQ(log.Lines(), expected);   // the add that fills the ring
    ring->Add(SPacket{{1024}});
    ring->Add(SPacket{{1025}});
    EXPECT_EQ(log.Lines(), expected);   // overwriting says nothing more
    EXPECT_EQ(ring->GetCount(), 1024);
    EXPECT_EQ((*ring)[ring->GetLatest()].fields[0], 1025);
    EXPECT_EQ((*ring)[ring->GetOldest()].fields[0], 2);
    delete ring;
}
