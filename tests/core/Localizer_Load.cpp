// Locale files: entries, the exact syntax-error texts, lookups and the
// cached type names.

#include "tests/core/Config_TestFolder.h"

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

TEST_F(Localizer, EntriesSpreadOverLinesWithCommentsAndBlanks)
{
    ASSERT_TRUE(Load("a.txt",
                     "; heading comment\r\n"
                     "one\t,\r\n"
                     "  \"first; not a comment\" ; a comment\n"
                     "TWO,\"\"\n"
                     "THREE , \"\xC4\xD6 \\c1\"\n"
                     "Two, \"again\"\n"));
    EXPECT_EQ(m_Table.GetCount(), 4);
    EXPECT_EQ(Text("One"), "first; not a comment");
    EXPECT_EQ(Text("TWO"), "");   // the first loaded text of a key wins
    EXPECT_EQ(Text("THREE"), "\xC4\xD6 \\c1");
    EXPECT_EQ(std::string(m_Table.GetLastError()), "No error");
}

TEST_F(Localizer, SyntaxErrorsFailWithFileAndLine)
{
    struct Case { const char* file; const char* text; const char* error; };
    const Case cases[] = {
        {"LOCALE\\ENGLISH\\A.TXT", "A, \"x\"\r\n\r\nB \"y\"\r\nC, \"z\"\r\n",
         "\",\" Expected in \"LOCALE\\ENGLISH\\A.TXT\" line 3"},
        {"b.txt", "A, B\r\n", "Quoted string value expected in \"b.txt\" line 1"},
        {"c.txt", "A,\r\n", "Quoted string value expected in \"c.txt\" line 2"},
        {"d.txt", "A, \"open\r\nB, \"b\"\r\n", "Quoted string value expected in \"d.txt\" line 1"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        m_Log.Clear();
        EXPECT_FALSE(Load(c.file, c.text));
        EXPECT_EQ(std::string(m_Table.GetLastError()), c.error);
        EXPECT_EQ(LogLines(), (std::vector<std::string>{"!!! Locale file error !!!", c.error}));
    }
    // What came before the error stays; what came after is not read.
    EXPECT_EQ(Text("A"), "x");
    EXPECT_EQ(Text("C"), "(null)");

    m_Table.Clear();
    EXPECT_FALSE(Load("e.txt", "A, \""));
    EXPECT_EQ(m_Table.GetCount(), 0);
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
    // A missing file is no error.
    EXPECT_TRUE(m_Table.LoadLocaleFile("Locale\\English\\missing.txt"));
    EXPECT_EQ(std::string(m_Table.GetLastError()), "No error");
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

TEST_F(Localizer, TypeNamesAreCachedInTableOrderWithTheComplaint)
{
    ASSERT_EQ(TypeNameCount, 70);
    EXPECT_STREQ(TypeNameKeys[33], "BD_WALL");
    std::string text;
    for (int i = 0; i < TypeNameCount; ++i)
        if (i != 33)
            text += std::string(TypeNameKeys[i]) + ", \"name " + std::to_string(i) + "\"\r\n";
    ASSERT_TRUE(Load("types.txt", text));
    m_Table.InitTypeNames();
    for (int i = 0; i < TypeNameCount; ++i)
    {
        ASSERT_NE(g_TypeNames[i], nullptr);
        EXPECT_EQ(std::string(g_TypeNames[i]), i == 33 ? "*error*" : "name " + std::to_string(i));
    }
    EXPECT_EQ(LogLines().front(), "#DEBUG: Cannot find locale resource");
}
} // namespace
