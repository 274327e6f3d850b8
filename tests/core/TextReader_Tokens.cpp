#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/C_File.h"
#include "core/C_TextReader.h"
#include "tests/support/TestDataFile.h"
#include "tests/support/ScratchFolder.h"

namespace
{
std::vector<std::string> Tokens(const std::string& text)
{
    CTextReader reader;
    reader.LoadText(text.data(), static_cast<int>(text.size()));
    std::vector<std::string> tokens;
    CString token;
    for (reader.NextToken(token); !token.IsEmpty(); reader.NextToken(token))
        tokens.push_back(token.GetBuffer());
    return tokens;
}

using List = std::vector<std::string>;
} // namespace

TEST(CTextReader, MinusBetweenOperandsStandsAloneElseStartsANumber)
{
    EXPECT_EQ(Tokens("a-1"), (List{"A", "-", "1"}));
    EXPECT_EQ(Tokens("(-1)"), (List{"(", "-1", ")"}));
    EXPECT_EQ(Tokens("x = -5"), (List{"X", "=", "-5"}));
    EXPECT_EQ(Tokens("-7"), (List{"-7"}));
    EXPECT_EQ(Tokens("3-4"), (List{"3", "-", "4"}));
    EXPECT_EQ(Tokens("- 4"), (List{"-", "4"}));
    EXPECT_EQ(Tokens("-"), (List{"-"}));
}

TEST(CTextReader, HexadecimalNeedsTwoCharactersAfterTheX)
{
    EXPECT_EQ(Tokens("0x1F"), (List{"31"}));
    EXPECT_EQ(Tokens("0X1f,"), (List{"31", ","}));
    EXPECT_EQ(Tokens("0xF"), (List{"0", "XF"}));
    EXPECT_EQ(Tokens("0x g"), (List{"0", "G"}));   // a prefix without digits is 0
    EXPECT_EQ(Tokens("0xFFFFFFFF"), (List{"-1"}));
}

TEST(CTextReader, NumbersIdentifiersAndSingleCharacters)
{
    EXPECT_EQ(Tokens("12AB"), (List{"12", "AB"}));
    EXPECT_EQ(Tokens("007"), (List{"007"}));
    EXPECT_EQ(Tokens("_snake_Case9 x"), (List{"_SNAKE_CASE9", "X"}));
    EXPECT_EQ(Tokens("a,b=c"), (List{"A", ",", "B", "=", "C"}));
    EXPECT_EQ(Tokens("\t  \r "), List{});
}

TEST(CTextReader, QuotedStringsKeepTheirCaseAndQuotes)
{
    EXPECT_EQ(Tokens("KEY,\"Hello; World\""), (List{"KEY", ",", "\"Hello; World\""}));
    EXPECT_EQ(Tokens("\"\""), (List{"\"\""}));
    EXPECT_EQ(Tokens("\"open\nnext"), (List{"INVALID STRING VALUE", "NEXT"}));
}

TEST(CTextReader, UnterminatedStringAtTheEndStopsThere)
{
    EXPECT_EQ(Tokens("a \"never closed"), (List{"A", "INVALID STRING VALUE"}));
    EXPECT_EQ(Tokens("\""), (List{"INVALID STRING VALUE"}));
}

TEST(CTextReader, CommentsAreSkippedAndTheirLinesCounted)
{
    const std::string text = "; heading\r\none ; trailing\r\n\r\n;last\r\ntwo";
    CTextReader reader;
    reader.LoadText(text.data(), static_cast<int>(text.size()));
    CString token;
    reader.NextToken(token);
    EXPECT_STREQ(token.GetBuffer(), "ONE");
    EXPECT_EQ(reader.GetLine(), 2);
    reader.NextToken(token);
    EXPECT_STREQ(token.GetBuffer(), "TWO");
    EXPECT_EQ(reader.GetLine(), 5);
    reader.NextToken(token);
    EXPECT_TRUE(token.IsEmpty());
    EXPECT_EQ(Tokens("a ; only a comment"), (List{"A"}));
}

TEST(CTextReader, AllLineEndsGiveTheSameTokensAndLines)
{
    for (const char* end : {"\r\n", "\n\r", "\n"})
    {
        const std::string text = std::string("first") + end + end + "\"s\"" + end + "last";
        CTextReader reader;
        reader.LoadText(text.data(), static_cast<int>(text.size()));
        EXPECT_EQ(reader.GetTextSize(), 5 + 1 + 1 + 3 + 1 + 4);
        std::vector<std::pair<std::string, int>> seen;
        CString token;
        for (reader.NextToken(token); !token.IsEmpty(); reader.NextToken(token))
            seen.emplace_back(token.GetBuffer(), reader.GetLine());
        const std::vector<std::pair<std::string, int>> expected = {{"FIRST", 1}, {"\"s\"", 3}, {"LAST", 4}};
        EXPECT_EQ(seen, expected) << std::strlen(end);
    }
}

TEST(CTextReader, FindKeyRestoresPositionAndLineOnAMiss)
{
    const std::string text = "\n=\nvalue";
    CTextReader reader;
    reader.LoadText(text.data(), static_cast<int>(text.size()));
    EXPECT_FALSE(reader.FindKey(","));
    EXPECT_EQ(reader.GetLine(), 1);
    CString token;
    reader.NextToken(token);
    EXPECT_STREQ(token.GetBuffer(), "=");
    EXPECT_TRUE(reader.FindKey("value"));
    EXPECT_EQ(reader.GetLine(), 3);
}

TEST(CTextReader, ReadIntConvertsWholeTokensOnly)
{
    const std::string text = "-12 0x10 abc";
    CTextReader reader;
    reader.LoadText(text.data(), static_cast<int>(text.size()));
    int value = 0;
    EXPECT_TRUE(reader.ReadInt(value));
    EXPECT_EQ(value, -12);
    EXPECT_TRUE(reader.ReadInt(value));
    EXPECT_EQ(value, 16);
    EXPECT_FALSE(reader.ReadInt(value));
    EXPECT_EQ(value, 0);
    value = 5;
    EXPECT_TRUE(reader.ReadInt(value));   // at the end: the empty token is 0
    EXPECT_EQ(value, 0);
}

TEST(CTextReader, ReaderWithoutATextGivesTheEmptyToken)
{
    CTextReader reader;
    CString token("stale");
    reader.NextToken(token);
    EXPECT_TRUE(token.IsEmpty());
    EXPECT_EQ(reader.GetLine(), 0);
}

TEST(CTextReader, LoadWholeReadsAnEntryOfTheDataFiles)
{
    ShutdownFileSystem();
    CScratchFolder folder;
    CTestDataFile file;
    file.Add("LOCALE\\ENGLISH\\MAIN.TXT", "MAIN_OK,\"Ok\"\r\nMAIN_NO,\"No\"");
    InitDataFile(folder.Write("v2krn.med", file.Build()).c_str(), 1);

    CTextReader reader;
    ASSERT_TRUE(reader.OpenRead("Locale\\English\\main.txt"));
    ASSERT_TRUE(reader.LoadWhole());
    reader.Close();
    EXPECT_EQ(reader.GetLine(), 1);
    CString token;
    std::vector<std::string> tokens;
    for (reader.NextToken(token); !token.IsEmpty(); reader.NextToken(token))
        tokens.push_back(token.GetBuffer());
    EXPECT_EQ(tokens, (List{"MAIN_OK", ",", "\"Ok\"", "MAIN_NO", ",", "\"No\""}));
    EXPECT_EQ(reader.GetLine(), 2);

    CTextReader missing;
    EXPECT_FALSE(missing.OpenRead("LOCALE\\NONE.TXT"));
    EXPECT_FALSE(missing.LoadWhole());
    missing.NextToken(token);
    EXPECT_TRUE(token.IsEmpty());
    ShutdownFileSystem();
}
