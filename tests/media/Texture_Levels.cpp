// Texels of every mip level, read from the device's copy of the texture.

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

void Fill(CTexture& texture, int w, int h, std::vector<uint32_t> pixels)
{
    ASSERT_TRUE(texture.Create(w, h));
    texture.SetImageFromMem(w, h, pixels.data());
}
} // namespace

using TextureLevels = MediaDevice;

TEST_F(TextureLevels, NonSquareChainFillsEveryLevelDownToOnePixel)
{
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    Fill(texture, 8, 2, {0, 8, 16, 24, 32, 40, 48, 56, 4, 12, 20, 28, 36, 44, 52, 60});
    ASSERT_EQ(texture.texture->GetLevelCount(), 4u);
    EXPECT_EQ(Texels32(texture, 0)[9], Opaque | 12);
    EXPECT_EQ(Texels32(texture, 1), (std::vector<uint32_t>{Opaque | 6, Opaque | 22, Opaque | 38, Opaque | 54}));
    EXPECT_EQ(Texels32(texture, 2), (std::vector<uint32_t>{Opaque | 14, Opaque | 46}));
    EXPECT_EQ(Texels32(texture, 3), (std::vector<uint32_t>{Opaque | 30}));
}

TEST_F(TextureLevels, OddSideReducesWithTheRealRowLength)
{
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    // Blue = 20 y + 2 x.
    Fill(texture, 5, 3, {0, 2, 4, 6, 8, 20, 22, 24, 26, 28, 40, 42, 44, 46, 48});
    ASSERT_EQ(texture.texture->GetLevelCount(), 3u);
    EXPECT_EQ(Texels32(texture, 1), (std::vector<uint32_t>{Opaque | 11, Opaque | 15}));
    EXPECT_EQ(Texels32(texture, 2), (std::vector<uint32_t>{Opaque | 13}));
}

TEST_F(TextureLevels, OnePixelImageFillsLevelZeroOnly)
{
    CTexture texture;
    texture.format = CTexture::FormatR5G6B5;
    Fill(texture, 1, 1, {0x123456});
    ASSERT_EQ(texture.texture->GetLevelCount(), 1u);
    EXPECT_EQ(Texels16(texture, 0), (std::vector<uint32_t>{0x11AA}));
}

TEST_F(TextureLevels, KeyTakesTheAverageOfItsDiagonalNeighbours)
{
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    texture.colourKey = Key;
    texture.singleLevel = 1;
    Fill(texture, 3, 3,
         {0x300000, 0x00FF00, 0x100000,
          0x00FF00, Key, 0x00FF00,
          0x000030, 0x00FF00, Key});
    const std::vector<uint32_t> texels = Texels32(texture, 0);
    // (0x30 + 0x10 + 0) / 3 red, 0x30 / 3 blue, alpha 0.
    EXPECT_EQ(texels[4], 0x00150010u);
    // Its only diagonal neighbour inside is a key: the key itself, alpha 0.
    EXPECT_EQ(texels[8], 0x00FF0000u);
    EXPECT_EQ(texels[0], Opaque | 0x300000);
}

TEST_F(TextureLevels, MipLevelsAverageOnlyPixelsThatAreNotTheKey)
{
    CTexture mixed;
    mixed.format = CTexture::FormatA8R8G8B8;
    mixed.colourKey = Key;
    Fill(mixed, 2, 2, {Key, Key, Key, 0x000080});
    EXPECT_EQ(Texels32(mixed, 1), (std::vector<uint32_t>{Opaque | 0x80}));

    CTexture allKey;
    allKey.format = CTexture::FormatA8R8G8B8;
    allKey.colourKey = Key;
    Fill(allKey, 2, 2, {Key, Key, Key, Key});
    EXPECT_EQ(Texels32(allKey, 1), (std::vector<uint32_t>{0x00FF0000}));
}

TEST_F(TextureLevels, PixelAlphaTakesEachPixelsTopByte)
{
    CTexture wide;
    wide.format = CTexture::FormatA8R8G8B8;
    wide.alpha = CTexture::PixelAlpha;
    wide.singleLevel = 1;
    Fill(wide, 1, 1, {0x80112233});
    EXPECT_EQ(Texels32(wide, 0), (std::vector<uint32_t>{0x80112233}));

    CTexture narrow;
    narrow.format = CTexture::FormatA4R4G4B4;
    narrow.alpha = CTexture::PixelAlpha;
    narrow.singleLevel = 1;
    Fill(narrow, 1, 1, {0x80112233});
    EXPECT_EQ(Texels16(narrow, 0), (std::vector<uint32_t>{0x8123}));
}

TEST_F(TextureLevels, PixelAlphaSurvivesSmallerLevelsPlayerColourAndKeys)
{
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    texture.alpha = CTexture::PixelAlpha;
    Fill(texture, 2, 1, {0x40000010, 0xC0000030});
    EXPECT_EQ(Texels32(texture, 1), (std::vector<uint32_t>{0x80000020}));

    CTexture coloured;
    coloured.format = CTexture::FormatA8R8G8B8;
    coloured.alpha = CTexture::PixelAlpha;
    coloured.playerColour = 0x00FF00;
    coloured.colourKey = 0xFFFF0000;
    coloured.singleLevel = 1;
    // A magenta shade keeps its alpha; an opaque key has no neighbour to take
    // a colour from and stays clear.
    Fill(coloured, 2, 1, {0xC0FF00FF, 0xFFFF0000});
    EXPECT_EQ(Texels32(coloured, 0), (std::vector<uint32_t>{0xC000FE00, 0x00FF0000}));
}

TEST_F(TextureLevels, ConstantAlphaGoesToEveryPixelThatIsNotTheKey)
{
    CTexture texture;
    texture.format = CTexture::FormatA4R4G4B4;
    texture.alpha = 0x70;
    texture.colourKey = Key;
    texture.singleLevel = 1;
    Fill(texture, 2, 1, {0xFFFFFF, Key});
    // White at alpha 7; the key bleeds nothing (no diagonals) and keeps alpha 0.
    EXPECT_EQ(Texels16(texture, 0), (std::vector<uint32_t>{0x7FFF, 0x0F00}));
}

TEST_F(TextureLevels, MagentaShadesTakeThePlayerColourInEveryLevel)
{
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    texture.playerColour = 0xFF8040;
    Fill(texture, 2, 1, {0xFF00FF, 0x800080});
    // m 255: 255 x (255, 128, 64) / 256 = (254, 127, 63); m 128: (127, 64, 32).
    EXPECT_EQ(Texels32(texture, 0), (std::vector<uint32_t>{0xFFFE7F3F, 0xFF7F4020}));
    EXPECT_EQ(Texels32(texture, 1), (std::vector<uint32_t>{0xFFBE5F2F}));
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
    EXPECT_EQ(texture.width, 2);
    EXPECT_EQ(texture.height, 1);
}

TEST_F(TextureLevels, EmptySizeCreatesNothingAndIsNotFatal)
{
    CTexture texture;
    EXPECT_FALSE(texture.Create(0, 0));
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
    EXPECT_EQ(full.width, 4);
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
    EXPECT_FALSE(texture.LoadFromMem(0, 2, pixels.data()));
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
    EXPECT_EQ(texture.lockedBits, nullptr);
    EXPECT_EQ(Texels16(texture, 0), (std::vector<uint32_t>{0, 0, 0, 0xF800}));
}
