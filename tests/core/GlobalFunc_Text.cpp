#include "tests/core/Core_Support.h"

#include <cstring>
#include <filesystem>

#include "core/GlobalFunc.h"
#include "core/IFontMeasure.h"
#include "frontend/C_Campaign.h"

namespace
{
// Every character is ten pixels wide.
class CFixedWidthFont : public IFontMeasure
{
public:
    int GetTextWidth(const char* text) const override { return 10 * static_cast<int>(std::strlen(text)); }
};

Lines Wrap(int width, const char* text)
{
    CFixedWidthFont font;
    CStringArray lines;
    GlobalFunc::WrapText(font, width, text, lines);
    Lines result;
    for (int i = 0; i < lines.GetCount(); ++i)
        result.push_back(std::string(lines[i]));
    return result;
}

TEST(GlobalFuncText, WrapTextSplitMakeFullAndMakeSafePaths)
{
    // "aaa" + "bb" measures 50 and fits 50, although the line drawn with its blank is 60 wide.
    EXPECT_TRUE(Wrap(50, "aaa bb cc") == (Lines{"aaa bb", "cc"}) && Wrap(1000, "") == (Lines{}));
    EXPECT_TRUE(Wrap(1000, "ab\\ncd\\Nef") == (Lines{"ab", "cd", "ef"}) && Wrap(1000, "a\\b") == (Lines{"a\\b"}));
    // An over-wide first word gets an empty line before it.
    EXPECT_EQ(Wrap(20, "abcdef gh"), (Lines{"", "abcdef", "gh"}));
    const struct { const char* path; const char* folder; const char* name; const char* extension; } cases[] = {
        {"Maps\\test.world", "Maps\\", "test", ".world"},
        {"a\\b.c.d", "a\\", "b.c", ".d"},
        {"Maps.v2\\test", "Maps.v2\\", "test", ""},
    };
    for (const auto& c : cases)
    {
        CString folder, name, extension;
        GlobalFunc::SplitPath(c.path, &folder, &name, &extension);
        EXPECT_EQ(std::string(folder) + "|" + name.GetBuffer() + "|" + extension.GetBuffer(),
                  std::string(c.folder) + "|" + c.name + "|" + c.extension) << c.path;
    }

    EXPECT_EQ(std::string(GlobalFunc::MakeFullPath("/game/", ".")), "/game/");
    EXPECT_EQ(std::string(GlobalFunc::MakeFullPath("C:\\G\\", "maps")), "C:\\G\\maps\\");
    EXPECT_EQ(std::string(GlobalFunc::MakeFullPath("/game/", "D:\\x")), "D:\\x");
    EXPECT_EQ(std::string(GlobalFunc::MakeFullPath("/game/", "/abs/dir")), "/abs/dir");

    // Versions: the bytes from the highest, the lowest left out when 0; the media block's values, padding cut.
    EXPECT_TRUE(GlobalFunc::VersionToText(0x01020300) == "1.2.3" && GlobalFunc::VersionToText(0xFF000001) == "255.0.0.1" &&
                GlobalFunc::GetGameVersionText() == "1.1.0.4");
    const std::pair<const char*, const char*> fields[] = {
        {"#MEDIAINFO#", "Ironmarch"}, {"#version#", "0x01010004"}, {"#LANGUAGE#", "English"},
        {"#MULTILANGUAGE#", "1"}, {"#LANGUAGE_4#", "Polish"}, {"#LANGUAGE_5#", ""}, {"#NONE#", ""}};
    for (const auto& [key, value] : fields)
        EXPECT_EQ(std::string(GlobalFunc::GetMediaInfoField(key)), value) << key;

    CString text("My:Save*01?.sav");
    GlobalFunc::MakeSafeFileName(text);
    EXPECT_EQ(std::string(text), "My_Save_01_.sav");
    CString bytes("a\xE9/b");
    GlobalFunc::MakeSafeFileName(bytes);
    EXPECT_EQ(std::string(bytes), "a__b");
}

TEST(GlobalFuncText, ReplacementsKeepKeyBlanksAndComment)
{
    EXPECT_EQ(std::string(GlobalFunc::ReplaceString("Hello NAME, NAME", "NAME", "Bob")), "Hello Bob, NAME");
    EXPECT_EQ(std::string(GlobalFunc::ReplaceString("text", "", "Bob")), "text");
    EXPECT_EQ(std::string(GlobalFunc::ReplaceString2("Wave %d of %d", "%d", -12)), "Wave -12 of %d");
    const struct { const char* line; const char* key; const char* value; const char* result; } cases[] = {
        {"GAMMA = 1.0 ; c", "GAMMA", "1.05", "GAMMA =1.05 ; c"}, {"GAMMA= ;c", "GAMMA", "1.05", "GAMMA=1.05 ;c"},
        {"  gamma=1.0", "GAMMA", "2.00", "  gamma=2.00"},         {"A=1  ", "A", "2", "A=2"},
        {"GAMMA 1.0", "GAMMA", "x", "GAMMA 1.0"},                 {"OTHER=1", "GAMMA", "x", "OTHER=1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(GlobalFunc::ReplaceConfigValue(c.line, c.key, c.value)), c.result) << c.line;
}
using GlobalFuncCampaigns = ConfigTestBase;

TEST_F(GlobalFuncCampaigns, OneRecordPerCampaignFile)
{
    Write("Campaigns/first.cmp", "x");
    Write("Campaigns/second.cmp", "y");
    GlobalFunc::LoadCampaigns();
    EXPECT_TRUE(g_CampaignCount == 2 && g_Campaigns != nullptr);
    std::filesystem::remove_all(m_Folder / "Campaigns");
    GlobalFunc::LoadCampaigns();
    EXPECT_EQ(g_CampaignCount, 0);
    FreeCampaigns();
}
} // namespace
