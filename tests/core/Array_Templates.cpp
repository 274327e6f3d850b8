#include "tests/core/Core_Support.h"

#include "core/T_LinkedList.h"
#include "core/T_OrderedArray.h"

TEST(T_Array, GrowsByItsStepAndAFullFixedArrayRefusesEachAppendWithAReport)
{
    T_Array<CString> list;
    list.Allocate(3);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(list.Add(CString(std::to_string(i).c_str())), i);
    EXPECT_EQ(list.GetCapacity(), 6);
    for (int i = 0; i < 3; ++i)
        list.Add(list[i]);   // an element of the array itself, while it grows
    EXPECT_TRUE(list.GetCapacity() == 9 && std::string(list[6].GetBuffer()) == "2");

    CTestLog log;
    T_Array<int> fixed;
    fixed.AllocateFixed(2);
    EXPECT_TRUE(fixed.Add(10) == 0 && fixed.AddNew() != nullptr && fixed.Add(30) == -1);
    EXPECT_TRUE(fixed.AddNew() == nullptr && fixed.GetCount() == 2);
    EXPECT_EQ(log.Lines(), (Lines{"#DEBUG: breakpoint reached", "26 in core/T_Array.h", "#DEBUG: breakpoint reached",
                                  "31 in core/T_Array.h"}));
}

TEST(T_OrderedArray, FindsEveryRecordKeepsEqualKeysInOrderAndRefusesWhenFull)
{
    T_OrderedArray<int> ordered(100);
    for (int i = 0; i < 100; ++i)
        ordered.Insert((i * 37) % 100 - 50, i);   // distinct, negative ones too
    const auto found = [&ordered](int key) { return ordered.Find(key) ? *ordered.Find(key) : -1; };   // -1: none
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(found((i * 37) % 100 - 50), i);
    EXPECT_EQ(found(1000), -1);
    for (int position = 1; position < 100; ++position)
        EXPECT_LT(ordered.GetKey(ordered.GetOrdered(position - 1)), ordered.GetKey(ordered.GetOrdered(position)));

    CTestLog log;
    T_OrderedArray<std::string> small(3);
    small.Insert(5, "first five");
    small.Insert(1, "one");
    small.Insert(5, "second five");
    EXPECT_EQ((std::vector<int>{small.GetOrdered(0), small.GetOrdered(1), small.GetOrdered(2)}),
              (std::vector<int>{1, 0, 2}));
    EXPECT_TRUE(small.Insert(3, "too many") == -1 && small.GetCount() == 3 &&
                log.Lines() == Breakpoint(49, "core/T_OrderedArray.h"));
}

TEST(T_LinkedList, ReportsTheAddThatFillsItAndKeepsTheNewestEntries)
{
    CTestLog log;
    struct SPacket { int fields[18]; };
    auto ring = std::make_unique<T_LinkedList<SPacket, 1024>>();
    for (int i = 0; i < 1023; ++i)
        ring->Add(SPacket{{i}});
    EXPECT_TRUE(log.Lines().empty());   // one slot still free
    ring->Add(SPacket{{1023}});
    EXPECT_EQ(log.Lines(), Breakpoint(38, "core/T_LinkedList.h"));   // the add that fills the ring
    ring->Add(SPacket{{1024}});
    ring->Add(SPacket{{1025}});
    EXPECT_EQ(log.Lines().size(), 2u);   // overwriting says nothing more
    EXPECT_TRUE(ring->GetCount() == 1024 && (*ring)[ring->GetLatest()].fields[0] == 1025 &&
                (*ring)[ring->GetOldest()].fields[0] == 2);
}
