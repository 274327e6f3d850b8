#include <gtest/gtest.h>

#include <cstring>

#include "core/C_TextReader.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestDataFile.h"

namespace
{
using List = std::vector<std::string>;

std::vector<std::pair<std::string, int>> Read(CTextReader& reader)
{
    std::vector<std::pair<std::string, int>> tokens;
    CString token;
    for (reader.NextToken(token); !token.IsEmpty(); reader.NextToken(token))
        tokens.emplace_back(token.GetBuffer(), reader.GetLine());
    return tokens;
}

List Tokens(const std::string& text)
{
    CTextReader reader;
    reader.LoadText(text.data(), static_cast<int>(text.size()));
    List tokens;
    for (const auto& [token, line] : Read(reader))
        tokens.push_back(token);
    return tokens;
}
} // namespace

TEST(CTextReader, TokensAndLinesAreTheSameWhateverTheLineEnds)
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
    for (const char* end : {"\r\n", "\n\r", "\n"})
    {
        // Comment lines count too.
        const std::string text = std::string("first ; trailing") + end + ";" + end + "\"s\"" + end + "last";
        CTextReader reader;
        reader.LoadText(text.data(), static_cast<int>(text.size()));
        EXPECT_EQ(reader.GetTextSize(), 16 + 1 + 2 + 3 + 1 + 4);
        const std::vector<std::pair<std::string, int>> expected = {{"FIRST", 1}, {"\"s\"", 3}, {"LAST", 4}};
        EXPECT_EQ(Read(reader), expected) << std::strlen(end);
    }
}

TEST(CTextReader, FindKeyRestoresPositionOnAMissReadIntTakesWholeTokensAndLoadWholeReadsAnEntryOrNothing)
{
    const std::string text = "\n=\nvalue -12 0x10 abc";
    CTextReader reader;
    reader.LoadText(text.data(), static_cast<int>(text.size()));
    EXPECT_TRUE(!reader.FindKey(",") && reader.GetLine() == 1);
    CString token;
    reader.NextToken(token);
    EXPECT_TRUE(std::string(token.GetBuffer()) == "=" && reader.FindKey("value") && reader.GetLine() == 3);
    // At the end the empty token reads as 0.
    for (const auto& [read, wanted] : {std::pair{true, -12}, {true, 16}, {false, 0}, {true, 0}})
    {
        int value = 5;
        EXPECT_TRUE(reader.ReadInt(value) == read && value == wanted);
    }
    ShutdownFileSystem();
    CScratchFolder folder;
    CTestDataFile file;
    file.Add("LOCALE\\ENGLISH\\MAIN.TXT", "MAIN_OK,\"Ok\"\r\nMAIN_NO");
    InitDataFile(folder.Write("v2krn.med", file.Build()).c_str(), 1);
    CTextReader entry;
    ASSERT_TRUE(entry.OpenRead("Locale\\English\\main.txt") && entry.LoadWhole());
    entry.Close();
    const std::vector<std::pair<std::string, int>> expected = {
        {"MAIN_OK", 1}, {",", 1}, {"\"Ok\"", 1}, {"MAIN_NO", 2}};
    EXPECT_TRUE(Read(entry) == expected && !entry.OpenRead("LOCALE\\NONE.TXT") && !entry.LoadWhole());
    EXPECT_TRUE(Read(entry).empty());
    ShutdownFileSystem();
}
