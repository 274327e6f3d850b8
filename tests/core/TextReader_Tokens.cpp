#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
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

TEST(CTextReader, Tokens)
{
    const std::pair<const char*, List> cases[] = {
        // A minus between operands stands alone, else it starts a number.
        {"a-1", {"A", "-", "1"}}, {"(-1)", {"(", "-1", ")"}}, {"x = -5", {"X", "=", "-5"}},
        {"3-4", {"3", "-", "4"}}, {"- 4", {"-", "4"}},
        // Hexadecimal needs two characters after the x; a prefix without digits is 0.
        {"0x1F", {"31"}}, {"0X1f,", {"31", ","}}, {"0xF", {"0", "XF"}}, {"0x g", {"0", "G"}},
        {"0xFFFFFFFF", {"-1"}},
        {"12AB", {"12", "AB"}}, {"_snake_Case9 x", {"_SNAKE_CASE9", "X"}}, {"\t  \r ", {}},
        // Quoted strings keep their case and quotes.
        {"KEY,\"Hello; World\"", {"KEY", ",", "\"Hello; World\""}}, {"\"\"", {"\"\""}},
        {"\"open\nnext", {"INVALID STRING VALUE", "NEXT"}},
        {"a \"never closed", {"A", "INVALID STRING VALUE"}},
        {"a ; only a comment", {"A"}},
    };
    for (const auto& [text, tokens] : cases)
        EXPECT_EQ(Tokens(text), tokens) << text;
}

TEST(CTextReader, AllLineEndsGiveTheSameTokensAndLines)
{
    for (const char* end : {"\r\n", "\n\r", "\n"})
    {
        // Comment lines count too.
        const std::string text = std::string("first ; trailing") + end + ";" + end + "\"s\"" + end + "last";
        CTextReader reader;
        reader.LoadText(text.data(), static_cast<int>(text.size()));
        EXPECT_EQ(reader.GetTextSize(), 16 + 1 + 2 + 3 + 1 + 4);
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
    ShutdownFileSystem();
}

TEST(CTextReader, NothingLoadedLeavesTheTokenAsItWas)
{
    CTextReader reader;
    CString token("KEEP");
    reader.NextToken(token);
    EXPECT_STREQ(token.GetBuffer(), "KEEP");
    // A file that failed to open is loaded as an empty text.
    reader.LoadWhole();
    reader.NextToken(token);
    EXPECT_STREQ(token.GetBuffer(), "");
}
