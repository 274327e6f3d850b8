// Locale files: entries, the exact syntax-error texts, lookups and the
// cached type names.

#include "tests/core/Config_TestFolder.h"

#include <cstring>

#include "core/C_Localizer.h"
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

TEST_F(Localizer, KeysAreFoundIgnoringLetterCase)
{
    ASSERT_TRUE(Load("a.txt", "menu_title , \"Start\"\r\n"));
    EXPECT_EQ(Text("MENU_TITLE"), "Start");
    EXPECT_EQ(Text("Menu_Title"), "Start");
    EXPECT_EQ(std::string(m_Table.GetLastError()), "No error");
}

TEST_F(Localizer, EntriesSpreadOverLinesWithCommentsAndBlanks)
{
    ASSERT_TRUE(Load("a.txt",
                     "; heading comment\r\n"
                     "ONE\t,\r\n"
                     "  \"first; not a comment\" ; a comment\n"
                     "TWO,\"\"\n"
                     "THREE , \"x\"\n"));
    EXPECT_EQ(m_Table.GetCount(), 3);
    EXPECT_EQ(Text("ONE"), "first; not a comment");
    EXPECT_EQ(Text("TWO"), "");
    EXPECT_EQ(Text("THREE"), "x");
}

TEST_F(Localizer, TextsKeepTheirCodePageBytes)
{
    ASSERT_TRUE(Load("a.txt", "K, \"\xC4\xD6\xDC \\c1 \xE9\"\r\n"));
    EXPECT_EQ(Text("K"), "\xC4\xD6\xDC \\c1 \xE9");
}

TEST_F(Localizer, MissingCommaFailsWithFileAndLine)
{
    EXPECT_FALSE(Load("LOCALE\\ENGLISH\\A.TXT", "A, \"x\"\r\n\r\nB \"y\"\r\nC, \"z\"\r\n"));
    EXPECT_EQ(std::string(m_Table.GetLastError()), "\",\" Expected in \"LOCALE\\ENGLISH\\A.TXT\" line 3");
    const std::vector<std::string> expected = {"!!! Locale file error !!!",
                                               "\",\" Expected in \"LOCALE\\ENGLISH\\A.TXT\" line 3"};
    EXPECT_EQ(LogLines(), expected);
    // What came before the error stays; what came after is not read.
    EXPECT_EQ(Text("A"), "x");
    EXPECT_EQ(Text("C"), "(null)");
}

TEST_F(Localizer, TextThatIsNotQuotedFails)
{
    EXPECT_FALSE(Load("b.txt", "A, B\r\n"));
    EXPECT_EQ(std::string(m_Table.GetLastError()), "Quoted string value expected in \"b.txt\" line 1");

    EXPECT_FALSE(Load("c.txt", "A,\r\n"));
    EXPECT_EQ(std::string(m_Table.GetLastError()), "Quoted string value expected in \"c.txt\" line 2");
}

TEST_F(Localizer, UnterminatedOrLoneQuoteFails)
{
    EXPECT_FALSE(Load("d.txt", "A, \"open\r\nB, \"b\"\r\n"));
    EXPECT_EQ(std::string(m_Table.GetLastError()), "Quoted string value expected in \"d.txt\" line 1");

    EXPECT_FALSE(Load("e.txt", "A, \""));
    EXPECT_EQ(m_Table.GetCount(), 0);
    EXPECT_EQ(Text("A"), "(null)");
}

TEST_F(Localizer, TheFirstLoadedTextOfAKeyWins)
{
    ASSERT_TRUE(Load("first.txt", "SAME, \"first\"\r\nSAME, \"again\"\r\n"));
    ASSERT_TRUE(Load("second.txt", "same, \"second\"\r\n"));
    EXPECT_EQ(Text("Same"), "first");
}

TEST_F(Localizer, MissingKeyGivesNullOrTheComplaint)
{
    EXPECT_EQ(m_Table.GetString("NOWHERE", false), nullptr);
    EXPECT_TRUE(LogLines().empty());

    const char* text = m_Table.GetString("NOWHERE", true);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "*error*");
    const std::vector<std::string> expected = {"#DEBUG: Cannot find locale resource",
                                               "#DEBUG: breakpoint reached",
                                               "142 in core/C_Localizer.cpp"};
    EXPECT_EQ(LogLines(), expected);
}

TEST_F(Localizer, ClearEmptiesTheTableWhichStaysUsable)
{
    ASSERT_TRUE(Load("a.txt", "A, \"1\"\r\n"));
    m_Table.Clear();
    EXPECT_EQ(m_Table.GetCount(), 0);
    EXPECT_EQ(Text("A"), "(null)");
    ASSERT_TRUE(Load("a.txt", "A, \"2\"\r\n"));
    EXPECT_EQ(Text("A"), "2");
}

TEST_F(Localizer, TableGrowsPastItsCapacity)
{
    m_Table.Init(2);
    std::string text;
    for (int i = 0; i < 9; ++i)
        text += "K" + std::to_string(i) + ", \"v" + std::to_string(i) + "\"\r\n";
    ASSERT_TRUE(Load("a.txt", text));
    EXPECT_EQ(m_Table.GetCount(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Text(("k" + std::to_string(i)).c_str()), "v" + std::to_string(i));

    m_Table.Init(-1);
    EXPECT_EQ(m_Table.GetCount(), 0);
    ASSERT_TRUE(Load("a.txt", text));
    EXPECT_EQ(m_Table.GetCount(), 9);
}

TEST_F(Localizer, FilesComeThroughTheFileLayer)
{
    Write("Locale/English/a.txt", "A, \"from a\"\r\n");
    Write("Locale/English/b.txt", "A, \"from b\"\r\nB, \"from b\"\r\n");
    EXPECT_TRUE(m_Table.LoadLocaleFolder("English\\"));
    EXPECT_EQ(Text("A"), "from a");
    EXPECT_EQ(Text("B"), "from b");

    EXPECT_TRUE(m_Table.LoadLocaleFile("Locale\\English\\missing.txt"));
    EXPECT_EQ(std::string(m_Table.GetLastError()), "No error");
}

TEST_F(Localizer, LanguageFolderOfAPackedDataFile)
{
    CTestDataFile data;
    data.Add("LOCALE\\ENGLISH\\MAIN.TXT", "TITLE, \"Packed\"\r\n");
    data.Add("LOCALE\\ENGLISH\\MORE.TXT", "OTHER, \"More\"\r\n");
    data.Add("LOCALE\\GERMAN\\MAIN.TXT", "TITLE, \"Gepackt\"\r\nGERMAN, \"Nur\"\r\n");
    const std::string path = m_Folder.Write("v2krn.med", data.Build());
    CString reason;
    ASSERT_EQ(LoadDataFile(path.c_str(), false, reason), EDataFileResult::Loaded);
    EXPECT_TRUE(m_Table.LoadLocaleFolder("English\\"));
    EXPECT_EQ(m_Table.GetCount(), 2);
    EXPECT_EQ(Text("Title"), "Packed");
    EXPECT_EQ(Text("other"), "More");
    EXPECT_EQ(Text("GERMAN"), "(null)");
}

TEST_F(Localizer, FolderLoadStopsAtTheFirstBadFile)
{
    Write("Locale/German/a.txt", "A, \"a\"\r\n");
    Write("Locale/German/b.txt", "B \"b\"\r\n");
    Write("Locale/German/c.txt", "C, \"c\"\r\n");
    EXPECT_FALSE(m_Table.LoadLocaleFolder("German\\"));
    EXPECT_EQ(std::string(m_Table.GetLastError()),
              "\",\" Expected in \"Locale\\German\\b.txt\" line 1");
    EXPECT_EQ(Text("A"), "a");
    EXPECT_EQ(Text("C"), "(null)");
}

// The 70 cached keys in their order, as the game's screens index them.
const char* const ExpectedTypeNameKeys[] = {
    "UN_ARCHER", "UN_TOWERARCHER", "UN_CROSSBOWMAN", "UN_KNIGHT", "UN_PRIEST", "UN_WARRIOR",
    "UN_WORKER", "UN_WORKER_BUILDER", "UN_WORKER_DEMOLISHER", "UN_WORKER_REPAIRER",
    "UN_WORKER_LUMBERJACK", "UN_WORKER_MINER", "UN_CATAPULT", "UN_DEMOLISHMAN",
    "UN_HEAVYCAVALRY", "UN_LIGHTCAVALRY", "UN_TRANSPORTSHIP", "UN_WARGALLEY",
    "UN_HEROCAVALRY", "UN_KING", "UN_SETTLER", "UN_GIANT", "UN_DEMON", "UN_UNDEAD",
    "UN_TYPE_ALLY", "UN_TYPE_ENEMY", "UN_TYPE_NEUTRAL", "UN_TYPE_DEFEATED", "BD_HOUSE",
    "BD_WAREHOUSE", "BD_BLACKSMITH", "BD_BARRACKS", "BD_TOWER", "BD_WALL", "BD_CASTLE",
    "BD_MONASTERY", "BD_TRAP", "BD_DOCKS", "BD_KEEP", "BD_STRONGHOLD", "BD_ALCHEMY",
    "BD_DARKALTAR", "RES_TREE_PINE", "RES_TREE_OAK", "RES_TREE_PALM", "RES_TREE_DEAD",
    "RES_TREE_PLANE", "RES_TREE_SWAMP", "RES_ROCK", "RES_GOLDMINE", "SUM_UNITS_1",
    "SUM_UNITS_2", "SUM_UNITS_3", "SUM_BUILD_1", "SUM_BUILD_2", "SUM_BUILD_3", "SUM_WOOD",
    "SUM_STONE", "SUM_GOLD", "SUM_MAPEXPLORE", "SUM_SURVIVED", "SUM_SURVIVE_YES",
    "SUM_SURVIVE_NO", "SUM_RESEARCH_1", "SUM_RESEARCH_2", "SUM_RESEARCH_3", "SUM_RESEARCH_4",
    "SUM_RESEARCH_5", "BDMSG_NOROOMFORUNIT", "BDMSG_POPLIMITREACHED",
};
static_assert(sizeof(ExpectedTypeNameKeys) / sizeof(ExpectedTypeNameKeys[0]) == TypeNameCount);

TEST_F(Localizer, TypeNamesAreCachedInTableOrderWithTheComplaint)
{
    std::string text;
    for (int i = 0; i < TypeNameCount; ++i)
    {
        if (std::strcmp(ExpectedTypeNameKeys[i], "BD_WALL") != 0)
            text += std::string(ExpectedTypeNameKeys[i]) + ", \"name " + std::to_string(i) + "\"\r\n";
    }
    ASSERT_TRUE(Load("types.txt", text));
    m_Table.InitTypeNames();
    for (int i = 0; i < TypeNameCount; ++i)
    {
        EXPECT_STREQ(TypeNameKeys[i], ExpectedTypeNameKeys[i]);
        const std::string expected =
            std::strcmp(ExpectedTypeNameKeys[i], "BD_WALL") == 0 ? "*error*" : "name " + std::to_string(i);
        ASSERT_NE(g_TypeNames[i], nullptr);
        EXPECT_EQ(std::string(g_TypeNames[i]), expected) << ExpectedTypeNameKeys[i];
    }
    EXPECT_EQ(LogLines().front(), "#DEBUG: Cannot find locale resource");
}
} // namespace
