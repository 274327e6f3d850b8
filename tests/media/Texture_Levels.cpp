// A glyph printed at x covers x + 2 to x + W + 1.

#include <tuple>

#include "media/C_TGA.h"
#include "media/C_Texture.h"
#include "platform/SysDevice3DTexture.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/TestLog.h"

namespace
{
// Colours exact in every 16-bit format: channels 0 or 255.
constexpr uint32_t Palette[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00};
constexpr size_t HeadSize = 24 + 16 * 8;
constexpr size_t TextureHeadSize = 6 * 4 + 1 + 4 + 1 + 4 + 1 + 4;

uint32_t PatternAt(int x, int y) { return Palette[(x * 7 + y * 3) % 6]; }

CBitmap32 Pattern(int w, int h)
{
    CBitmap32 bitmap;
    bitmap.Create(w, h);
    for (int y = 0; y < h; ++y) for (int x = 0; x < w; ++x) bitmap.PutPixel(x, y, PatternAt(x, y));
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

using Texels = std::vector<uint32_t>;

constexpr uint32_t Key = 0xFF0000, G = 0x00FF00, B = 0x0000FF;
constexpr uint32_t O = 0xFF000000;  // opaque
constexpr uint32_t A8 = CTexture::FormatA8R8G8B8, A4 = CTexture::FormatA4R4G4B4, A1 = CTexture::FormatA1R5G5B5;
constexpr uint32_t R5 = CTexture::FormatR5G6B5, X8 = CTexture::FormatX8R8G8B8;
constexpr uint32_t None = CTexture::None, PixelAlpha = CTexture::PixelAlpha;

// The texels of a level, 16 or 32 bits each by the format.
Texels LevelTexels(CTexture& texture, uint32_t level)
{
    int32_t w = 0, h = 0;
    EXPECT_EQ(texture.texture->GetLevelSize(level, w, h), Sys3DError::Ok);
    Sys3DLockedRect locked;
    EXPECT_EQ(texture.texture->LockRect(level, locked), Sys3DError::Ok);
    Texels texels(size_t(w * h));
    for (size_t i = 0; i < texels.size(); ++i)
        texels[i] = texture.format == A8 || texture.format == X8 ? static_cast<const uint32_t*>(locked.bits)[i]
                                                                 : static_cast<const uint16_t*>(locked.bits)[i];
    texture.texture->UnlockRect(level);
    return texels;
}

struct Settings
{
    uint32_t format = A8, alpha = 255, key = None, playerColour = None, singleLevel = 1;
    int32_t reduce = 0;
};

void Apply(CTexture& texture, const Settings& s)
{
    texture.format = s.format, texture.alpha = s.alpha, texture.colourKey = s.key;
    texture.playerColour = s.playerColour, texture.singleLevel = uint8_t(s.singleLevel), texture.reduce = s.reduce;
}

void Fill(CTexture& texture, const Settings& s, int w, int h, Texels pixels)
{
    Apply(texture, s);
    ASSERT_TRUE(texture.Create(w, h));
    texture.SetImageFromMem(w, h, pixels.data());
}

constexpr uint32_t Red = 0xFFFF0000, Green = 0xFF00FF00;  // with their alpha, for the vertex batch

uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }
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
                if (keyed && expected == Key) expected = Background;
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
    image.Render(-240, 3), ExpectPicture(-240, 3, 300, 200, 0, 0, false);
    image.Render(-240.0f, 3.0f, -1.0f, -1.0f, 255), ExpectPicture(-240, 3, 300, 200, 0, 0, false);
    image.RenderStretch(-240, 3, -1, -1, true), ExpectPicture(-240, 3, 300, 200, 0, 0, false);
    // A part across the seam, and one clipped to the picture.
    image.RenderPart(5, 7, 240, 10, 30, 20, 0xFFFFFF), ExpectPicture(5, 7, 30, 20, 240, 10, false);
    image.RenderPart(2, 4, 290, 190, 50, 50, 0xFFFFFF), ExpectPicture(2, 4, 10, 10, 290, 190, false);
    // Colour-keyed pixels leave the screen as it was.
    C2DImage keyed;
    keyed.colourKey = Key;
    ASSERT_TRUE(keyed.CreateFromBitmap(Pattern(40, 30)));
    keyed.Render(5, 6), ExpectPicture(5, 6, 40, 30, 0, 0, true);
    EXPECT_EQ(RenderState(Sys3DRenderState::AlphaFunc), uint32_t(Sys3DCompare::Always));
    // Faded to 20 on a scaled screen and at (6, 6) on this one, green blended over the grey; the states given back.
    g_Config.screenWidth = 512, keyed.Render(5, 6, -1, -1, 20), g_Config.screenWidth = 1024, Clear(Background);
    keyed.Render(5.0f, 6.0f, -1.0f, -1.0f, 20), ReadBack(), Clear(Background);
    using R = Sys3DRenderState;
    EXPECT_EQ((Texels{Close(Pixel(6, 6), 0x3B4F3B, 2), RenderState(R::AlphaFunc), RenderState(R::AlphaBlendEnable),
                      RenderState(R::AlphaRef), StageState(Sys3DStageState::AlphaOp),
                      StageState(Sys3DStageState::MinFilter), StageState(Sys3DStageState::MagFilter)}),
              (Texels{1, uint32_t(Sys3DCompare::Always), 0, 32, uint32_t(Sys3DTextureOp::SelectArg1),
                      uint32_t(Sys3DFilter::Point), uint32_t(Sys3DFilter::Point)})) << std::hex << Pixel(6, 6);
    // A fade passes the faded alpha test only above 8.
    keyed.Render(5.0f, 6.0f, -1.0f, -1.0f, 8), ReadBack(), Clear(Background);
    const uint32_t fadedTo8 = Pixel(6, 6);
    keyed.Render(5.0f, 6.0f, -1.0f, -1.0f, 9), ReadBack(), Clear(Background);
    EXPECT_TRUE(fadedTo8 == Background && Pixel(6, 6) != Background) << std::hex << fadedTo8 << ' ' << Pixel(6, 6);

    // Made smaller on a scaled screen the picture is filtered: black and white one-pixel stripes turn grey.
    CBitmap32 stripes;
    stripes.Create(16, 16);
    for (int32_t i = 0; i < 256; ++i) stripes.PutPixel(i % 16, i / 16, i % 2 != 0 ? 0xFFFFFFFFu : 0xFF000000u);
    C2DImage striped;
    ASSERT_TRUE(striped.CreateFromBitmap(stripes));
    g_Config.screenWidth = 512, striped.Render(40, 40), g_Config.screenWidth = 1024, ReadBack(), Clear(Background);
    std::set<uint32_t> colours;
    for (int32_t x = 0; x < 64; ++x) for (int32_t y = 0; y < 64; ++y) colours.insert(Pixel(x, y));
    EXPECT_TRUE(std::ranges::any_of(colours, [](uint32_t c) { return c != 0 && c != 0xFFFFFF && c != Background; }));
    // A picture one pixel high or wide is an image; over 1024 pixels on a side, or a missing file, none.
    EXPECT_TRUE(keyed.CreateFromBitmap(Pattern(40, 1)) && keyed.CreateFromBitmap(Pattern(1, 30)) && !keyed.IsEmpty());
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
    image.Render(0, 0), ExpectPicture(0, 0, 0, 0, 0, 0, false);
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
    back.colour = 0xFFFFFF, back.Render(-250, 10);  // tiles (0, 0) and (1, 0) on screen
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
        if (c.cutTo != None) bytes.resize(c.cutTo);
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
                    (font.lineHeight + font.GetTextWidth("abc") + font.GetTextHeight("abc") + font.cellWidth +
                     font.cellHeight + font.columnsPerPage + font.rowsPerPage) == 0);
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
    Clear(Black), font.Print(10, 20, "a", White, C2DFont::AlignLeft), ReadBack();
    // Row 21 is the cell border, column 16 and row 24 past the glyph.
    for (const auto& [x, y, lit] : {std::tuple{11, 21, false}, {12, 22, false}, {13, 22, false}, {15, 22, true},
                                    {12, 23, true}, {13, 23, false}, {15, 23, true}, {16, 22, false},
                                    {12, 24, false}}) EXPECT_EQ(Pixel(x, y), lit ? White : Black) << x << ", " << y;
    EXPECT_TRUE(Close(Pixel(14, 22), Blend(White, Black, 34), 2)) << std::hex << Pixel(14, 22);
    EXPECT_EQ(RenderState(Sys3DRenderState::AlphaRef), 32u);

    // The shadow and the text at half opacity, right-aligned on 16: "b" on 12-15, its shadow on 14-17; the line four
    // returns down is aligned on its own width, its "a" on 12-15 from row 28.
    constexpr uint32_t Grey = 0x404040;
    const char* text = "ab\r\r\r\ra";
    ASSERT_TRUE(Load(font, BuildFont({})) && font.GetTextWidth("a\r\rab") == 12 && font.GetTextHeight(text) == 20);
    Clear(Grey);
    font.alpha = 128, font.PrintShadow(16, 10, text, White, C2DFont::AlignRight), font.alpha = C2DFont::NoAlpha;
    ReadBack();
    const uint32_t shadowOnly = Blend(Black, Grey, 128);
    EXPECT_TRUE(Close(Pixel(17, 17), shadowOnly, 2)) << std::hex << Pixel(17, 17);
    EXPECT_TRUE(Close(Pixel(12, 12), Blend(White, Grey, 128), 2) && Pixel(13, 29) == Pixel(12, 12))
        << std::hex << Pixel(12, 12) << " " << Pixel(13, 29);
    EXPECT_TRUE(Close(Pixel(15, 15), Blend(White, shadowOnly, 128), 2)) << std::hex << Pixel(15, 15);
    EXPECT_TRUE(Pixel(18, 18) == Grey && RenderState(Sys3DRenderState::AlphaBlendEnable) == 0u);
    Close();  // the font's pages outlive the device and must let go of it quietly
}

using TextureLevels = MediaDevice;

TEST_F(TextureLevels, TexelsOfEachLevelFollowFormatKeyAlphaAndPlayerColour)
{
    // Blue 0, 8, .. 56 over 4, 12, .. 60; and blue = 20 y + 2 x on an odd 5 x 3.
    const Texels wide = {0, 8, 16, 24, 32, 40, 48, 56, 4, 12, 20, 28, 36, 44, 52, 60};
    const Texels odd = {0, 2, 4, 6, 8, 20, 22, 24, 26, 28, 40, 42, 44, 46, 48};
    const Settings mip{A8, 255, None, None, 0};
    const struct Case { const char* name; Settings settings; int w, h; Texels pixels; uint32_t level; Texels expected; }
        cases[] = {
        {"non-square level 1", mip, 8, 2, wide, 1, {O | 6, O | 22, O | 38, O | 54}},
        {"non-square level 3", mip, 8, 2, wide, 3, {O | 30}}, {"odd side level 2", mip, 5, 3, odd, 2, {O | 13}},
        // A key takes the average of its diagonal neighbours that are no key,
        // alpha 0: (0x30 + 0x10 + 0) / 3 red, 0x30 / 3 blue; with none, itself.
        {"key bleed", {A8, 255, Key}, 3, 3, {0x300000, G, 0x100000, G, Key, G, 0x000030, G, Key}, 0,
         {O | 0x300000, O | G, O | 0x100000, O | G, 0x00150010, O | G, O | 0x000030, O | G, 0x00FF0000}},
        {"mip skips keys", {A8, 255, Key, None, 0}, 2, 2, {Key, Key, Key, 0x000080}, 1, {O | 0x80}},
        {"mip of keys only", {A8, 255, Key, None, 0}, 2, 2, {Key, Key, Key, Key}, 1, {0x00FF0000}},
        {"pixel alpha level 1", {A8, PixelAlpha, None, None, 0}, 2, 1, {0x40000010, 0xC0000030}, 1, {0x80000020}},
        {"pixel alpha 4 bits", {A4, PixelAlpha}, 1, 1, {0x80112233}, 0, {0x8123}},
        // A magenta shade keeps its alpha; an opaque key has no neighbour and stays clear.
        {"pixel alpha colour and key", {A8, PixelAlpha, 0xFFFF0000, 0x00FF00}, 2, 1, {0xC0FF00FF, 0xFFFF0000}, 0,
         {0xC000FE00, 0x00FF0000}},
        {"constant alpha", {A4, 0x70, Key}, 2, 1, {0xFFFFFF, Key}, 0, {0x7FFF, 0x0F00}},
        // m 255: 255 x (255, 128, 64) / 256 = (254, 127, 63); m 128: (127, 64, 32).
        {"player colour", {A8, 255, None, 0xFF8040, 0}, 2, 1, {0xFF00FF, 0x800080}, 0, {0xFFFE7F3F, 0xFF7F4020}},
        {"player colour level 1", {A8, 255, None, 0xFF8040, 0}, 2, 1, {0xFF00FF, 0x800080}, 1, {0xFFBE5F2F}}};
    for (const Case& c : cases)
    {
        CTexture texture;
        ASSERT_NO_FATAL_FAILURE(Fill(texture, c.settings, c.w, c.h, c.pixels));
        EXPECT_EQ(LevelTexels(texture, c.level), c.expected) << c.name;
    }
    CTexture chain;
    Fill(chain, mip, 8, 2, wide);
    EXPECT_EQ(chain.texture->GetLevelCount(), 4u);
    chain.SetImageFromMem(4, 4, Texels(16, 0xFFFFFF).data());  // another size than the texture's: refused
    EXPECT_EQ(LevelTexels(chain, 3), (Texels{O | 30}));
    // The device makes at most the full chain's levels (4 for 8 x 2) and refuses more.
    std::unique_ptr<SysDevice3DTexture> made;
    EXPECT_TRUE(GetD3DDevice()->CreateTexture(8, 2, 4, Sys3DFormat::A8R8G8B8, made) == Sys3DError::Ok &&
                made->GetLevelCount() == 4u && made->GetFormat() == Sys3DFormat::A8R8G8B8);
    EXPECT_TRUE(GetD3DDevice()->CreateTexture(8, 2, 5, Sys3DFormat::A8R8G8B8, made) == Sys3DError::InvalidCall &&
                made == nullptr);
}

TEST_F(TextureLevels, CreatedAgainOrLoadedFromAFileWholeOrReduced)
{
    CScratchFolder folder;
    CTestLog log;
    CTexture texture;
    ASSERT_TRUE(texture.Create(4, 4) && texture.Create(2, 1));
    EXPECT_TRUE(log.Contains("#DEBUG: CTexure ReCreated") && LevelTexels(texture, 0).size() == 2u &&
                !texture.Create(4, -1));
    EXPECT_TRUE(!texture.LoadFromMem(2, 2, nullptr) && GetGlobalTexture(0) == nullptr && texture.IsEmpty());

    // A 4 x 2 file, blues 0 .. 28 step 4, full and halved: (0 + 4 + 16 + 20) / 4 and (8 + 12 + 24 + 28) / 4.
    TgaLayout t{.width = 4, .height = 2};
    for (int i = 0; i < 8; ++i) t.pixels.insert(t.pixels.end(), {uint8_t(i * 4), 0, 0, 0xFF});
    const std::string path = folder.Write("wall.tga", BuildTga(t));
    const struct { int32_t reduce; int w, h; Texels texels; } reduced[] = {
        {0, 4, 2, {O, O | 4, O | 8, O | 12, O | 16, O | 20, O | 24, O | 28}}, {1, 2, 1, {O | 10, O | 18}},
        {5, 1, 1, {O | 14}}};
    for (const auto& r : reduced)
    {
        CTexture file;
        Apply(file, {.reduce = r.reduce});
        ASSERT_TRUE(file.LoadFromFile(path.c_str()));
        EXPECT_TRUE(std::pair(file.width, file.height) == std::pair(r.w, r.h) && LevelTexels(file, 0) == r.texels);
    }
    EXPECT_TRUE(log.Contains("Loading texture file:" + path));

    // A missing or compressed file leaves the texture empty.
    const std::string missing = folder / "missing.tga";
    EXPECT_TRUE(!texture.LoadFromFile(missing.c_str()) && texture.IsEmpty() &&
                log.Contains("File not found:" + missing));
    t.imageType = 10;
    ASSERT_TRUE(texture.Create(2, 2));
    EXPECT_TRUE(!texture.LoadFromFile(folder.Write("rle.tga", BuildTga(t)).c_str()) && texture.IsEmpty());
    texture.Render2DImage(0, 0, -1, -1);  // draws nothing, fails nothing
}

// A 2 x 2 texture drawn at (8, 8) with size 9 covers pixels 8 to 15; texel columns meet at pixel 12, so
// pixels 9-10 show the left texels and 13-14 the right ones.
TEST_F(TextureLevels, DrawnTexelsShowKeyAlphaAndPlayerColourAsTheFormatAllows)
{
    constexpr uint32_t Bg = Background;
    // A key is clear in formats with alpha; without alpha it shows the colour bled from its only
    // diagonal neighbour, the lower right texel.  Magenta shades m take m x colour / 256, and 254 blue
    // in 5 bits is 31, shown as 0xFF.  A constant alpha of 128 and a pixel alpha blend over black.
    const struct Case { Settings settings; uint32_t clear; Texels texels, expected; } cases[] = {
        {{A4, 255, Key}, Bg, {Key, G, B, Key}, {Bg, G, B, Bg}},
        {{X8, 255, Key}, Bg, {Key, G, B, 0x123456}, {0x123456, G, B, 0x123456}},
        {{A1, 255, Key, B}, Bg, {0xFF00FF, Key, 0xFFFFFF, G}, {B, Bg, 0xFFFFFF, G}},
        {{A8, 128}, 0, Texels(4, 0xFFFFFF), Texels(4, 0x808080)},
        {{A8, PixelAlpha}, 0, {0x00FFFFFF, 0xFF00FF00, 0x80FFFFFF, 0xFF0000FF}, {0, G, 0x808080, B}}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "format " << c.settings.format << " alpha " << c.settings.alpha);
        Clear(c.clear);
        CTexture texture;
        ASSERT_NO_FATAL_FAILURE(Fill(texture, c.settings, 2, 2, c.texels));
        texture.Render2DImage(8, 8, 9, 9), ReadBack();
        const Texels shown = {Pixel(9, 10), Pixel(14, 9), Pixel(10, 13), Pixel(13, 14)};
        for (size_t i = 0; i < 4; ++i)
            EXPECT_TRUE(Close(shown[i], c.expected[i], 1)) << i << std::hex << ": " << shown[i];
        EXPECT_EQ(std::pair(RenderState(Sys3DRenderState::AlphaFunc), RenderState(Sys3DRenderState::AlphaBlendEnable)),
                  std::pair(uint32_t(Sys3DCompare::Always), 0u));
    }

    // Own size on a 512 x 384 screen: virtual (16, 16) is pixel (8, 8), the 16-wide quad 7.5 pixels, point sampled.
    g_Config.screenWidth = 512, g_Config.screenHeight = 384;
    Clear(Background);
    CTexture texture;
    ASSERT_NO_FATAL_FAILURE(Fill(texture, {R5}, 16, 16, Texels(16 * 16, 0xFFFFFF)));
    texture.Render2DImage(16, 16, -1, -1), ReadBack();
    EXPECT_EQ((Texels{Pixel(7, 10), Pixel(10, 10), Pixel(16, 10)}), (Texels{Background, 0xFFFFFF, Background}));
    EXPECT_EQ(StageState(Sys3DStageState::MinFilter), uint32_t(Sys3DFilter::Point));
}

TEST(TextureConvertPixel, ChannelsArePackedByTheFormatTableAndGreyIsTinted)
{
    // r 0x12, g 0x34, b 0x56: 4444 keeps 1 3 5 (a 9 << 12); 1555 keeps 2 6 10 and the alpha's top bit;
    // 565 keeps 2 13 10; an unknown format gives the alpha.  Grey is 0.33 r + 0.56 g + 0.11 b,
    // (100, 50, 200) 83 (0x53), masked by the tint; a negative alpha divides it.
    const struct { uint32_t format, grey, tint; int r, g, b, a; uint32_t packed; } cases[] = {
        {A4, 0, 0, 255, 255, 255, 0x9A, 0x9FFF}, {A4, 0, 0, 0x12, 0x34, 0x56, 0x9A, 0x9135},
        {A1, 0, 0, 255, 255, 255, 0x9A, 0xFFFF}, {A1, 0, 0, 0x12, 0x34, 0x56, 0x7F, 0x08CA},
        {R5, 0, 0, 255, 255, 255, 0x9A, 0xFFFF}, {R5, 0, 0, 0x12, 0x34, 0x56, 0x9A, 0x11AA},
        {A8, 0, 0, 0x12, 0x34, 0x56, 0x9A, 0x9A123456}, {X8, 0, 0, 0x12, 0x34, 0x56, 0x9A, 0x123456},
        {8, 0, 0, 0x12, 0x34, 0x56, 77, 77},
        {A8, 1, 0xFF0000, 255, 255, 255, 255, 0xFFFF0000}, {A8, 1, 0xFF0000, 100, 50, 200, 255, 0xFF530000},
        {A8, 1, 0x0F0F0F, 100, 50, 200, 255, 0xFF030303},
        {A8, 0, 0, 100, 50, 200, -1, 0x536432C8}, {A8, 0, 0, 100, 50, 200, -3, 0x1B6432C8}};
    CTexture texture;
    for (const auto& c : cases)
    {
        texture.format = c.format, texture.grey = uint8_t(c.grey), texture.tint = c.tint;
        EXPECT_EQ(texture.ConvertPixel(c.r, c.g, c.b, c.a), c.packed) << c.format << " " << c.r << " " << c.a;
    }
}

using TextureSaveGame = MediaDevice;

TEST_F(TextureSaveGame, RecordIsTheFieldsThenLevelZeroAndLoadsBackToTheSameBytes)
{
    CTexture texture;
    Apply(texture, {A4, 200, 0xFF0000, 0x102030, 1, 2});
    texture.grey = 1, texture.tint = 0xABCDEF;
    ASSERT_TRUE(!texture.Lock() && texture.Create(2, 1) && texture.Lock() && texture.Lock());  // none, then locked once
    texture.PutPixel(0, 0, 0x1234), texture.PutPixel(1, 0, 0xBEEF);
    texture.PutPixel(2, 0, 0x5555), texture.PutPixel(0, -1, 0x5555), texture.Unlock();  // outside: ignored
    CMemorySaveStream stream;
    texture.SaveGame(stream);
    // Width, height, format, alpha, key, alpha bits; single level; player colour; grey; tint; shared; reduce; texels.
    EXPECT_EQ(stream.Bytes(), LE32(2) + LE32(1) + LE32(12) + LE32(200) + LE32(0xFF0000) + LE32(4) + '\1' +
                                  LE32(0x102030) + '\1' + LE32(0xABCDEF) + '\0' + LE32(2) + "\x34\x12\xEF\xBE");
    // Texels of every format, loaded back and saved again: two bytes each in 16 bits, four in 32.
    for (const auto& [format, texelBytes] : {std::pair{A4, 2u}, {A1, 2u}, {R5, 2u}, {A8, 4u}, {X8, 4u}})
    {
        CTexture original;
        original.format = format, original.colourKey = 0x00FF00;
        std::vector<uint32_t> pixels = {0x112233, 0x00FF00, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF};
        ASSERT_TRUE(original.Create(3, 2));
        original.SetImageFromMem(3, 2, pixels.data());
        CMemorySaveStream first, second;
        original.SaveGame(first);
        EXPECT_EQ(first.Bytes().size(), TextureHeadSize + 6 * texelBytes);
        CTexture restored;
        ASSERT_TRUE(restored.LoadGame(first));
        EXPECT_TRUE(first.Position() == first.Bytes().size() && !first.HasError());
        restored.SaveGame(second);
        EXPECT_EQ(second.Bytes(), first.Bytes()) << format;
    }

    // A device texture whose lock gives no pixels: no record, and the save fails.
    struct NoPixels : SysDevice3DTexture
    {
        Sys3DFormat GetFormat() const override { return Sys3DFormat::R5G6B5; }
        uint32_t GetLevelCount() const override { return 1; }
        Sys3DResult GetLevelSize(uint32_t, int32_t&, int32_t&) const override { return Sys3DError::Ok; }
        Sys3DResult LockRect(uint32_t, Sys3DLockedRect&) override { return Sys3DError::Ok; }
        Sys3DResult UnlockRect(uint32_t) override { return Sys3DError::Ok; }
    };
    CTestLog log;
    CTexture unreadable;
    unreadable.texture = new NoPixels, unreadable.width = unreadable.height = 2;
    CMemorySaveStream third;
    EXPECT_TRUE(!unreadable.SaveGame(third) && third.Bytes().empty() && third.HasError());
    EXPECT_TRUE(log.Contains("Cannot save a texture whose pixels cannot be read"));
}

using VXBufferDraw = MediaDevice;

TEST_F(VXBufferDraw, VerticesAreScaledFromTheVirtualScreenOrTheWorldAndDroppedPastTheCapacity)
{
    g_Config.screenWidth = 800, g_Config.screenHeight = 600;
    CVXBuffer batch;
    batch.Init(4), batch.Begin2d(CVXBuffer::TriangleList);
    batch.Add2dVertex(512, 384, 0x11223344, 0.25f, 0.75f), batch.Add2dVertexScreen(512, 384, 0, 0, 0);
    batch.Add2dVertexFwd(Bits(1024.0f), Bits(768.0f), 7, Bits(1.0f), Bits(0.5f));
    const SVertex2D* v2 = batch.vertices2d;
    EXPECT_EQ((std::vector<float>{v2[0].x, v2[0].y, v2[0].rhw, v2[0].v, v2[1].x, v2[2].y, v2[2].v}),
              (std::vector<float>{400, 300, 1, 0.75f, 512, 600, 0.5f}));
    // World units times 0.02; the plain and dual arrays share one count.
    batch.Begin3d(CVXBuffer::TriangleList), batch.Add3dVertex(100, -50, 25, 0xAABBCCDD, 0.5f, 1.0f);
    batch.AddScaledVertex(10, 20, 30, 1, 0.1f, 0.2f, 0.3f, 0.4f);
    batch.Add3dVertexRaw(Bits(200.0f), 0, 0, 5, 0, Bits(2.0f)), batch.AddScaledVertexFwd(50, 0, 0, 2, 0, 0, 0, 9.0f);
    ASSERT_EQ(batch.count3d, 4);
    const SVertex3D* v3 = batch.vertices3d;
    const auto* dual = batch.vertices3dDual;
    const std::vector<float> got = {v3[0].x, v3[0].y, v3[0].z, dual[1].z, dual[1].t, v3[2].x, v3[2].v, dual[3].x,
                                    dual[3].t};
    const std::vector<float> expected = {2, -1, 0.5f, 0.6f, 0.4f, 4, 2, 1, 9};
    for (size_t i = 0; i < got.size(); ++i) EXPECT_FLOAT_EQ(got[i], expected[i]) << i;

    CTestLog log;
    batch.Begin2d(CVXBuffer::TriangleFan);
    for (int i = 0; i < 6; ++i) batch.Add2dVertexScreen(float(i), 0, 0, 0, 0);
    EXPECT_TRUE(batch.count2d == 4 && batch.vertices2d[3].x == 3.0f &&
                log.Count("#DEBUG: Vertex buffer full, vertices dropped") == 1);
    CVXBuffer empty;
    empty.Add3dVertex(1, 2, 3, 0, 0, 0), empty.AddScaledVertex(1, 2, 3, 0, 0, 0, 0, 0);
    EXPECT_EQ(empty.count3d, 0);
}

TEST_F(VXBufferDraw, EachKindOfDrawCountsItsWholePrimitivesOnThePixelsNamed)
{
    // A screen fan of four is two triangles.
    g_VXBuffer.primitivesDrawn = 5, g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    for (const auto& [x, y] : {std::pair{4, 4}, {8, 4}, {8, 6}, {4, 6}})
        g_VXBuffer.Add2dVertex(float(x), float(y), Red, 0, 0);
    g_VXBuffer.Show2d(), ReadBack();
    EXPECT_EQ((std::tuple{g_VXBuffer.primitivesDrawn, Pixel(4, 4), Pixel(7, 5), Pixel(8, 5), Pixel(5, 6)}),
              (std::tuple{7, 0xFF0000u, 0xFF0000u, Background, Background}));

    // +-50 world units are the view's edge with identity transforms: two triangles cover the screen, the
    // seventh vertex is left; fans of seven vertices are five triangles in each array; strips add none.
    g_VXBuffer.primitivesDrawn = 0, g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    for (const auto& [x, y] : {std::pair{-50, 50}, {50, 50}, {50, -50}, {-50, 50}, {50, -50}, {-50, -50}, {0, 0}})
        g_VXBuffer.Add3dVertex(float(x), float(y), 25, Green, 0, 0);
    g_VXBuffer.Show3d(), ReadBack();
    EXPECT_EQ(std::tuple(g_VXBuffer.primitivesDrawn, Pixel(1, 1), Pixel(62, 62)), std::tuple(2, 0x00FF00u, 0x00FF00u));
    g_VXBuffer.Show3dFan(), g_VXBuffer.Show3dDualFan(), g_VXBuffer.Show3dLineStrip();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 12);

    // Fewer vertices than one primitive draw nothing.
    Clear(Background), g_VXBuffer.primitivesDrawn = 0;
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    for (const float x : {4.0f, 8.0f}) g_VXBuffer.Add2dVertex(x, 4, Red, 0, 0);
    g_VXBuffer.Show2d(), g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    for (const float x : {4.0f, 8.0f}) g_VXBuffer.Add3dVertex(x, 0, 0, Red, 0, 0);
    g_VXBuffer.Show3d(), g_VXBuffer.Show3dDualFan();
    g_VXBuffer.Begin3d(CVXBuffer::LineStrip), g_VXBuffer.Show3dLines();
    ReadBack();
    EXPECT_EQ(std::pair(g_VXBuffer.primitivesDrawn, Pixel(4, 4)), std::pair(0, Background));
}
