// Texture texels read from the device level by level, drawn, and saved; the vertex batch and what each draw puts out.

#include "media/C_Texture.h"
#include "platform/SysDevice3DTexture.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/ReferenceBytes.h"
#include "tests/support/TestLog.h"

namespace
{
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
    texture.format = s.format;
    texture.alpha = s.alpha;
    texture.colourKey = s.key;
    texture.playerColour = s.playerColour;
    texture.singleLevel = uint8_t(s.singleLevel);
    texture.reduce = s.reduce;
}

void Fill(CTexture& texture, const Settings& s, int w, int h, Texels pixels)
{
    Apply(texture, s);
    ASSERT_TRUE(texture.Create(w, h));
    texture.SetImageFromMem(w, h, pixels.data());
}

constexpr size_t FieldBytes = 8 + 4 * 4 + 1 + 4 + 1 + 4 + 1 + 4;
constexpr uint32_t Red = 0xFFFF0000, Green = 0xFF00FF00;  // with their alpha, for the vertex batch

uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }
} // namespace

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
    for (int i = 0; i < 8; ++i)
        t.pixels.insert(t.pixels.end(), {uint8_t(i * 4), 0, 0, 0xFF});
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
        texture.Render2DImage(8, 8, 9, 9);
        ReadBack();
        const Texels shown = {Pixel(9, 10), Pixel(14, 9), Pixel(10, 13), Pixel(13, 14)};
        for (size_t i = 0; i < 4; ++i)
            EXPECT_TRUE(Close(shown[i], c.expected[i], 1)) << i << std::hex << ": " << shown[i];
        EXPECT_EQ(std::pair(RenderState(Sys3DRenderState::AlphaFunc), RenderState(Sys3DRenderState::AlphaBlendEnable)),
                  std::pair(uint32_t(Sys3DCompare::Always), 0u));
    }

    // Own size on a 512 x 384 screen: virtual (16, 16) is pixel (8, 8), the 16-wide quad 7.5 pixels, point sampled.
    g_Config.screenWidth = 512;
    g_Config.screenHeight = 384;
    Clear(Background);
    CTexture texture;
    ASSERT_NO_FATAL_FAILURE(Fill(texture, {R5}, 16, 16, Texels(16 * 16, 0xFFFFFF)));
    texture.Render2DImage(16, 16, -1, -1);
    ReadBack();
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
        texture.format = c.format;
        texture.grey = uint8_t(c.grey);
        texture.tint = c.tint;
        EXPECT_EQ(texture.ConvertPixel(c.r, c.g, c.b, c.a), c.packed) << c.format << " " << c.r << " " << c.a;
    }
}

using TextureSaveGame = MediaDevice;

TEST_F(TextureSaveGame, RecordIsTheFieldsThenLevelZeroAndLoadsBackToTheSameBytes)
{
    CTexture texture;
    Apply(texture, {A4, 200, 0xFF0000, 0x102030, 1, 2});
    texture.grey = 1;
    texture.tint = 0xABCDEF;
    ASSERT_TRUE(texture.Create(2, 1) && texture.Lock());
    texture.PutPixel(0, 0, 0x1234);
    texture.PutPixel(1, 0, 0xBEEF);
    texture.PutPixel(2, 0, 0x5555);  // outside: ignored
    texture.PutPixel(0, -1, 0x5555);
    texture.Unlock();
    CMemorySaveStream stream;
    texture.SaveGame(stream);
    // Width, height, format, alpha, key, alpha bits; single level; player colour; grey; tint; shared; reduce; texels.
    EXPECT_EQ(stream.Bytes(), LE32(2) + LE32(1) + LE32(12) + LE32(200) + LE32(0xFF0000) + LE32(4) + '\1' +
                                  LE32(0x102030) + '\1' + LE32(0xABCDEF) + '\0' + LE32(2) + "\x34\x12\xEF\xBE");
    // 32-bit texels, loaded back and saved again.
    CTexture original;
    original.format = A8;
    original.colourKey = 0x00FF00;
    std::vector<uint32_t> pixels = {0x112233, 0x00FF00, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF};
    ASSERT_TRUE(original.Create(3, 2));
    original.SetImageFromMem(3, 2, pixels.data());
    CMemorySaveStream first, second;
    original.SaveGame(first);
    EXPECT_EQ(first.Bytes().size(), FieldBytes + 6 * 4);
    CTexture restored;
    ASSERT_TRUE(restored.LoadGame(first));
    EXPECT_TRUE(first.Position() == first.Bytes().size() && !first.HasError());
    restored.SaveGame(second);
    EXPECT_EQ(second.Bytes(), first.Bytes());

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
    unreadable.texture = new NoPixels;
    unreadable.width = unreadable.height = 2;
    CMemorySaveStream third;
    EXPECT_TRUE(!unreadable.SaveGame(third) && third.Bytes().empty() && third.HasError());
    EXPECT_TRUE(log.Contains("Cannot save a texture whose pixels cannot be read"));
}

using VXBufferDraw = MediaDevice;

TEST_F(VXBufferDraw, VerticesAreScaledFromTheVirtualScreenOrTheWorldAndDroppedPastTheCapacity)
{
    g_Config.screenWidth = 800;
    g_Config.screenHeight = 600;
    CVXBuffer batch;
    batch.Init(4);
    batch.Begin2d(CVXBuffer::TriangleList);
    batch.Add2dVertex(512, 384, 0x11223344, 0.25f, 0.75f);
    batch.Add2dVertexScreen(512, 384, 0, 0, 0);
    batch.Add2dVertexFwd(Bits(1024.0f), Bits(768.0f), 7, Bits(1.0f), Bits(0.5f));
    const SVertex2D* v2 = batch.vertices2d;
    EXPECT_EQ((std::vector<float>{v2[0].x, v2[0].y, v2[0].rhw, v2[0].v, v2[1].x, v2[2].y, v2[2].v}),
              (std::vector<float>{400, 300, 1, 0.75f, 512, 600, 0.5f}));
    // World units times 0.02; the plain and dual arrays share one count.
    batch.Begin3d(CVXBuffer::TriangleList);
    batch.Add3dVertex(100, -50, 25, 0xAABBCCDD, 0.5f, 1.0f);
    batch.AddScaledVertex(10, 20, 30, 1, 0.1f, 0.2f, 0.3f, 0.4f);
    batch.Add3dVertexRaw(Bits(200.0f), 0, 0, 5, 0, Bits(2.0f));
    batch.AddScaledVertexFwd(50, 0, 0, 2, 0, 0, 0, 9.0f);
    ASSERT_EQ(batch.count3d, 4);
    const SVertex3D* v3 = batch.vertices3d;
    const auto* dual = batch.vertices3dDual;
    const std::vector<float> got = {v3[0].x, v3[0].y, v3[0].z, dual[1].z, dual[1].t, v3[2].x, v3[2].v, dual[3].x,
                                    dual[3].t};
    const std::vector<float> expected = {2, -1, 0.5f, 0.6f, 0.4f, 4, 2, 1, 9};
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_FLOAT_EQ(got[i], expected[i]) << i;

    CTestLog log;
    batch.Begin2d(CVXBuffer::TriangleFan);
    for (int i = 0; i < 6; ++i)
        batch.Add2dVertexScreen(float(i), 0, 0, 0, 0);
    EXPECT_TRUE(batch.count2d == 4 && batch.vertices2d[3].x == 3.0f &&
                log.Count("#DEBUG: Vertex buffer full, vertices dropped") == 1);
    CVXBuffer empty;
    empty.Add3dVertex(1, 2, 3, 0, 0, 0);
    empty.AddScaledVertex(1, 2, 3, 0, 0, 0, 0, 0);
    EXPECT_EQ(empty.count3d, 0);
}

TEST_F(VXBufferDraw, EachKindOfDrawCountsItsWholePrimitivesOnThePixelsNamed)
{
    // A screen fan of four is two triangles.
    g_VXBuffer.primitivesDrawn = 5;
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    for (const auto& [x, y] : {std::pair{4, 4}, {8, 4}, {8, 6}, {4, 6}})
        g_VXBuffer.Add2dVertex(float(x), float(y), Red, 0, 0);
    g_VXBuffer.Show2d();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 7);
    ReadBack();
    EXPECT_EQ((std::vector<uint32_t>{Pixel(4, 4), Pixel(7, 5), Pixel(8, 5), Pixel(5, 6)}),
              (std::vector<uint32_t>{0xFF0000, 0xFF0000, Background, Background}));

    // +-50 world units are the view's edge with identity transforms: two triangles cover the screen, the
    // seventh vertex is left; fans of seven vertices are five triangles in each array; strips add none.
    g_VXBuffer.primitivesDrawn = 0;
    g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    for (const auto& [x, y] : {std::pair{-50, 50}, {50, 50}, {50, -50}, {-50, 50}, {50, -50}, {-50, -50}, {0, 0}})
        g_VXBuffer.Add3dVertex(float(x), float(y), 25, Green, 0, 0);
    g_VXBuffer.Show3d();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 2);
    ReadBack();
    EXPECT_TRUE(Pixel(1, 1) == 0x00FF00u && Pixel(62, 62) == 0x00FF00u);
    g_VXBuffer.Show3dFan();
    g_VXBuffer.Show3dDualFan();
    g_VXBuffer.Show3dLineStrip();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 12);

    // Fewer vertices than one primitive draw nothing.
    Clear(Background);
    g_VXBuffer.primitivesDrawn = 0;
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    for (const float x : {4.0f, 8.0f})
        g_VXBuffer.Add2dVertex(x, 4, Red, 0, 0);
    g_VXBuffer.Show2d();
    g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    for (const float x : {4.0f, 8.0f})
        g_VXBuffer.Add3dVertex(x, 0, 0, Red, 0, 0);
    g_VXBuffer.Show3d();
    g_VXBuffer.Show3dDualFan();
    g_VXBuffer.Begin3d(CVXBuffer::LineStrip);
    g_VXBuffer.Show3dLines();
    EXPECT_EQ(g_VXBuffer.primitivesDrawn, 0);
    ReadBack();
    EXPECT_EQ(Pixel(4, 4), Background);
}
