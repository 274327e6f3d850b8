// Pictures in tiles and text drawn on the real device and read back; a glyph printed at x covers x + 2 to x + W + 1.

#include <tuple>

#include "media/C_TGA.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/TestLog.h"

namespace
{
// Colours exact in every 16-bit format: channels 0 or 255.
constexpr uint32_t Palette[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00};
constexpr uint32_t Key = 0xFF0000;
constexpr size_t HeadSize = 24 + 16 * 8;
constexpr size_t TextureHeadSize = 6 * 4 + 1 + 4 + 1 + 4 + 1 + 4;

uint32_t PatternAt(int x, int y) { return Palette[(x * 7 + y * 3) % 6]; }

CBitmap32 Pattern(int w, int h)
{
    CBitmap32 bitmap;
    bitmap.Create(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.PutPixel(x, y, PatternAt(x, y));
    return bitmap;
}

int32_t I32At(const std::string& bytes, size_t at) { return CRecordBytes::I32At(bytes, at); }

bool Load(C2DFont& font, const std::vector<uint8_t>& bytes, int spaceWidth = 4, int spacing = 2)
{
    return font.LoadFromMemory(bytes.data(), int64_t(bytes.size()), "test.fnt", spaceWidth, spacing);
}

constexpr uint32_t White = 0xFFFFFF, Black = 0x000000;

// A grey level blended at alpha a (0-255) over a grey background.
uint32_t Blend(uint32_t source, uint32_t background, int a)
{
    return uint32_t((int(source & 0xFF) * a + int(background & 0xFF) * (255 - a)) / 255) * 0x010101;
}
} // namespace

class Image2DTiles : public MediaDevice
{
protected:
    // The w x h picture part at (sourceX, sourceY) shows at (left, top) but its key pixels; all else is background.
    void ExpectPicture(int left, int top, int w, int h, int sourceX, int sourceY, bool keyed)
    {
        const std::vector<uint32_t>& screen = ReadBack();
        int wrong = 0;
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x)
            {
                uint32_t expected = Background;
                if (x >= left && y >= top && x < left + w && y < top + h)
                    expected = PatternAt(x - left + sourceX, y - top + sourceY);
                if (keyed && expected == Key)
                    expected = Background;
                const uint32_t got = screen[size_t(y * Side + x)];
                if (got != expected && ++wrong <= 3)
                    ADD_FAILURE() << "pixel " << x << ", " << y << std::hex << ": " << got << " not " << expected;
            }
        EXPECT_EQ(wrong, 0);
        Clear(Background);
    }
};

TEST_F(Image2DTiles, EveryDrawShowsEveryPixelAcrossTheTileSeamAndOversizedOrMissingPicturesNone)
{
    CScratchFolder folder;
    CTGA tga;
    static_cast<CBitmap32&>(tga) = Pattern(300, 200);
    ASSERT_TRUE(tga.Save((folder / "a.tga").c_str()));
    C2DImage image;
    ASSERT_TRUE(image.Load((folder / "a.tga").c_str()));
    // The seam at picture column 256 is pixel 16.  Smooth filtering only when scaled: point sampling keeps every pixel.
    image.Render(-240, 3);
    ExpectPicture(-240, 3, 300, 200, 0, 0, false);
    image.Render(-240.0f, 3.0f, -1.0f, -1.0f, 255);
    ExpectPicture(-240, 3, 300, 200, 0, 0, false);
    image.RenderStretch(-240, 3, -1, -1, true);
    ExpectPicture(-240, 3, 300, 200, 0, 0, false);
    // A part across the seam, and one clipped to the picture.
    image.RenderPart(5, 7, 240, 10, 30, 20, 0xFFFFFF);
    ExpectPicture(5, 7, 30, 20, 240, 10, false);
    image.RenderPart(2, 4, 290, 190, 50, 50, 0xFFFFFF);
    ExpectPicture(2, 4, 10, 10, 290, 190, false);
    // Colour-keyed pixels leave the screen as it was.
    C2DImage keyed;
    keyed.colourKey = Key;
    ASSERT_TRUE(keyed.CreateFromBitmap(Pattern(40, 30)));
    keyed.Render(5, 6);
    ExpectPicture(5, 6, 40, 30, 0, 0, true);
    EXPECT_EQ(RenderState(Sys3DRenderState::AlphaFunc), uint32_t(Sys3DCompare::Always));

    // Over 1024 pixels on a side, or a missing file, the image is left empty.
    CTestLog log;
    for (const auto& [w, h] : {std::pair{1025, 10}, std::pair{10, 1025}})
    {
        ASSERT_TRUE(keyed.CreateFromBitmap(Pattern(600, 600)));
        EXPECT_TRUE(!keyed.CreateFromBitmap(Pattern(w, h)) && keyed.IsEmpty() && keyed.width == 0 &&
                    keyed.tiles[0].IsEmpty());
        EXPECT_TRUE(log.Contains("2D image larger than 1024 x 1024 refused: " + std::to_string(w) + " x "
                                 + std::to_string(h)));
    }
    const std::string missing = folder / "missing.tga";
    EXPECT_TRUE(!image.Load(missing.c_str()) && image.IsEmpty() && log.Contains("Loading 2D Image:" + missing));
    EXPECT_TRUE(log.Contains("#DEBUG: C2DImage ReLoaded"));
    image.Render(0, 0);
    ExpectPicture(0, 0, 0, 0, 0, 0, false);
}

TEST_F(Image2DTiles, SavedSectionHoldsTheFieldsAndUsedTilesAndADamagedOneIsRefused)
{
    C2DImage image;
    image.colourKey = Key;
    ASSERT_TRUE(image.CreateFromBitmap(Pattern(300, 40)));
    image.colour = 0x00FF00;
    CMemorySaveStream out;
    image.Save(out);
    const std::string saved = out.Bytes();
    // Width, height, alpha, key, tiles across and down, 16 visible sizes; tiles of 256 and 64, 16-bit texels.
    EXPECT_EQ((std::vector<int32_t>{I32At(saved, 0), I32At(saved, 4), I32At(saved, 8), I32At(saved, 12),
                                    I32At(saved, 16), I32At(saved, 20), I32At(saved, 24 + 32)}),
              (std::vector<int32_t>{300, 40, 255, int32_t(Key), 2, 1, 44}));
    const size_t second = HeadSize + TextureHeadSize + 256 * 256 * 2;
    EXPECT_TRUE(I32At(saved, second) == 64 && saved.size() == second + TextureHeadSize + 64 * 64 * 2);
    // Loaded back, all but the colour.
    CMemorySaveStream in(saved);
    C2DImage back;
    back.colour = 0x123456;
    ASSERT_TRUE(back.LoadSaved(in));
    EXPECT_TRUE(!in.HasError() && in.Position() == saved.size() && back.colour == 0x123456u);
    back.colour = 0xFFFFFF;
    back.Render(-250, 10);  // tiles (0, 0) and (1, 0) on screen
    ExpectPicture(-250, 10, 300, 40, 0, 0, true);

    const std::string refused = "2D image section refused: ";
    constexpr size_t None = std::string::npos;
    // A 32-bit value put at `at`, or the section cut to `cutTo` bytes.
    const struct { const char* what; size_t at; int32_t value; size_t cutTo; std::string line; } cases[] = {
        {"tiles across 9", 16, 9, None, refused + "the tile counts do not match the size"},
        {"width 5000", 0, 5000, None, refused + "the size is out of range"},
        {"height -1", 4, -1, None, refused + "the size is out of range"},
        {"visible width 999", 24, 999, None, refused + "a tile's visible size does not match the size"},
        {"tile texture 128 wide", HeadSize, 128, None, refused + "a tile's texture does not match its visible size"},
        {"tile texture format 99", HeadSize + 8, 99, None, "Damaged texture record in saved game"},
        {"cut in the sizes", None, 0, 100, refused + "the record is cut short"},
        {"cut in the pixels", None, 0, HeadSize + TextureHeadSize + 10, refused + "the record is cut short"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string bytes = c.at != None ? CRecordBytes::WithI32At(saved, c.at, c.value) : saved;
        if (c.cutTo != None)
            bytes.resize(c.cutTo);
        CTestLog log;
        CMemorySaveStream damaged(bytes);
        ASSERT_TRUE(back.CreateFromBitmap(Pattern(8, 8)));
        EXPECT_TRUE(!back.LoadSaved(damaged) && damaged.HasError());
        EXPECT_TRUE(back.IsEmpty() && back.width == 0 && back.tiles[0].IsEmpty());
        EXPECT_TRUE(log.Contains(c.line)) << log.Contents();
        back.Render(0, 0);
        ExpectPicture(0, 0, 0, 0, 0, 0, false);
    }
}

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
        {"cell larger than the glyphs", withCell(8, 8), "truncated glyphs"}};
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
    Close();  // the font's pages outlive the device and must let go of it quietly
}
