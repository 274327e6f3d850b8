// Text printed on the real device and read back from the back buffer: glyph
// pixels one pixel inside their cell, the coverage threshold of the 4-bit
// glyph alpha, alignment of every line, the shadow at half opacity and page
// switches, and a font of the generator.  A glyph printed at x covers
// pixels x + 2 to x + W + 1.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "media/C_2DFont.h"
#include "tests/media/FontBytes.h"
#include "tests/media/MediaDevice.h"
#include "tests/support/ScratchFolder.h"

namespace
{
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Black = 0x000000;

bool Near(uint32_t a, uint32_t b, int tolerance = 2)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// A grey level blended at alpha a (0-255) over a grey background.
uint32_t Blend(uint32_t source, uint32_t background, int a)
{
    const int level = (int(source & 0xFF) * a + int(background & 0xFF) * (255 - a)) / 255;
    return uint32_t(level) * 0x010101;
}
} // namespace

class FontPrint : public MediaDevice
{
protected:
    void LoadFont(const FontLayout& layout, int spaceWidth, int spacing)
    {
        const std::vector<uint8_t> bytes = BuildFont(layout);
        ASSERT_TRUE(m_Font.LoadFromMemory(bytes.data(), int64_t(bytes.size()), "test.fnt", spaceWidth, spacing));
    }

    void ExpectRestingStates()
    {
        EXPECT_EQ(RenderState(Sys3DRenderState::AlphaFunc), uint32_t(Sys3DCompare::Always));
        EXPECT_EQ(RenderState(Sys3DRenderState::AlphaBlendEnable), 0u);
        EXPECT_EQ(RenderState(Sys3DRenderState::AlphaRef), 32u);
        EXPECT_EQ(StageState(Sys3DStageState::AlphaOp), uint32_t(Sys3DTextureOp::SelectArg1));
    }

    C2DFont m_Font;
};

TEST_F(FontPrint, GlyphPixelsStandOnePixelInsideTheirCellAndBelowCoverage32AreNotDrawn)
{
    // Glyph 'a' of 4 x 2: top row coverage 16, 31, 32, 255; bottom row a
    // pattern that shows the orientation.  4-bit alpha: 16 -> 17 and 31 ->
    // 17 fail the alpha test against 32, 32 -> 34 is drawn at 34/255.
    FontLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.coverage = [](int code, int i, int j) -> uint8_t {
        if (code != 'a')
            return 0;
        static const uint8_t rows[2][4] = {{16, 31, 32, 255}, {255, 0, 0, 255}};
        return rows[j][i];
    };
    LoadFont(layout, 4, 2);
    Clear(Black);
    m_Font.Print(10, 20, "a", White, C2DFont::AlignLeft);
    EXPECT_EQ(Pixel(11, 21), Black);  // the cell border
    EXPECT_EQ(Pixel(12, 22), Black);
    EXPECT_EQ(Pixel(13, 22), Black);
    EXPECT_TRUE(Near(Pixel(14, 22), Blend(White, Black, 34))) << std::hex << Pixel(14, 22);
    EXPECT_EQ(Pixel(15, 22), White);
    EXPECT_EQ(Pixel(12, 23), White);
    EXPECT_EQ(Pixel(13, 23), Black);
    EXPECT_EQ(Pixel(15, 23), White);
    EXPECT_EQ(Pixel(16, 22), Black);
    EXPECT_EQ(Pixel(12, 24), Black);
    ExpectRestingStates();
}

TEST_F(FontPrint, EveryLineKeepsItsAlignmentOnItsOwnWidth)
{
    // Solid 4 x 4 glyphs; 'a' and 'b' advance 4, 'c' 6; spacing 1.  Line 1
    // "ab" is 10 wide, line 2 "c" 7 wide; lines are 4 apart.
    FontLayout layout;
    layout.advance = [](int code) -> uint16_t { return code == 'c' ? 6 : 4; };
    LoadFont(layout, 4, 1);
    const char* text = "ab\rc";
    const struct Case
    {
        int align;
        int x;
        int firstLineLeft, secondLineLeft;  // leftmost lit pixel
    } cases[] = {
        {C2DFont::AlignLeft, 20, 22, 22},
        {C2DFont::AlignRight, 40, 32, 35},   // 40 - 10 + 2, 40 - 7 + 2
        {C2DFont::AlignCentre, 30, 27, 29},  // 30 - 5 + 2, 30 - 3 + 2
        {7, 20, 22, 22},                     // unknown: left
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "align " << c.align);
        Clear(Black);
        m_Font.Print(c.x, 10, text, White, c.align);
        EXPECT_EQ(Pixel(c.firstLineLeft - 1, 12), Black);
        EXPECT_EQ(Pixel(c.firstLineLeft, 12), White);
        EXPECT_EQ(Pixel(c.firstLineLeft + 8, 12), White);  // 'b', 5 further
        EXPECT_EQ(Pixel(c.firstLineLeft + 9, 12), Black);
        EXPECT_EQ(Pixel(c.secondLineLeft - 1, 16), Black);
        EXPECT_EQ(Pixel(c.secondLineLeft, 16), White);
        EXPECT_EQ(Pixel(c.secondLineLeft + 3, 16), White);
        EXPECT_EQ(Pixel(c.secondLineLeft + 4, 16), Black);
    }
}

TEST_F(FontPrint, ShadowAndTextAtHalfOpacityBlendOverTheScreen)
{
    FontLayout layout;  // solid 4 x 4 glyphs
    LoadFont(layout, 4, 2);
    constexpr uint32_t Grey = 0x404040;
    Clear(Grey);
    m_Font.alpha = 128;
    m_Font.PrintShadow(10, 10, "a", White, C2DFont::AlignLeft);
    m_Font.alpha = C2DFont::NoAlpha;
    // Text on pixels 12-15, the shadow on 14-17.
    const uint32_t shadowOnly = Blend(Black, Grey, 128);
    EXPECT_TRUE(Near(Pixel(17, 17), shadowOnly)) << std::hex << Pixel(17, 17);
    EXPECT_TRUE(Near(Pixel(12, 12), Blend(White, Grey, 128))) << std::hex << Pixel(12, 12);
    EXPECT_TRUE(Near(Pixel(15, 15), Blend(White, shadowOnly, 128))) << std::hex << Pixel(15, 15);
    EXPECT_EQ(Pixel(18, 18), Grey);
    ExpectRestingStates();
}

TEST_F(FontPrint, GlyphsOfSeveralPagesDrawFromTheirOwnPage)
{
    // 30 x 30 cells: code 1 is cell (0, 0) of page 0, code 65 cell (0, 0) of
    // page 1.  Code 1 has its left half inked, code 65 its right half.
    FontLayout layout;
    layout.width = 30;
    layout.height = 30;
    layout.advance = [](int) { return uint16_t(30); };
    layout.coverage = [](int code, int i, int) -> uint8_t {
        if (code == 1)
            return i < 15 ? 255 : 0;
        if (code == 65)
            return i >= 15 ? 255 : 0;
        return 0;
    };
    LoadFont(layout, 4, 0);
    ASSERT_EQ(m_Font.pageCount, 4);
    Clear(Black);
    m_Font.Print(0, 0, "\x01\x41\x01", 0x00FF00, C2DFont::AlignLeft);
    EXPECT_EQ(Pixel(2, 10), 0x00FF00u);
    EXPECT_EQ(Pixel(16, 10), 0x00FF00u);
    EXPECT_EQ(Pixel(17, 10), Black);
    EXPECT_EQ(Pixel(46, 10), Black);
    EXPECT_EQ(Pixel(47, 10), 0x00FF00u);
    EXPECT_EQ(Pixel(61, 10), 0x00FF00u);
    EXPECT_EQ(Pixel(62, 10), 0x00FF00u);  // the third glyph, code 1 again
}

TEST_F(FontPrint, GeneratedFontMeasuresAndDrawsItsGlyphTable)
{
    CScratchFolder folder;
    const std::string command = std::string("'") + V2KRN_TOOLS_DIR + "/mkfont' 2 '" + folder.Path() + "a.fnt'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(m_Font.Load(folder.Path().c_str(), "a.fnt", 4, 2));
    EXPECT_EQ(m_Font.cellHeight, 18);  // 7 rows and 2 for descenders, 2 x 2 pixels a dot
    EXPECT_EQ(m_Font.charWidth['M'], 10);
    EXPECT_EQ(m_Font.charWidth['i'], 6);  // three inked columns
    EXPECT_EQ(m_Font.charWidth[0xE9], 10);  // the box of codes without a glyph
    // 'H': the outer columns inked on all 7 rows, the middle one on row 3.
    Clear(Black);
    m_Font.Print(10, 10, "H", White, C2DFont::AlignLeft);
    EXPECT_EQ(Pixel(12, 12), White);
    EXPECT_EQ(Pixel(13, 25), White);
    EXPECT_EQ(Pixel(14, 12), Black);
    EXPECT_EQ(Pixel(16, 18), White);
    EXPECT_EQ(Pixel(12, 26), Black);
}
