#include "tests/core/Core_Support.h"

#include <cstring>

#include "core/C_Localizer.h"
#include "core/C_TextReader.h"
#include "tests/support/TestDataFile.h"

namespace
{
class Localizer : public ConfigTestBase
{
protected:
    bool Load(const char* name, const std::string& text)
    {
        return m_Table.LoadLocaleText(name, text.data(), static_cast<int>(text.size()));
    }
    std::string Text(const char* key) const
    {
        const char* text = m_Table.GetString(key, false);
        return text ? text : "(null)";
    }

    CLocalizer m_Table;
};

TEST_F(Localizer, EntriesSpreadOverLinesTheTableGrowsAndSyntaxErrorsFailWithFileAndLine)
{
    m_Table.Init(2);
    ASSERT_TRUE(Load("a.txt",
                     "; heading comment\r\n"
                     "one\t,\r\n"
                     "  \"first; not a comment\" ; a comment\n"
                     "TWO,\"\"\n" "THREE , \"\xC4\xD6 \\c1\"\n" "Two, \"again\"\n"));
    EXPECT_TRUE(m_Table.GetCount() == 4 && Text("One") == "first; not a comment");
    EXPECT_EQ(Text("TWO"), "");   // the first loaded text of a key wins
    EXPECT_TRUE(Text("THREE") == "\xC4\xD6 \\c1" && std::string(m_Table.GetLastError()) == "No error");

    // A missing key gives null, or the complaint with its report.
    EXPECT_TRUE(m_Table.GetString("NOWHERE", false) == nullptr && LogLines().empty());
    EXPECT_STREQ(m_Table.GetString("NOWHERE", true), "*error*");
    EXPECT_EQ(LogLines(), Breakpoint(142, "core/C_Localizer.cpp", "#DEBUG: Cannot find locale resource"));
    const struct { const char* file; const char* text; const char* error; } cases[] = {
        {"LOCALE\\ENGLISH\\A.TXT", "A, \"x\"\r\n\r\nB \"y\"\r\nC, \"z\"\r\n",
         "\",\" Expected in \"LOCALE\\ENGLISH\\A.TXT\" line 3"},
        {"b.txt", "A, B\r\n", "Quoted string value expected in \"b.txt\" line 1"},
        {"c.txt", "A,\r\n", "Quoted string value expected in \"c.txt\" line 2"},
        {"d.txt", "A, \"open\r\nB, \"b\"\r\n", "Quoted string value expected in \"d.txt\" line 1"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE((m_Log.Clear(), !Load(c.file, c.text)) && std::string(m_Table.GetLastError()) == c.error &&
                    LogLines() == (Lines{"!!! Locale file error !!!", c.error})) << c.file;
    // What came before the error stays; what came after is not read.
    EXPECT_TRUE(Text("A") == "x" && Text("C") == "(null)");
    m_Table.Clear();
    EXPECT_TRUE(!Load("e.txt", "A, \"") && m_Table.GetCount() == 0);
}

TEST_F(Localizer, TheCachedNamesAreLookedUpInTheirOrderWithTheComplaint)
{
    const std::string keys =
        "UN_ARCHER UN_TOWERARCHER UN_CROSSBOWMAN UN_KNIGHT UN_PRIEST UN_WARRIOR UN_WORKER UN_WORKER_BUILDER "
        "UN_WORKER_DEMOLISHER UN_WORKER_REPAIRER UN_WORKER_LUMBERJACK UN_WORKER_MINER UN_CATAPULT UN_DEMOLISHMAN "
        "UN_HEAVYCAVALRY UN_LIGHTCAVALRY UN_TRANSPORTSHIP UN_WARGALLEY UN_HEROCAVALRY UN_KING UN_SETTLER UN_GIANT "
        "UN_DEMON UN_UNDEAD UN_TYPE_ALLY UN_TYPE_ENEMY UN_TYPE_NEUTRAL UN_TYPE_DEFEATED BD_HOUSE BD_WAREHOUSE "
        "BD_BLACKSMITH BD_BARRACKS BD_TOWER BD_WALL BD_CASTLE BD_MONASTERY BD_TRAP BD_DOCKS BD_KEEP BD_STRONGHOLD "
        "BD_ALCHEMY BD_DARKALTAR RES_TREE_PINE RES_TREE_OAK RES_TREE_PALM RES_TREE_DEAD RES_TREE_PLANE "
        "RES_TREE_SWAMP RES_ROCK RES_GOLDMINE SUM_UNITS_1 SUM_UNITS_2 SUM_UNITS_3 SUM_BUILD_1 SUM_BUILD_2 "
        "SUM_BUILD_3 SUM_WOOD SUM_STONE SUM_GOLD SUM_MAPEXPLORE SUM_SURVIVED SUM_SURVIVE_YES SUM_SURVIVE_NO "
        "SUM_RESEARCH_1 SUM_RESEARCH_2 SUM_RESEARCH_3 SUM_RESEARCH_4 SUM_RESEARCH_5 BDMSG_NOROOMFORUNIT";
    // Each key's text is its place; the last key, BDMSG_POPLIMITREACHED, is in no file.
    std::istringstream words(keys);
    std::string text, key;
    for (int place = 0; words >> key; ++place) text += key + ", \"" + std::to_string(place) + "\"\n";
    ASSERT_TRUE(Load("names.txt", text) && m_Table.GetCount() == TypeNameCount - 1);
    const auto saved = std::to_array(g_TypeNames);
    m_Table.InitTypeNames();
    for (int i = 0; i < TypeNameCount; ++i)
        EXPECT_EQ(g_TypeNames[i], i + 1 < TypeNameCount ? std::to_string(i) : "*error*") << i;
    EXPECT_EQ(LogLines(), Breakpoint(142, "core/C_Localizer.cpp", "#DEBUG: Cannot find locale resource"));
    std::copy(saved.begin(), saved.end(), g_TypeNames);
}

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
    for (const auto& [token, line] : Read(reader)) tokens.push_back(token);
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
        {"0x1F", {"31"}}, {"0X1f,", {"31", ","}}, {"0xF", {"0", "XF"}}, {"0x g", {"0", "G"}}, {"0xFFFFFFFF", {"-1"}},
        {"12AB", {"12", "AB"}}, {"_snake_Case9 x", {"_SNAKE_CASE9", "X"}}, {"\t  \r ", {}},
        // Quoted strings keep their case and quotes.
        {"KEY,\"Hello; World\"", {"KEY", ",", "\"Hello; World\""}}, {"\"\"", {"\"\""}},
        {"\"open\nnext", {"INVALID STRING VALUE", "NEXT"}}, {"a \"never closed", {"A", "INVALID STRING VALUE"}},
        {"a ; only a comment", {"A"}},
    };
    for (const auto& [text, tokens] : cases) EXPECT_EQ(Tokens(text), tokens) << text;
    for (const char* end : {"\r\n", "\n\r", "\n"})
    {
        // Comment lines count too.
        const std::string text = std::string("first ; trailing") + end + ";" + end + "\"s\"" + end + "last";
        CTextReader reader;
        reader.LoadText(text.data(), static_cast<int>(text.size()));
        const std::vector<std::pair<std::string, int>> expected = {{"FIRST", 1}, {"\"s\"", 3}, {"LAST", 4}};
        EXPECT_TRUE(reader.GetTextSize() == 16 + 1 + 2 + 3 + 1 + 4 && Read(reader) == expected) << std::strlen(end);
    }
}

TEST(CTextReader, FindKeyRestoresPositionOnAMissReadIntTakesWholeTokensAndLoadWholeReadsAnEntryOrNothingForTheLocaleFiles)
{
    const std::string text = "\n=\nvalue -12 0x10 abc";
    CTextReader reader;
    reader.LoadText(text.data(), static_cast<int>(text.size()));
    EXPECT_TRUE(!reader.FindKey(",") && reader.GetLine() == 1);
    CString token;
    reader.NextToken(token);
    EXPECT_TRUE(std::string(token.GetBuffer()) == "=" && reader.FindKey("value") && reader.GetLine() == 3);
    // At the end the empty token reads as 0.
    int value = 5;
    for (const auto& [read, wanted] : {std::pair{true, -12}, {true, 16}, {false, 0}, {true, 0}})
        EXPECT_TRUE((value = 5, reader.ReadInt(value) == read && value == wanted)) << wanted;
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
    // A language folder loads file by file up to the first that fails; a file that cannot be opened loads empty.
    CLocalizer table;
    EXPECT_TRUE(!table.LoadLocaleFolder("English\\") && std::string(table.GetString("main_ok", false)) == "Ok");
    EXPECT_EQ(std::string(table.GetLastError()), "\",\" Expected in \"Locale\\English\\MAIN.TXT\" line 2");
    EXPECT_TRUE(table.LoadLocaleFile("LOCALE\\NONE.TXT") && table.GetCount() == 1 &&
                std::string(table.GetLastError()) == "No error");
    ShutdownFileSystem();
}
