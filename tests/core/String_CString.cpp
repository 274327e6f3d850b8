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
    EXPECT_EQ(Text(text.Mid(6, 1)), "");
    EXPECT_EQ(Text(text.Mid(2, -1)), "");
    EXPECT_EQ(Text(text.Mid(1, 3)), "bcd");
}

TEST(CString, ToIntScansBackwardsAndReportsTheOffendingIndex)
{
    int errorPos = 99;
    EXPECT_EQ(CString("-12").ToInt(&errorPos), -12);
    EXPECT_EQ(errorPos, -1);
    EXPECT_EQ(CString("1-2").ToInt(&errorPos), 0);
    EXPECT_EQ(errorPos, 1);
    EXPECT_EQ(CString("12 ").ToInt(&errorPos), 0);
    EXPECT_EQ(errorPos, 2);
    EXPECT_EQ(CString("+5").ToInt(&errorPos), 0);
    EXPECT_EQ(errorPos, 0);
    EXPECT_EQ(CString("").ToInt(&errorPos), 0);
    EXPECT_EQ(errorPos, -1);
    EXPECT_EQ(CString("007").ToInt(&errorPos), 7);
    EXPECT_EQ(errorPos, -1);
}

TEST(CString, ToIntWrapsInThirtyTwoBits)
{
    int errorPos = 0;
    EXPECT_EQ(CString("-2147483648").ToInt(&errorPos), INT_MIN);
    EXPECT_EQ(errorPos, -1);
    // 4294967297 = 2^32 + 1
    EXPECT_EQ(CString("4294967297").ToInt(&errorPos), 1);
    EXPECT_EQ(errorPos, -1);
}

TEST(CString, HexToIntTakesBothCasesAndRefusesPrefixes)
{
    int errorPos = 0;
    EXPECT_EQ(CString("ff").HexToInt(&errorPos), 255);
    EXPECT_EQ(errorPos, -1);
    EXPECT_EQ(CString("1A").HexToInt(&errorPos), 26);
    EXPECT_EQ(CString("0x10").HexToInt(&errorPos), 0);
    EXPECT_EQ(errorPos, 1);
    EXPECT_EQ(CString("-F").HexToInt(&errorPos), -15);
    EXPECT_EQ(errorPos, -1);
    EXPECT_EQ(CString("FFFFFFFF").HexToInt(&errorPos), -1);
}

TEST(CString, FromIntPadsDigitsAndPutsTheSignOutsideTheWidth)
{
    CString s;
    s.FromInt(7, 3, ' ');
    EXPECT_EQ(Text(s), "  7");
    s.FromInt(-42, 0, ' ');
    EXPECT_EQ(Text(s), "-42");
    s.FromInt(-5, 4, '0');
    EXPECT_EQ(Text(s), "-0005");
    s.FromInt(0);
    EXPECT_EQ(Text(s), "0");
    s.FromInt(INT_MIN);
    EXPECT_EQ(Text(s), "-2147483648");
    s.FromInt(12345, 2, '0');
    EXPECT_EQ(Text(s), "12345");
}

TEST(CString, FromHexWritesLowerCaseDigits)
{
    CString s;
    s.FromHex(255, 4, '0');
    EXPECT_EQ(Text(s), "00ff");
    s.FromHex(-26);
    EXPECT_EQ(Text(s), "-1a");
    s.FromHex(INT_MIN);
    EXPECT_EQ(Text(s), "-80000000");
}

TEST(CString, FromFloatTruncatesTowardZero)
{
    CString s;
    s.FromFloat(1.5f, 2);
    EXPECT_EQ(Text(s), "1.50");
    s.FromFloat(-0.25f, 2);
    EXPECT_EQ(Text(s), "-0.25");
    s.FromFloat(3.999f, 0);
    EXPECT_EQ(Text(s), "3");
    s.FromFloat(0.05f, 2);
    EXPECT_EQ(Text(s), "0.05");
    s.FromFloat(2.5f, 1, 6, '*');
    EXPECT_EQ(Text(s), "***2.5");
    s.FromFloat(-0.001f, 2);
    EXPECT_EQ(Text(s), "0.00");
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
    EXPECT_EQ(Text(s), "abc");
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
    EXPECT_EQ(s.Find("bc", 6), -1);
    EXPECT_EQ(s.Find("", 0), -1);
    EXPECT_EQ(s.FindNoCase("BCA", 0), 1);
    EXPECT_EQ(CString("a\xe4").FindNoCase("\xc4", 0), -1);   // only a to z fold
    EXPECT_EQ(s.ReverseFind("abc", 5), 3);
    EXPECT_EQ(s.ReverseFind("abc", 2), 0);
    EXPECT_EQ(s.ReverseFind("c", 100), 5);   // a start past the end is cut back
    EXPECT_EQ(s.ReverseFind("c", -1), -1);
    EXPECT_EQ(s.ReverseFind("abcabcx", 5), -1);
}

TEST(CString, CaseConversionTouchesOnlyAsciiLetters)
{
    const CString s("aZ\xe4_1");
    EXPECT_EQ(Text(s.ToUpper()), "AZ\xe4_1");
    EXPECT_EQ(Text(s.ToLower()), "az\xe4_1");
    EXPECT_EQ(CString::ToUpperChar('q'), 'Q');
    EXPECT_EQ(CString::ToUpperChar('{'), '{');
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
        CString* many = new CString[1000];
        EXPECT_EQ(GlobalFunc::GetStringRefs(), before + 1003);
        delete[] many;
    }
    EXPECT_EQ(GlobalFunc::GetStringRefs(), before);
}

TEST(CStringArray, GrowsThirtyTwoEntriesAtATime)
{
    CStringArray list;
    EXPECT_EQ(list.GetCapacity(), 0);
    list.Add("first");
    EXPECT_EQ(list.GetCapacity(), 32);
    for (int i = 1; i < 33; ++i)
        list.Add("x");
    EXPECT_EQ(list.GetCapacity(), 64);
    for (int i = 33; i < 65; ++i)
        list.Add("y");
    EXPECT_EQ(list.GetCapacity(), 96);
    EXPECT_EQ(list.GetCount(), 65);
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
