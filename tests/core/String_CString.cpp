#include <gtest/gtest.h>

#include "core/C_String.h"

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
        {"-12", false, -12, -1}, {"1-2", false, 0, 1},   {"+5", false, 0, 0},
        {"-2147483648", false, INT_MIN, -1},
        {"4294967297", false, 1, -1},   // 2^32 + 1 wraps in 32 bits
        {"1A", true, 26, -1},   {"0x10", true, 0, 1},
        {"-ff", true, 0, 0},    {"+F", true, 0, 0},     {"", true, 0, -1},   {"FFFFFFFF", true, -1, -1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        int errorPos = 99;
        EXPECT_EQ(c.hex ? CString(c.text).HexToInt(&errorPos) : CString(c.text).ToInt(&errorPos), c.value);
        EXPECT_EQ(errorPos, c.errorPos);
    }
    // The sign stays outside the width.
    const struct { int value, width; char pad; bool hex; const char* text; } ints[] = {
        {-5, 4, '0', false, "-0005"},     {INT_MIN, 0, ' ', false, "-2147483648"},
        {12345, 2, '0', false, "12345"},  {255, 4, '0', true, "00ff"},
        {-26, 0, ' ', true, "-1a"},       {INT_MIN, 0, ' ', true, "-80000000"},
    };
    CString s;
    for (const auto& i : ints)
    {
        i.hex ? s.FromHex(i.value, i.width, i.pad) : s.FromInt(i.value, i.width, i.pad);
        EXPECT_EQ(Text(s), i.text) << i.value;
    }
    // Floats truncate toward zero.
    const struct { float value; int decimals, width; char pad; const char* text; } floats[] = {
        {-0.25f, 2, 0, ' ', "-0.25"}, {3.999f, 0, 0, ' ', "3"},       {0.05f, 2, 0, ' ', "0.05"},
        {-0.001f, 2, 0, ' ', "0.00"}, {2.5f, 1, 6, '*', "***2.5"}};
    for (const auto& f : floats)
    {
        s.FromFloat(f.value, f.decimals, f.width, f.pad);
        EXPECT_EQ(Text(s), f.text) << f.value;
    }
    s.FromFloat(1.0e30f, 2);   // saturates instead of overflowing
    EXPECT_FALSE(s.IsEmpty());
}

TEST(CString, CuttingPaddingAndSearchingStayInsideTheTextAndGrowsThirtyTwoAtATimeRemovesAndClears)
{
    const CString text("abcdef");
    EXPECT_TRUE(Text(text.Mid(-3, 2)) == "ab" && Text(text.Mid(4, 10)) == "ef" && Text(text.Mid(2, -1)) == "");
    CString s("abc");
    s.Delete(1, 100);
    EXPECT_EQ(Text(s), "a");
    s = "abc";
    s.Delete(3, 1);
    s.Delete(0, 1);
    s.PadRight(5, '.');
    s.PadRight(2, '.');
    EXPECT_EQ(Text(s), "bc...");

    const CString twice("abcabc");
    EXPECT_TRUE(twice.Find("bc", 2) == 4 && twice.Find("", 0) == -1 && twice.FindNoCase("BCA", 0) == 1);
    EXPECT_TRUE(CString("a\xe4").FindNoCase("\xc4", 0) == -1 && twice.ReverseFind("abc", 2) == 0);   // only a to z fold
    EXPECT_EQ(twice.ReverseFind("c", 100), 5);   // a start past the end is cut back
    EXPECT_TRUE(twice.ReverseFind("c", -1) == -1 && twice.ReverseFind("abcabcx", 5) == -1);
    CStringArray list;
    list.Add("a");
    CString temporary("b");
    list.AddTemp(temporary);   // the text moves into the list
    EXPECT_TRUE(Text(temporary) == "" && Text(list[1]) == "b");
    for (const char* text : {"c", "d", "e"})
        list.Add(text);
    const auto whole = [&list] {
        std::string texts;
        for (int i = 0; i < list.GetCount(); ++i)
            texts += Text(list[i]);
        return texts;
    };
    // The first, the last and a middle one; indexes outside the list change nothing.
    for (const auto& [index, left] : {std::pair{0, "bcde"}, {3, "bcd"}, {1, "bd"}, {2, "bd"}, {-1, "bd"}})
    {
        list.RemoveAt(index);
        EXPECT_EQ(whole(), left) << index;
    }
    for (int i = 2; i < 33; ++i)
        list.Add("x");
    EXPECT_EQ(list.GetCapacity(), 64);
    CStringArray copy(list);
    list.Clear();
    EXPECT_TRUE(list.GetCount() == 0 && list.GetCapacity() == 0 && Text(copy[0]) == "b");
}
