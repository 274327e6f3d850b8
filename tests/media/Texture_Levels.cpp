// Pixel conversion, and the texels of every mip level read from the
// device's copy of the texture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/GlobalFunc.h"
#include "media/C_Texture.h"
#include "platform/SysDevice3DTexture.h"
#include "tests/media/MediaDevice.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"
#include "tests/media/TgaBytes.h"

namespace
{
constexpr uint32_t Key = 0xFF0000;
constexpr uint32_t Opaque = 0xFF000000;

template <typename Texel>
std::vector<uint32_t> Texels(CTexture& texture, uint32_t level)
{
    int32_t w = 0;
    int32_t h = 0;
    EXPECT_EQ(texture.texture->GetLevelSize(level, w, h), Sys3DError::Ok);
    Sys3DLockedRect locked;
    EXPECT_EQ(texture.texture->LockRect(level, locked), Sys3DError::Ok);
    const Texel* bits = static_cast<const Texel*>(locked.bits);
    std::vector<uint32_t> texels(bits, bits + w * h);
    texture.texture->UnlockRect(level);
    return texels;
}

std::vector<uint32_t> Texels32(CTexture& texture, uint32_t level) { return Texels<uint32_t>(texture, level); }
std::vector<uint32_t> Texels16(CTexture& texture, uint32_t level) { return Texels<uint16_t>(texture, level); }

uint32_t Convert(uint32_t format, int r, int g, int b, int a)
{
    CTexture texture;
    texture.format = format;
    return texture.ConvertPixel(r, g, b, a);
}

void Fill(CTexture& texture, int w, int h, std::vector<uint32_t> pixels)
{
    ASSERT_TRUE(texture.Create(w, h));
    texture.SetImageFromMem(w, h, pixels.data());
}
} // namespace

using TextureLevels = MediaDevice;

TEST_F(TextureLevels, TexelsOfEachLevelFollowFormatKeyAlphaAndPlayerColour)
{
    constexpr uint32_t A8 = CTexture::FormatA8R8G8B8;
    constexpr uint32_t A4 = CTexture::FormatA4R4G4B4;
    constexpr uint32_t None = CTexture::None;
    constexpr uint32_t Pixel = CTexture::PixelAlpha;
    constexpr uint32_t Full = 255;  // the resting alpha
    constexpr uint32_t O = Opaque;
    // Blue 0, 8, .. 56 over 4, 12, .. 60; and blue = 20 y + 2 x on an odd 5 x 3.
    const std::vector<uint32_t> wide = {0, 8, 16, 24, 32, 40, 48, 56, 4, 12, 20, 28, 36, 44, 52, 60};
    const std::vector<uint32_t> odd = {0, 2, 4, 6, 8, 20, 22, 24, 26, 28, 40, 42, 44, 46, 48};
    const struct Case
    {
        const char* name;
        uint32_t format, alpha, key, playerColour, singleLevel;
        int w, h;
        std::vector<uint32_t> pixels;
        uint32_t level;
        std::vector<uint32_t> expected;
    } cases[] = {
        {"non-square level 1", A8, Full, None, None, 0, 8, 2, wide, 1, {O | 6, O | 22, O | 38, O | 54}},
        {"non-square level 3", A8, Full, None, None, 0, 8, 2, wide, 3, {O | 30}},
        {"odd side level 1", A8, Full, None, None, 0, 5, 3, odd, 1, {O | 11, O | 15}},
        {"odd side level 2", A8, Full, None, None, 0, 5, 3, odd, 2, {O | 13}},
        // A key takes the average of its diagonal neighbours that are no key,
        // alpha 0: (0x30 + 0x10 + 0) / 3 red, 0x30 / 3 blue; with none, itself.
        {"key bleed", A8, Full, Key, None, 1, 3, 3,
         {0x300000, 0x00FF00, 0x100000, 0x00FF00, Key, 0x00FF00, 0x000030, 0x00FF00, Key}, 0,
         {O | 0x300000, O | 0x00FF00, O | 0x100000, O | 0x00FF00, 0x00150010, O | 0x00FF00, O | 0x000030,
          O | 0x00FF00, 0x00FF0000}},
        {"mip skips keys", A8, Full, Key, None, 0, 2, 2, {Key, Key, Key, 0x000080}, 1, {O | 0x80}},
        {"mip of keys only", A8, Full, Key, None, 0, 2, 2, {Key, Key, Key, Key}, 1, {0x00FF0000}},
        {"pixel alpha level 1", A8, Pixel, None, None, 0, 2, 1, {0x40000010, 0xC0000030}, 1, {0x80000020}},
        {"pixel alpha 4 bits", A4, Pixel, None, None, 1, 1, 1, {0x80112233}, 0, {0x8123}},
        // A magenta shade keeps its alpha; an opaque key has no neighbour and stays clear.
        {"pixel alpha colour and key", A8, Pixel, 0xFFFF0000, 0x00FF00, 1, 2, 1, {0xC0FF00FF, 0xFFFF0000}, 0,
         {0xC000FE00, 0x00FF0000}},
        {"constant alpha", A4, 0x70, Key, None, 1, 2, 1, {0xFFFFFF, Key}, 0, {0x7FFF, 0x0F00}},
        // m 255: 255 x (255, 128, 64) / 256 = (254, 127, 63); m 128: (127, 64, 32).
        {"player colour", A8, Full, None, 0xFF8040, 0, 2, 1, {0xFF00FF, 0x800080}, 0, {0xFFFE7F3F, 0xFF7F4020}},
        {"player colour level 1", A8, Full, None, 0xFF8040, 0, 2, 1, {0xFF00FF, 0x800080}, 1, {0xFFBE5F2F}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTexture texture;
        texture.format = c.format;
        texture.alpha = c.alpha;
        texture.colourKey = c.key;
        texture.playerColour = c.playerColour;
        texture.singleLevel = c.singleLevel;
        Fill(texture, c.w, c.h, c.pixels);
        EXPECT_EQ(c.format == A4 ? Texels16(texture, c.level) : Texels32(texture, c.level), c.expected);
    }
    CTexture chain;
    chain.format = A8;
    Fill(chain, 8, 2, wide);
    EXPECT_EQ(chain.texture->GetLevelCount(), 4u);
}

TEST_F(TextureLevels, ImageOfAnotherSizeThanTheTextureIsRefused)
{
    CTexture texture;
    texture.format = CTexture::FormatR5G6B5;
    ASSERT_TRUE(texture.Create(2, 2));
    std::vector<uint32_t> big(16, 0xFFFFFF);
    texture.SetImageFromMem(4, 4, big.data());
    EXPECT_EQ(Texels16(texture, 0), (std::vector<uint32_t>{0, 0, 0, 0}));
}

TEST_F(TextureLevels, CreatingAgainReplacesTheHeldTexture)
{
    CTestLog log;
    CTexture texture;
    ASSERT_TRUE(texture.Create(4, 4));
    ASSERT_TRUE(texture.Create(2, 1));
    EXPECT_TRUE(log.Contains("#DEBUG: CTexure ReCreated"));
    int32_t w = 0;
    int32_t h = 0;
    texture.texture->GetLevelSize(0, w, h);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 1);
    EXPECT_FALSE(texture.Create(4, -1));
    EXPECT_TRUE(texture.IsEmpty());
}

TEST_F(TextureLevels, FileLoadsIntoTheTextureAndReduceHalvesIt)
{
    CScratchFolder folder;
    CTestLog log;
    TgaLayout t;
    t.width = 4;
    t.height = 2;
    t.depth = 32;
    // B, G, R, A: blues 0 .. 28 step 4 across two rows.
    for (int i = 0; i < 8; ++i)
        t.pixels.insert(t.pixels.end(), {uint8_t(i * 4), 0, 0, 0xFF});
    const std::string path = folder.Write("wall.tga", BuildTga(t));

    CTexture full;
    full.format = CTexture::FormatA8R8G8B8;
    full.singleLevel = 1;
    ASSERT_TRUE(full.LoadFromFile(path.c_str()));
    EXPECT_TRUE(log.Contains("Loading texture file:" + path));
    EXPECT_EQ(Texels32(full, 0)[5], Opaque | 20);

    CTexture halved;
    halved.format = CTexture::FormatA8R8G8B8;
    halved.singleLevel = 1;
    halved.reduce = 1;
    ASSERT_TRUE(halved.LoadFromFile(path.c_str()));
    EXPECT_EQ(halved.width, 2);
    EXPECT_EQ(halved.height, 1);
    // (0 + 4 + 16 + 20) / 4 and (8 + 12 + 24 + 28) / 4.
    EXPECT_EQ(Texels32(halved, 0), (std::vector<uint32_t>{Opaque | 10, Opaque | 18}));

    CTexture tiny;
    tiny.format = CTexture::FormatA8R8G8B8;
    tiny.singleLevel = 1;
    tiny.reduce = 5;
    ASSERT_TRUE(tiny.LoadFromFile(path.c_str()));
    EXPECT_EQ(tiny.width, 1);
    EXPECT_EQ(tiny.height, 1);
}

TEST_F(TextureLevels, MissingOrBadFileLeavesAnEmptyTexture)
{
    CScratchFolder folder;
    CTestLog log;
    CTexture texture;
    ASSERT_TRUE(texture.Create(2, 2));
    const std::string missing = folder / "missing.tga";
    EXPECT_FALSE(texture.LoadFromFile(missing.c_str()));
    EXPECT_TRUE(texture.IsEmpty());
    EXPECT_TRUE(log.Contains("File not found:" + missing));

    TgaLayout t;
    t.imageType = 10;
    t.width = 2;
    t.height = 2;
    t.pixels.resize(16);
    const std::string compressed = folder.Write("rle.tga", BuildTga(t));
    EXPECT_FALSE(texture.LoadFromFile(compressed.c_str()));
    EXPECT_TRUE(texture.IsEmpty());
    texture.Render2DImage(0, 0, -1, -1);  // draws nothing, fails nothing
}

TEST_F(TextureLevels, MemoryLoadLeavesTheCallersPixelsAlone)
{
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    texture.playerColour = 0x00FF00;
    const std::vector<uint32_t> pixels = {0xFF00FF, 0x000010, 0x000020, 0x000030};
    ASSERT_TRUE(texture.LoadFromMem(2, 2, pixels.data()));
    EXPECT_EQ(pixels[0], 0xFF00FFu);
    EXPECT_EQ(Texels32(texture, 0)[0], 0xFF00FE00u);
    EXPECT_FALSE(texture.LoadFromMem(2, 2, nullptr));
    EXPECT_TRUE(texture.IsEmpty());
}

TEST_F(TextureLevels, PutPixelWritesOneTexelOfTheLockedLevel)
{
    CTexture texture;
    texture.singleLevel = 1;
    ASSERT_TRUE(texture.Create(2, 2));
    ASSERT_TRUE(texture.Lock());
    texture.PutPixel(1, 1, 0xF800);
    texture.PutPixel(2, 0, 0x1234);
    texture.PutPixel(0, -1, 0x1234);
    texture.Unlock();
    EXPECT_EQ(Texels16(texture, 0), (std::vector<uint32_t>{0, 0, 0, 0xF800}));
}

TEST(TextureConvertPixel, ChannelsArePackedByTheFormatTable)
{
    // r 0x12, g 0x34, b 0x56: 4444 keeps 1 3 5 (a 9 << 12); 1555 keeps 2 6 10 and
    // the alpha's top bit; 565 keeps 2 13 10.  An unknown format gives the alpha.
    const struct { uint32_t format; int a; uint32_t white, packed; } cases[] = {
        {CTexture::FormatA4R4G4B4, 0x9A, 0x9FFF, 0x9135},     {CTexture::FormatA1R5G5B5, 0x9A, 0xFFFF, 0x88CA},
        {CTexture::FormatA1R5G5B5, 0x7F, 0x7FFF, 0x08CA},     {CTexture::FormatR5G6B5, 0x9A, 0xFFFF, 0x11AA},
        {CTexture::FormatA8R8G8B8, 0x9A, 0x9AFFFFFF, 0x9A123456}, {CTexture::FormatX8R8G8B8, 0x9A, 0xFFFFFF, 0x123456},
        {8, 77, 77, 77},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Convert(c.format, 255, 255, 255, c.a), c.white) << c.format << " alpha " << c.a;
        EXPECT_EQ(Convert(c.format, 0x12, 0x34, 0x56, c.a), c.packed) << c.format << " alpha " << c.a;
    }
}

TEST(TextureConvertPixel, GreyWithARedTintKeepsOnlyRed)
{
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    texture.grey = 1;
    texture.tint = 0xFF0000;
    // White: grey level 255 (0.33 + 0.56 + 0.11 of 255).
    EXPECT_EQ(texture.ConvertPixel(255, 255, 255, 255), 0xFFFF0000u);
    // r 100, g 50, b 200: 33 + 28 + 22 = 83.
    EXPECT_EQ(texture.ConvertPixel(100, 50, 200, 255), 0xFF530000u);
    // The tint masks bits of the grey level: 0x0F AND 83 (0x53) = 3.
    texture.tint = 0x0F0F0F;
    EXPECT_EQ(texture.ConvertPixel(100, 50, 200, 255), 0xFF030303u);
    // A negative alpha divides the grey level; colour stays without the grey flag.
    texture.grey = 0;
    texture.tint = 0;
    EXPECT_EQ(texture.ConvertPixel(100, 50, 200, -1), 0x536432C8u);
    EXPECT_EQ(texture.ConvertPixel(100, 50, 200, -3), 0x1B6432C8u);
}

TEST(TextureTable, SixGlobalTexturesBetweenAllocAndFree)
{
    EXPECT_EQ(GetGlobalTexture(0), nullptr);
    const int before = GlobalFunc::GetTextureRefs();
    AllocGlobalTextures();
    EXPECT_EQ(GlobalFunc::GetTextureRefs(), before + 6);
    for (int i = 0; i < GlobalTextureCount; ++i)
    {
        ASSERT_NE(GetGlobalTexture(i), nullptr);
        EXPECT_EQ(GetGlobalTexture(i)->format, CTexture::FormatR5G6B5);
    }
    EXPECT_EQ(GetGlobalTexture(6), nullptr);
    FreeGlobalTextures();
    EXPECT_EQ(GetGlobalTexture(0), nullptr);
    EXPECT_EQ(GlobalFunc::GetTextureRefs(), before);
}
