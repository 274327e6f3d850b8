// Font files read into glyph tables and measured: the cell layout of the
// pages, advance widths, damaged files refused, and the game fonts of the
// device start-up.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/C_File.h"
#include "core/C_String.h"
#include "media/C_2DFont.h"
#include "tests/media/FontBytes.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestDataFile.h"
#include "tests/support/TestLog.h"

namespace
{
bool Load(C2DFont& font, const std::vector<uint8_t>& bytes, int spaceWidth = 4, int spacing = 2)
{
    return font.LoadFromMemory(bytes.data(), int64_t(bytes.size()), "test.fnt", spaceWidth, spacing);
}
} // namespace

TEST(FontLoad, GlyphsFillCellsColumnByColumnThenRowByRowThenPageByPage)
{
    // Columns 256 / (W + 2), rows 256 / (H + 2); the glyph of code c is cell
    // c - 1.
    const struct Case
    {
        uint16_t w, h;
        int pages;
        int code;
        C2DFont::SGlyph expected;
    } cases[] = {
        {10, 12, 1, 22, {0, 0, 1}},        // 21 x 18 cells a page
        {10, 12, 1, 255, {0, 2, 12}},      // cell 254 = 12 x 21 + 2
        {30, 30, 4, 64, {0, 7, 7}},        // 8 x 8 cells a page
        {30, 30, 4, 65, {1, 0, 0}},
        {30, 30, 4, 255, {3, 6, 7}},       // cell 254 = 3 x 64 + 62
        {1, 1, 1, 255, {0, 84, 2}},        // 85 x 85 cells a page
        {254, 254, 255, 255, {254, 0, 0}}, // one cell a page
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h << " code " << c.code);
        FontLayout layout;
        layout.width = c.w;
        layout.height = c.h;
        C2DFont font;
        ASSERT_TRUE(Load(font, BuildFont(layout)));
        EXPECT_EQ(font.pageCount, c.pages);
        EXPECT_EQ(font.lineHeight, c.h);
        EXPECT_EQ(font.glyphs[c.code].page, c.expected.page);
        EXPECT_EQ(font.glyphs[c.code].column, c.expected.column);
        EXPECT_EQ(font.glyphs[c.code].row, c.expected.row);
    }
}

TEST(FontLoad, WidthsAndHeightsFollowTheAdvancesSpacingAndLines)
{
    FontLayout layout;
    layout.height = 12;
    // The file's blank (9) is overridden by the space width.
    layout.advance = [](int code) -> uint16_t {
        switch (code)
        {
        case 'a': return 5;
        case 'b': return 7;
        case 'c': return 3;
        case ' ': return 9;
        case 0xE9: return 11;
        default: return 1;
        }
    };
    C2DFont font;
    ASSERT_TRUE(Load(font, BuildFont(layout), 4, 2));
    const struct Case
    {
        std::string text;
        int width, height;
    } cases[] = {
        {"", 0, 0},
        {"ab\rc", 16, 24},            // max(5 + 7 + 2 x 2, 3 + 2)
        {"c\rab b", 5 + 7 + 4 + 7 + 8, 24},  // the blank advances 4 + 2
        {"\xE9", 13, 12},             // bytes above 127 are codes 128-255
        {"\r", 0, 24},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(font.GetTextWidth(c.text.c_str()), c.width);
        EXPECT_EQ(font.GetTextHeight(c.text.c_str()), c.height);
    }
}

TEST(FontLoad, DamagedFontsAreRefusedAndLeaveAnEmptyFontThatMeasuresNothing)
{
    const std::vector<uint8_t> good = BuildFont(FontLayout{});
    // The valid 4 x 4 font with a header that claims another cell size.
    auto withCell = [&good](uint16_t w, uint16_t h) {
        std::vector<uint8_t> bytes = good;
        bytes[16] = uint8_t(w);
        bytes[17] = uint8_t(w >> 8);
        bytes[18] = uint8_t(h);
        bytes[19] = uint8_t(h >> 8);
        return bytes;
    };
    const struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"no bytes", {}, "truncated header"},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 801), "truncated header"},
        {"zero width", withCell(0, 4), "cell size out of range"},
        {"zero height", withCell(4, 0), "cell size out of range"},
        {"width 255", withCell(255, 4), "cell size out of range"},
        {"height 65535", withCell(4, 65535), "cell size out of range"},
        {"last glyph cut short", std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated glyphs"},
        {"cell larger than the glyphs", withCell(8, 8), "truncated glyphs"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CTestLog log;
        C2DFont font;
        ASSERT_TRUE(Load(font, good));
        EXPECT_FALSE(Load(font, c.bytes));
        EXPECT_TRUE(font.IsEmpty());
        EXPECT_EQ(font.lineHeight, 0);
        EXPECT_EQ(font.GetTextWidth("abc"), 0);
        EXPECT_EQ(font.GetTextHeight("abc"), 0);
        EXPECT_TRUE(log.Contains(std::string("Damaged font file: test.fnt (") + c.reason + ")"));
    }
}

TEST(FontLoad, GameFontsComeFromTheLanguageFolderOfTheDataFile)
{
    // Each font with its own cell height; "hint2.fnt" is missing.
    const char* const names[] = {"old1.fnt", "old1-small.fnt", "small-numbers.fnt",
                                 "hint1.fnt", "hint2.fnt", "main-menu1.fnt"};
    const int missing = 4;
    CTestDataFile data;
    for (int i = 0; i < GameFontCount; ++i)
    {
        FontLayout layout;
        layout.height = uint16_t(10 + i);
        const std::vector<uint8_t> bytes = BuildFont(layout);
        if (i != missing)
            data.Add((CString("FONTS\\ENGLISH\\") + names[i]).ToUpper().GetBuffer(),
                     std::string(bytes.begin(), bytes.end()));
    }
    CScratchFolder folder;
    CString reason;
    ASSERT_EQ(LoadDataFile(folder.Write("v2krn.med", data.Build()).c_str(), false, reason), EDataFileResult::Loaded);

    CTestLog log;
    AllocGlobalFonts();
    LoadGameFonts("English\\");
    for (int i = 0; i < GameFontCount; ++i)
    {
        SCOPED_TRACE(names[i]);
        EXPECT_TRUE(log.Contains(std::string("Loading font:") + names[i]));
        EXPECT_EQ(GetGlobalFont(i)->lineHeight, i == missing ? 0 : 10 + i);
    }
    EXPECT_TRUE(log.Contains("File not found:Fonts\\English\\hint2.fnt"));
    EXPECT_TRUE(GetGlobalFont(missing)->IsEmpty());
    // Space width 4 and spacing 2, but 10 and 1 for the main menu's font.
    EXPECT_EQ(GetGlobalFont(0)->GetTextWidth("a b"), 6 + 6 + 6);
    EXPECT_EQ(GetGlobalFont(5)->GetTextWidth("a b"), 5 + 11 + 5);
    ReleaseGameFonts();
    EXPECT_TRUE(GetGlobalFont(0)->IsEmpty());
    FreeGlobalFonts();
    ShutdownFileSystem();
}
