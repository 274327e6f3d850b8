#include "tests/core/Core_Support.h"

#include "core/C_Localizer.h"

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
                     "TWO,\"\"\n"
                     "THREE , \"\xC4\xD6 \\c1\"\n"
                     "Two, \"again\"\n"));
    EXPECT_TRUE(m_Table.GetCount() == 4 && Text("One") == "first; not a comment");
    EXPECT_EQ(Text("TWO"), "");   // the first loaded text of a key wins
    EXPECT_TRUE(Text("THREE") == "\xC4\xD6 \\c1" && std::string(m_Table.GetLastError()) == "No error");

    // A missing key gives null, or the complaint with its report.
    EXPECT_TRUE(m_Table.GetString("NOWHERE", false) == nullptr && LogLines().empty());
    EXPECT_STREQ(m_Table.GetString("NOWHERE", true), "*error*");
    EXPECT_EQ(LogLines(), Breakpoint(142, "core/C_Localizer.cpp", "#DEBUG: Cannot find locale resource"));
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
        EXPECT_TRUE(!Load(c.file, c.text) && std::string(m_Table.GetLastError()) == c.error);
        EXPECT_EQ(LogLines(), (Lines{"!!! Locale file error !!!", c.error}));
    }
    // What came before the error stays; what came after is not read.
    EXPECT_TRUE(Text("A") == "x" && Text("C") == "(null)");
    m_Table.Clear();
    EXPECT_TRUE(!Load("e.txt", "A, \"") && m_Table.GetCount() == 0);
}
} // namespace
