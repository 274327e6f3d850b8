// Text wrapping, paths, replacements, version texts, the media-information
// block and the campaign list.

#include "tests/core/Config_TestFolder.h"

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
    int GetTextWidth(const char* text) const override
    {
        return 10 * static_cast<int>(std::strlen(text));
    }
};

std::vector<std::string> Wrap(int width, const char* text)
{
    CFixedWidthFont font;
    CStringArray lines;
    GlobalFunc::WrapText(font, width, text, lines);
    std::vector<std::string> result;
    for (int i = 0; i < lines.GetCount(); ++i)
        result.push_back(std::string(lines[i]));
    return result;
}

using Lines = std::vector<std::string>;

TEST(GlobalFuncText, WrapText)
{
    // "aaa" + "bb" measures 50 and fits 50, although the line drawn with its blank is 60 wide.
    EXPECT_EQ(Wrap(50, "aaa bb cc"), (Lines{"aaa bb", "cc"}));
    EXPECT_EQ(Wrap(1000, ""), (Lines{}));
    EXPECT_EQ(Wrap(1000, "ab\\ncd\\Nef"), (Lines{"ab", "cd", "ef"}));
    EXPECT_EQ(Wrap(1000, "a\\b"), (Lines{"a\\b"}));
    // An over-wide first word gets an empty line before it.
    EXPECT_EQ(Wrap(20, "abcdef gh"), (Lines{"", "abcdef", "gh"}));
}

TEST(GlobalFuncText, SplitPath)
{
    struct Case { const char* path; const char* folder; const char* name; const char* extension; };
    const Case cases[] = {
        {"Maps\\test.world", "Maps\\", "test", ".world"},
        {"a\\b.c.d", "a\\", "b.c", ".d"},
        {"Maps.v2\\test", "Maps.v2\\", "test", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        CString folder, name, extension;
        GlobalFunc::SplitPath(c.path, &folder, &name, &extension);
        EXPECT_EQ(std::string(folder), c.folder);
        EXPECT_EQ(std::string(name), c.name);
        EXPECT_EQ(std::string(extension), c.extension);
    }
    CString name;
    GlobalFunc::SplitPath("/home/me/save.sav", nullptr, &name, nullptr);
    EXPECT_EQ(std::string(name), "save");
}

TEST(GlobalFuncText, MakeFullPath)
{
    EXPECT_EQ(std::string(GlobalFunc::MakeFullPath("/game/", ".")), "/game/");
    EXPECT_EQ(std::string(GlobalFunc::MakeFullPath("C:\\G\\", "maps")), "C:\\G\\maps\\");
    EXPECT_EQ(std::string(GlobalFunc::MakeFullPath("/game/", "D:\\x")), "D:\\x");
    EXPECT_EQ(std::string(GlobalFunc::MakeFullPath("/game/", "/abs/dir")), "/abs/dir");
}

TEST(GlobalFuncText, MakeSafeFileName)
{
    CString text("My:Save*01?.sav");
    GlobalFunc::MakeSafeFileName(text);
    EXPECT_EQ(std::string(text), "My_Save_01_.sav");
    CString bytes("a\xE9/b");
    GlobalFunc::MakeSafeFileName(bytes);
    EXPECT_EQ(std::string(bytes), "a__b");
}

TEST(GlobalFuncText, ReplaceStringReplacesTheFirstOccurrence)
{
    EXPECT_EQ(std::string(GlobalFunc::ReplaceString("Hello NAME, NAME", "NAME", "Bob")),
              "Hello Bob, NAME");
    EXPECT_EQ(std::string(GlobalFunc::ReplaceString("text", "", "Bob")), "text");
    EXPECT_EQ(std::string(GlobalFunc::ReplaceString2("Wave %d of %d", "%d", -12)), "Wave -12 of %d");
}

TEST(GlobalFuncText, ReplaceConfigValueKeepsKeyBlanksAndComment)
{
    auto replace = [](const char* line, const char* key, const char* value) {
        return std::string(GlobalFunc::ReplaceConfigValue(line, key, value));
    };
    EXPECT_EQ(replace("GAMMA = 1.0 ; c", "GAMMA", "1.05"), "GAMMA =1.05 ; c");
    EXPECT_EQ(replace("GAMMA= ;c", "GAMMA", "1.05"), "GAMMA=1.05 ;c");
    EXPECT_EQ(replace("  gamma=1.0", "GAMMA", "2.00"), "  gamma=2.00");
    EXPECT_EQ(replace("A=1  ", "A", "2"), "A=2");
    EXPECT_EQ(replace("GAMMA 1.0", "GAMMA", "x"), "GAMMA 1.0");
    EXPECT_EQ(replace("OTHER=1", "GAMMA", "x"), "OTHER=1");
}

TEST(GlobalFuncText, VersionTexts)
{
    EXPECT_EQ(std::string(GlobalFunc::VersionToText(0x01020300)), "1.2.3");
    EXPECT_EQ(std::string(GlobalFunc::GetGameVersionText()), "1.1.0.4");
}

TEST(GlobalFuncText, MediaInfoFields)
{
    EXPECT_EQ(std::string(GlobalFunc::GetMediaInfoField("#language#")), "English");
    EXPECT_EQ(std::string(GlobalFunc::GetMediaInfoField("#VERSION#")), "0x01010004");
    EXPECT_EQ(std::string(GlobalFunc::GetMediaInfoField("#LANGUAGE_3#")), "Hungarian");
    EXPECT_EQ(std::string(GlobalFunc::GetMediaInfoField("#LANGUAGE_7#")), "");
}

class GlobalFuncCampaigns : public ConfigTestBase
{
protected:
    void TearDown() override
    {
        FreeCampaigns();
        ConfigTestBase::TearDown();
    }
};

TEST_F(GlobalFuncCampaigns, OneRecordPerCampaignFile)
{
    Write("Campaigns/first.cmp", "x");
    Write("Campaigns/second.cmp", "y");
    Write("Campaigns/third.cmp", "z");
    GlobalFunc::LoadCampaigns();
    EXPECT_EQ(g_CampaignCount, 3);
    EXPECT_NE(g_Campaigns, nullptr);

    std::filesystem::remove_all(m_Folder / "Campaigns");
    GlobalFunc::LoadCampaigns();
    EXPECT_EQ(g_CampaignCount, 0);
}
} // namespace
