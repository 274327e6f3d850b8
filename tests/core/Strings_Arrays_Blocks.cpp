#include "tests/core/Core_Support.h"

#include "core/C_MemoryBlock.h"
#include "core/T_LinkedList.h"
#include "core/T_OrderedArray.h"

TEST(T_Array, GrowsByItsStepAndAFullFixedArrayRefusesEachAppendWithAReport)
{
    T_Array<CString> list;
    list.Allocate(3);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(list.Add(CString(std::to_string(i).c_str())), i);
    EXPECT_EQ(list.GetCapacity(), 6);
    for (int i = 0; i < 3; ++i)
        list.Add(list[i]);   // an element of the array itself, while it grows
    EXPECT_TRUE(list.GetCapacity() == 9 && std::string(list[6].GetBuffer()) == "2");
    list.SetCapacity(2);   // the elements past the new capacity go
    EXPECT_TRUE(list.GetCount() == 2 && list.GetCapacity() == 2 && std::string(list[1].GetBuffer()) == "1");

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
    for (int i = 0; i < 100; ++i) EXPECT_EQ(found((i * 37) % 100 - 50), i);
    EXPECT_EQ(found(1000), -1);
    for (int position = 1; position < 100; ++position)
        EXPECT_LT(ordered.GetKey(ordered.GetOrdered(position - 1)), ordered.GetKey(ordered.GetOrdered(position)));

    CTestLog log;
    T_OrderedArray<std::string> small(3);
    small.Insert(5, "first five"), small.Insert(1, "one"), small.Insert(5, "second five");
    EXPECT_EQ((std::vector<int>{small.GetOrdered(0), small.GetOrdered(1), small.GetOrdered(2)}),
              (std::vector<int>{1, 0, 2}));
    EXPECT_TRUE(small.Insert(3, "too many") == -1 && small.GetCount() == 3 &&
                log.Lines() == Breakpoint(49, "core/T_OrderedArray.h"));
    // Emptied, the records past the count are found no more; the next one is record 0.
    small.Clear();
    EXPECT_TRUE(small.Find(1) == nullptr && small.Find(5) == nullptr && small.Insert(7, "seven") == 0 &&
                small.Find(1) == nullptr && *small.Find(7) == "seven");
}

TEST(T_LinkedList, ReportsTheAddThatFillsItAndKeepsTheNewestEntries)
{
    CTestLog log;
    struct SPacket { int fields[18]; };
    auto ring = std::make_unique<T_LinkedList<SPacket, 1024>>();
    for (int i = 0; i < 1023; ++i) ring->Add(SPacket{{i}});
    EXPECT_TRUE(log.Lines().empty());   // one slot still free
    ring->Add(SPacket{{1023}});
    EXPECT_EQ(log.Lines(), Breakpoint(38, "core/T_LinkedList.h"));   // the add that fills the ring
    ring->Add(SPacket{{1024}});
    ring->Add(SPacket{{1025}});
    EXPECT_EQ(log.Lines().size(), 2u);   // overwriting says nothing more
    EXPECT_TRUE(ring->GetCount() == 1024 && (*ring)[ring->GetLatest()].fields[0] == 1025 &&
                (*ring)[ring->GetOldest()].fields[0] == 2);
    ring->Clear();   // emptied, it fills again from slot 0
    EXPECT_TRUE(ring->Add(SPacket{{7}}) == 0 && ring->GetCount() == 1 && ring->GetOldest() == 0);
}

TEST(CMemoryBlock, GrowsByWholeStepsZeroFillsAGapAndReadsPastTheSizeOrAfterFreeGiveZerosAndTheFlag)
{
    CMemoryBlock block(16384);
    std::vector<uint8_t> bytes(40000, 1);
    block.Write(bytes.data(), 16383);
    EXPECT_TRUE(block.GetCapacity() == 16384 && block.Write(bytes.data(), 1) == 16384 && block.GetCapacity() == 32768);
    CMemoryBlock large(16384);   // 16384 + (40000 / 16384 + 1) x 16384
    EXPECT_TRUE(large.Write(bytes.data(), 40000) == 40000 && large.GetCapacity() == 65536);

    ASSERT_TRUE(block.SetPos(50000));
    EXPECT_TRUE(block.Write("0123456789", 10) == 50010 && block.GetSize() == 50010 && block.GetCapacity() > 50010);
    for (int i = 16384; i < 50000; ++i) ASSERT_EQ(block.GetData()[i], 0) << i;
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(block.GetData()) + 50000, 10) == "0123456789" &&
                !block.SetPos(-1) && !block.Skip(-50011));
    EXPECT_TRUE(block.Skip(-10) && block.GetPos() == 50000);
    CTestLog log;
    block.Init(64);
    const uint32_t value = 0x11223344;
    block.Write(&value, 4), block.SetPos(2);
    uint8_t out[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(block.Read(out, 6), 2);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 6), (std::vector<uint8_t>{0x22, 0x11, 0, 0, 0, 0}));
    EXPECT_TRUE(block.HasError() && block.GetPos() == 8 && block.Read(out, 6) == 0);
    EXPECT_EQ(log.Lines(), Lines{"#DEBUG: Read past the end of the memory file"});   // once
    block.Init(64);
    EXPECT_FALSE(block.HasError());
    log.Clear();   // nothing grows past the largest int: such a write is refused
    EXPECT_TRUE(block.SetPos(INT_MAX - 2) && block.Write(&value, 4) == INT_MAX - 2 && block.HasError() &&
                log.Lines() == Lines{"#DEBUG: Memory file cannot grow any further"} && block.GetCapacity() == 64);

    log.Clear();
    block.Free();
    EXPECT_TRUE(block.Read(out, 2) == 0 && out[0] == 0 && block.HasError());
    EXPECT_EQ(log.Lines(), Breakpoint(51, "core/C_MemoryBlock.cpp", "#DEBUG: Invalid memory file"));

    log.Clear();
    CMemoryBlock freed(100);
    freed.Write("abcdef", 6), freed.Free();
    EXPECT_TRUE(freed.GetData() == nullptr && freed.GetSize() == 6);   // kept by Free
    EXPECT_TRUE(freed.Write("ab", 2) == 8 && freed.GetCapacity() == 16384 && freed.GetData()[0] == 0 &&
                freed.GetData()[6] == 'a');
    EXPECT_EQ(log.Lines(), Breakpoint(29, "core/C_MemoryBlock.cpp", "#DEBUG: Memory file wasn't initialized"));
}

TEST(CMemoryBlock, SavesWholeOrNotAtAllAndLoadsAWholeFileInWholeSteps)
{
    CScratchFolder folder;
    CMemoryBlock block(100);
    block.Write("0123456789", 10);
    const std::string path = folder / "block.bin";
    ASSERT_TRUE(block.SaveToFile(path.c_str()) && CScratchFolder::ReadFile(path) == "0123456789");
    folder.MakeFolder("block.bin.tmp/inside");   // where the new file must go: the write fails
    block.Write("x", 1);
    EXPECT_TRUE(!block.SaveToFile(path.c_str()) && CScratchFolder::ReadFile(path) == "0123456789" &&
                !block.SaveToFile("") && !block.SaveToFile(nullptr));

    CMemoryBlock loaded(4);
    loaded.Write("zz", 2);
    EXPECT_TRUE(!loaded.LoadFromFile((folder / "none.bin").c_str()) && loaded.GetSize() == 2 && loaded.GetPos() == 2);
    ASSERT_TRUE(loaded.LoadFromFile(path.c_str()));
    // Ten bytes in steps of 4: a capacity of (10 / 4 + 1) x 4.
    EXPECT_TRUE(loaded.GetSize() == 10 && loaded.GetPos() == 0 && loaded.GetCapacity() == 12 &&
                std::string(reinterpret_cast<const char*>(loaded.GetData()), 10) == "0123456789");
}

namespace
{
std::string Text(const CString& s)
{
    return s.GetBuffer();
}
} // namespace

TEST(CString, NumbersFromTextReportTheOffendingIndexAndToTextPadOutsideTheSign)
{
    const struct { const char* text; bool hex; int value, errorPos; } cases[] = {
        {"-12", false, -12, -1}, {"1-2", false, 0, 1}, {"+5", false, 0, 0}, {"-2147483648", false, INT_MIN, -1},
        {"4294967297", false, 1, -1},   // 2^32 + 1 wraps in 32 bits
        {"1A", true, 26, -1},   {"0x10", true, 0, 1},
        {"-ff", true, 0, 0},    {"+F", true, 0, 0},     {"", true, 0, -1},   {"FFFFFFFF", true, -1, -1},
    };
    for (const auto& c : cases)
    {
        int errorPos = 99;
        const int value = c.hex ? CString(c.text).HexToInt(&errorPos) : CString(c.text).ToInt(&errorPos);
        EXPECT_TRUE(value == c.value && errorPos == c.errorPos) << c.text << ": " << value << " at " << errorPos;
    }
    // The sign stays outside the width.
    const struct { int value, width; char pad; bool hex; const char* text; } ints[] = {
        {-5, 4, '0', false, "-0005"},     {INT_MIN, 0, ' ', false, "-2147483648"}, {7, -3, '0', false, "7"},
        {12345, 2, '0', false, "12345"},  {255, 4, '0', true, "00ff"},
        {-26, 0, ' ', true, "-1a"},       {INT_MIN, 0, ' ', true, "-80000000"},
    };
    CString s;
    for (const auto& i : ints)
        EXPECT_EQ((i.hex ? s.FromHex(i.value, i.width, i.pad) : s.FromInt(i.value, i.width, i.pad), Text(s)), i.text);
    // Floats truncate toward zero; decimals are held to 0 .. 18, and no number is 0.
    const struct { float value; int decimals, width; char pad; const char* text; } floats[] = {
        {-0.25f, 2, 0, ' ', "-0.25"}, {3.999f, 0, 0, ' ', "3"},       {0.05f, 2, 0, ' ', "0.05"},
        {-0.001f, 2, 0, ' ', "0.00"}, {2.5f, 1, 6, '*', "***2.5"},    {2.5f, 1, -3, '*', "2.5"},
        {1.5f, -1, 0, ' ', "1"},      {0.5f, 19, 0, ' ', "0.500000000000000000"},
        {std::numeric_limits<float>::quiet_NaN(), 2, 0, ' ', "0.00"}};
    for (const auto& f : floats)
        EXPECT_EQ((s.FromFloat(f.value, f.decimals, f.width, f.pad), Text(s)), f.text) << f.value;
    CString negative;   // both saturate instead of overflowing
    s.FromFloat(1.0e30f, 2), negative.FromFloat(-1.0e30f, 2);
    EXPECT_TRUE(!s.IsEmpty() && "-" + Text(s) == Text(negative)) << Text(negative);
}

TEST(CString, CuttingPaddingAndSearchingStayInsideTheTextAndGrowsThirtyTwoAtATimeRemovesAndClears)
{
    const CString text("abcdef");
    EXPECT_TRUE(Text(text.Mid(-3, 2)) == "ab" && Text(text.Mid(4, 10)) == "ef" && Text(text.Mid(2, -1)) == "");
    CString s("abcdef"), rest("abcdef");
    s.Delete(1, 100), rest.Delete(4, 3);   // past the end, and just past it
    EXPECT_EQ(Text(s) + Text(rest), "aabcd");
    s = "abc", s.Delete(3, 1), s.Delete(0, 1), s.PadRight(5, '.'), s.PadRight(2, '.');
    EXPECT_EQ(Text(s), "bc...");

    const CString twice("abcabc");
    EXPECT_TRUE(twice.Find("bc", 2) == 4 && twice.Find("", 0) == -1 && twice.FindNoCase("BCA", 0) == 1 &&
                twice.Find("BC", 0) == -1 && Text(CString("@AZ[az\xc4").ToLower()) == "@az[az\xc4");
    EXPECT_TRUE(CString("a\xe4").FindNoCase("\xc4", 0) == -1 && twice.ReverseFind("abc", 2) == 0);   // only a to z fold
    EXPECT_EQ(twice.ReverseFind("c", 100), 5);   // a start past the end is cut back
    EXPECT_TRUE(twice.ReverseFind("c", -1) == -1 && twice.ReverseFind("abcabcx", 5) == -1);
    CStringArray list;
    list.Add("a");
    CString temporary("b");
    list.AddTemp(temporary);   // the text moves into the list
    EXPECT_TRUE(Text(temporary) == "" && Text(list[1]) == "b");
    for (const char* text : {"c", "d", "e"}) list.Add(text);
    // The first, the last and a middle one; indexes outside the list change nothing.
    for (const auto& [index, left] : {std::pair{0, Lines{"b", "c", "d", "e"}}, {3, {"b", "c", "d"}}, {1, {"b", "d"}},
                                      {2, {"b", "d"}}, {-1, {"b", "d"}}})
    {
        list.RemoveAt(index);
        EXPECT_EQ(Texts(list), left) << index;
    }
    for (int i = 2; i < 33; ++i) list.Add("x");
    EXPECT_EQ(list.GetCapacity(), 64);
    CStringArray copy(list);
    list.Clear();
    EXPECT_TRUE(list.GetCount() == 0 && list.GetCapacity() == 0 && Text(copy[0]) == "b");
}
