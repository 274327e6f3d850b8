#include <gtest/gtest.h>

#include "core/GlobalFunc.h"
#include "media/C_Texture.h"

namespace
{
uint32_t Convert(uint32_t format, int r, int g, int b, int a)
{
    CTexture texture;
    texture.format = format;
    return texture.ConvertPixel(r, g, b, a);
}
} // namespace

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
}

TEST(TextureConvertPixel, NegativeAlphaDividesTheGreyLevel)
{
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    // Grey of (100, 50, 200) is 83; colour stays without the grey flag.
    EXPECT_EQ(texture.ConvertPixel(100, 50, 200, -1), 0x536432C8u);
    EXPECT_EQ(texture.ConvertPixel(100, 50, 200, -3), 0x1B6432C8u);
}

TEST(TextureCounter, EveryTextureCountsWhileItLives)
{
    const int before = GlobalFunc::GetTextureRefs();
    {
        CTexture one;
        CTexture two;
        EXPECT_EQ(GlobalFunc::GetTextureRefs(), before + 2);
    }
    EXPECT_EQ(GlobalFunc::GetTextureRefs(), before);
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
    EXPECT_EQ(GetGlobalTexture(-1), nullptr);
    FreeGlobalTextures();
    EXPECT_EQ(GetGlobalTexture(0), nullptr);
    EXPECT_EQ(GlobalFunc::GetTextureRefs(), before);
}
