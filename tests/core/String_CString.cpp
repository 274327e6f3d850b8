#include <gtest/gtest.h>

#include <climits>

#include "core/C_String.h"
#include "core/GlobalFunc.h"
#include "tests/support/TestLog.h"

namespace
{
std::string Text(const CString& s)
{
    return s.GetBuffer();
}
} // namespace

TEST(CString, MidCutsTheRangeToTheText)
{
    const CString text("abcdef");
    EXPECT_EQ(Text(text.Mid(-3, 2)), "ab");
    EXPECT_EQ(Text(text.Mid(4, 10)), "ef");
    EXPECT_EQ(Text(text.Mid(2, -1)), "");
}

TEST(CString, ToIntAndHexToIntReportTheOffendingIndex)
{
    struct Case { const char* text; bool hex; int value, errorPos; };
    const Case cases[] = {
        {"-12", false, -12, -1}, {"1-2", false, 0, 1},   {"+5", false, 0, 0},
        {"-2147483648", false, INT_MIN, -1},
        {"4294967297", false, 1, -1},   // 2^32 + 1 wraps in 32 bits
        {"1A", true, 26, -1},   {"0x10", true, 0, 1},
        {"-F", true, -15, -1},   {"FFFFFFFF", true, -1, -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        int errorPos = 99;
        EXPECT_EQ(c.hex ? CString(c.text).HexToInt(&errorPos) : CString(c.text).ToInt(&errorPos), c.value);
        EXPECT_EQ(errorPos, c.errorPos);
    }
}

TEST(CString, NumbersToText)
{
    const auto fromInt = [](int value, int width, char pad) {
        CString s;
        s.FromInt(value, width, pad);
        return Text(s);
    };
    const auto fromHex = [](int value, int width, char pad) {
        CString s;
        s.FromHex(value, width, pad);
        return Text(s);
    };
    // The sign stays outside the width.
    EXPECT_EQ(fromInt(-5, 4, '0'), "-0005");
    EXPECT_EQ(fromInt(INT_MIN, 0, ' '), "-2147483648");
    EXPECT_EQ(fromInt(12345, 2, '0'), "12345");
    EXPECT_EQ(fromHex(255, 4, '0'), "00ff");
    EXPECT_EQ(fromHex(-26, 0, ' '), "-1a");
    EXPECT_EQ(fromHex(INT_MIN, 0, ' '), "-80000000");

    // Floats truncate toward zero.
    CString s;
    const struct { float value; int decimals; const char* text; } floats[] = {
        {-0.25f, 2, "-0.25"}, {3.999f, 0, "3"}, {0.05f, 2, "0.05"}, {-0.001f, 2, "0.00"}};
    for (const auto& f : floats)
    {
        s.FromFloat(f.value, f.decimals);
        EXPECT_EQ(Text(s), f.text) << f.value;
    }
    s.FromFloat(2.5f, 1, 6, '*');
    EXPECT_EQ(Text(s), "***2.5");
    s.FromFloat(1.0e30f, 2);   // saturates instead of overflowing
    EXPECT_FALSE(s.IsEmpty());
}

TEST(CString, DeleteAndPadRightStayInsideTheText)
{
    CString s("abc");
    s.Delete(1, 100);
    EXPECT_EQ(Text(s), "a");
    s = "abc";
    s.Delete(3, 1);
    s.Delete(0, 1);
    EXPECT_EQ(Text(s), "bc");
    s.PadRight(5, '.');
    EXPECT_EQ(Text(s), "bc...");
    s.PadRight(2, '.');
    EXPECT_EQ(Text(s), "bc...");
}

TEST(CString, FindAndReverseFind)
{
    const CString s("abcabc");
    EXPECT_EQ(s.Find("bc", 0), 1);
    EXPECT_EQ(s.Find("bc", 2), 4);
    EXPECT_EQ(s.Find("", 0), -1);
    EXPECT_EQ(s.FindNoCase("BCA", 0), 1);
    EXPECT_EQ(CString("a\xe4").FindNoCase("\xc4", 0), -1);   // only a to z fold
    EXPECT_EQ(s.ReverseFind("abc", 2), 0);
    EXPECT_EQ(s.ReverseFind("c", 100), 5);   // a start past the end is cut back
    EXPECT_EQ(s.ReverseFind("c", -1), -1);
    EXPECT_EQ(s.ReverseFind("abcabcx", 5), -1);
}

TEST(CString, ChainedResultsAreIndependentStrings)
{
    const CString a("ab");
    const CString b("cd");
    const CString joined = a + b + "ef" + 'g';
    EXPECT_EQ(Text(joined), "abcdefg");
    EXPECT_EQ(Text(a.Mid(1, 1) + b.Mid(0, 1) + a.ToUpper()), "bcAB");
    CString self("xy");
    self = self;
    self = self + self;
    EXPECT_EQ(Text(self), "xyxy");
    self = self.GetBuffer() + 2;   // assigning a text from inside itself
    EXPECT_EQ(Text(self), "xy");
}

TEST(CString, LiveCounterFollowsEveryConstructionAndDestruction)
{
    const int before = GlobalFunc::GetStringRefs();
    {
        CString a;
        CString b("x");
        CString c(b);
        EXPECT_EQ(GlobalFunc::GetStringRefs(), before + 3);
        a = c;   // assignments leave the count alone
        EXPECT_EQ(GlobalFunc::GetStringRefs(), before + 3);
    }
    EXPECT_EQ(GlobalFunc::GetStringRefs(), before);
}

TEST(CStringArray, GrowsThirtyTwoEntriesAtATime)
{
    CStringArray list;
    list.Add("first");
    for (int i = 1; i < 33; ++i)
        list.Add("x");
    EXPECT_EQ(list.GetCapacity(), 64);
    EXPECT_EQ(Text(list[0]), "first");
}

TEST(CStringArray, RemoveAtMovesLaterEntriesDownAndClearEmpties)
{
    CStringArray list;
    list.Add("a");
    list.Add("b");
    list.Add("c");
    list.RemoveAt(1);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(Text(list[1]), "c");
    list.RemoveAt(7);   // out of range: nothing
    EXPECT_EQ(list.GetCount(), 2);
    CStringArray copy(list);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCapacity(), 0);
    EXPECT_EQ(Text(copy[0]), "a");
}
