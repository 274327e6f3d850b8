// Damaged font files; text printed on the real device and read back; a glyph printed at x covers x + 2 to x + W + 1.

#include <tuple>

#include "tests/media/GUIDevice.h"
#include "tests/support/TestLog.h"

namespace
{
bool Load(C2DFont& font, const std::vector<uint8_t>& bytes, int spaceWidth = 4, int spacing = 2)
{
    return font.LoadFromMemory(bytes.data(), int64_t(bytes.size()), "test.fnt", spaceWidth, spacing);
}

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Black = 0x000000;

// A grey level blended at alpha a (0-255) over a grey background.
uint32_t Blend(uint32_t source, uint32_t background, int a)
{
    return uint32_t((int(source & 0xFF) * a + int(background & 0xFF) * (255 - a)) / 255) * 0x010101;
}
} // namespace

TEST(FontLoad, DamagedFontsAreRefusedAndLeaveAnEmptyFontThatMeasuresNothing)
{
    const std::vector<uint8_t> good = BuildFont(FontLayout{});
    // The valid 4 x 4 font with a header that claims another cell size.
    auto withCell = [&good](uint16_t w, uint16_t h) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + 16);
        PushLE(bytes, w | uint32_t(h) << 16, 4);
        bytes.insert(bytes.end(), good.begin() + 20, good.end());
        return bytes;
    };
    const struct { const char* what; std::vector<uint8_t> bytes; const char* reason; } cases[] = {
        {"no bytes", {}, "truncated header"},
        {"header cut short", std::vector<uint8_t>(good.begin(), good.begin() + 801), "truncated header"},
        {"zero width", withCell(0, 4), "cell size out of range"},
        {"zero height", withCell(4, 0), "cell size out of range"},
        {"width 255", withCell(255, 4), "cell size out of range"},
        {"height 65535", withCell(4, 65535), "cell size out of range"},
        {"last glyph cut short", std::vector<uint8_t>(good.begin(), good.end() - 1), "truncated glyphs"},
        {"cell larger than the glyphs", withCell(8, 8), "truncated glyphs"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CTestLog log;
        C2DFont font;
        ASSERT_TRUE(Load(font, good));
        EXPECT_TRUE(!Load(font, c.bytes) && font.IsEmpty() &&
                    (font.lineHeight + font.GetTextWidth("abc") + font.GetTextHeight("abc")) == 0);
        EXPECT_EQ(log.Lines(), std::vector<std::string>{std::string("Damaged font file: test.fnt (") + c.reason + ")"});
    }

    // Cells of (W + 2) x (H + 2) on 256 x 256 pages: 10 x 12 gives 21 x 18 on one page, glyph 255 in
    // its 255th cell; 30 x 30 gives 8 x 8 and four pages, glyph 255 the 63rd cell of the last.  A side
    // of 254, the most a cell may have, leaves one cell across (or down) and 85 the other way.
    const struct { uint16_t w, h; int columns, rows, pages, page, column, row; } layouts[] = {
        {10, 12, 21, 18, 1, 0, 2, 12}, {30, 30, 8, 8, 4, 3, 6, 7}, {254, 1, 1, 85, 3, 2, 0, 84},
        {1, 254, 85, 1, 3, 2, 84, 0}};
    for (const auto& l : layouts)
    {
        C2DFont font;
        ASSERT_TRUE(Load(font, BuildFont(FontLayout{l.w, l.h})));
        const C2DFont::SGlyph& last = font.glyphs[255];
        EXPECT_EQ((std::vector<int>{l.columns, l.rows, l.pages, l.page, l.column, l.row}),
                  (std::vector<int>{font.columnsPerPage, font.rowsPerPage, font.pageCount, last.page, last.column,
                                    last.row}));
    }
}

using FontPrint = MediaDevice;

TEST_F(FontPrint, GlyphPixelsStandOnePixelInsideTheirCellAndBelowCoverage32AreNotDrawn)
{
    // Glyph 'a' of 4 x 2: top row coverage 16, 31, 32, 255; bottom row a pattern that shows the orientation.  4-bit
    // alpha: 16 -> 17 and 31 -> 17 fail the alpha test against 32, 32 -> 34 is drawn at 34/255.
    C2DFont font;
    FontLayout layout{4, 2};
    layout.coverage = [](int code, int i, int j) -> uint8_t {
        static const uint8_t rows[2][4] = {{16, 31, 32, 255}, {255, 0, 0, 255}};
        return code == 'a' ? rows[j][i] : 0;
    };
    ASSERT_TRUE(Load(font, BuildFont(layout)));
    Clear(Black);
    font.Print(10, 20, "a", White, C2DFont::AlignLeft);
    ReadBack();
    // Row 21 is the cell border, column 16 and row 24 past the glyph.
    for (const auto& [x, y, lit] : {std::tuple{11, 21, false}, {12, 22, false}, {13, 22, false}, {15, 22, true},
                                    {12, 23, true}, {13, 23, false}, {15, 23, true}, {16, 22, false},
                                    {12, 24, false}})
        EXPECT_EQ(Pixel(x, y), lit ? White : Black) << x << ", " << y;
    EXPECT_TRUE(Close(Pixel(14, 22), Blend(White, Black, 34), 2)) << std::hex << Pixel(14, 22);
    EXPECT_EQ(RenderState(Sys3DRenderState::AlphaRef), 32u);

    // The shadow and the text at half opacity: text on 12-15, shadow on 14-17.
    constexpr uint32_t Grey = 0x404040;
    ASSERT_TRUE(Load(font, BuildFont(FontLayout{})));
    Clear(Grey);
    font.alpha = 128;
    font.PrintShadow(10, 10, "a", White, C2DFont::AlignLeft);
    font.alpha = C2DFont::NoAlpha;
    ReadBack();
    const uint32_t shadowOnly = Blend(Black, Grey, 128);
    EXPECT_TRUE(Close(Pixel(17, 17), shadowOnly, 2)) << std::hex << Pixel(17, 17);
    EXPECT_TRUE(Close(Pixel(12, 12), Blend(White, Grey, 128), 2)) << std::hex << Pixel(12, 12);
    EXPECT_TRUE(Close(Pixel(15, 15), Blend(White, shadowOnly, 128), 2)) << std::hex << Pixel(15, 15);
    EXPECT_TRUE(Pixel(18, 18) == Grey && RenderState(Sys3DRenderState::AlphaBlendEnable) == 0u);
}
