// Pictures cut into tiles and drawn on the real device: the tiling table,
// pictures over 1024 pixels and missing files refused, and exact pixels read
// back at the natural size across a tile seam, in part and with a key.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "media/C_2DImage.h"
#include "media/C_Bitmap32.h"
#include "media/C_TGA.h"
#include "tests/media/MediaDevice.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestLog.h"

namespace
{
// Colours exact in every 16-bit format: channels 0 or 255.
constexpr uint32_t Palette[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00};
constexpr uint32_t Key = 0xFF0000;
constexpr uint32_t NoKey = C2DImage::NoKey;

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
} // namespace

class Image2DTiles : public MediaDevice
{
protected:
    // The w x h picture part at (sourceX, sourceY) shows at (left, top),
    // key pixels showing the background; everything else is background.
    void ExpectPicture(int left, int top, int w, int h, int sourceX, int sourceY, bool keyed)
    {
        std::vector<uint32_t> screen;
        int32_t width = 0;
        int32_t height = 0;
        Device().ReadBackBuffer(screen, width, height);
        int wrong = 0;
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                uint32_t expected = Background;
                if (x >= left && y >= top && x < left + w && y < top + h)
                    expected = PatternAt(x - left + sourceX, y - top + sourceY);
                if (keyed && expected == Key)
                    expected = Background;
                const uint32_t got = screen[size_t(y) * size_t(width) + size_t(x)];
                if (got != expected && ++wrong <= 3)
                    ADD_FAILURE() << "pixel " << x << ", " << y << std::hex << ": " << got << " not " << expected;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
};

TEST_F(Image2DTiles, PicturesAreCutIntoTilesOfPowerOfTwoSides)
{
    const struct Case
    {
        int w, h;
        uint32_t alpha, key;
        int tilesX, tilesY;
        int tx, ty;  // the tile looked at
        int visibleW, visibleH, side;
        uint32_t format;
    } cases[] = {
        {300, 200, 255, NoKey, 2, 1, 0, 0, 256, 200, 256, CTexture::FormatR5G6B5},
        {300, 200, 255, NoKey, 2, 1, 1, 0, 44, 200, 256, CTexture::FormatR5G6B5},
        {600, 600, 255, Key, 3, 3, 2, 2, 88, 88, 128, CTexture::FormatA1R5G5B5},
        {600, 600, 128, NoKey, 3, 3, 2, 0, 88, 256, 256, CTexture::FormatA4R4G4B4},
        {1024, 768, CTexture::PixelAlpha, Key, 4, 3, 3, 2, 256, 256, 256, CTexture::FormatA4R4G4B4},
        {100, 20, 255, NoKey, 1, 1, 0, 0, 100, 20, 128, CTexture::FormatR5G6B5},
        {1024, 1024, 255, NoKey, 4, 4, 3, 3, 256, 256, 256, CTexture::FormatR5G6B5},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h << " tile " << c.tx << ", " << c.ty);
        C2DImage image;
        image.alpha = c.alpha;
        image.colourKey = c.key;
        ASSERT_TRUE(image.CreateFromBitmap(Pattern(c.w, c.h)));
        EXPECT_EQ(image.tilesX, c.tilesX);
        EXPECT_EQ(image.tilesY, c.tilesY);
        const CTexture& tile = image.tiles[c.tx * 4 + c.ty];
        EXPECT_EQ(image.tileSize[c.tx * 4 + c.ty].width, c.visibleW);
        EXPECT_EQ(image.tileSize[c.tx * 4 + c.ty].height, c.visibleH);
        EXPECT_EQ(tile.width, c.side);
        EXPECT_EQ(tile.height, c.side);
        EXPECT_EQ(tile.format, c.format);
        EXPECT_EQ(tile.alpha, c.alpha);
        EXPECT_EQ(tile.colourKey, c.key);
    }
}

TEST_F(Image2DTiles, PicturesOver1024PixelsAndMissingFilesLeaveTheImageEmpty)
{
    CScratchFolder folder;
    for (const auto& [w, h] : {std::pair{1025, 10}, std::pair{10, 1025}})
    {
        CTestLog log;
        C2DImage image;
        ASSERT_TRUE(image.CreateFromBitmap(Pattern(600, 600)));
        EXPECT_FALSE(image.CreateFromBitmap(Pattern(w, h)));
        EXPECT_TRUE(image.IsEmpty());
        EXPECT_EQ(image.width, 0);
        for (const CTexture& tile : image.tiles)
            EXPECT_TRUE(tile.IsEmpty());
        EXPECT_TRUE(log.Contains("2D image larger than 1024 x 1024 refused: " + std::to_string(w) + " x "
                                 + std::to_string(h)));
        // A reload over the picture, from a file that is not there.
        ASSERT_TRUE(image.CreateFromBitmap(Pattern(8, 8)));
        EXPECT_FALSE(image.Load((folder / "missing.tga").c_str()));
        EXPECT_TRUE(image.IsEmpty());
        EXPECT_TRUE(log.Contains("#DEBUG: C2DImage ReLoaded"));
        EXPECT_TRUE(log.Contains("Loading 2D Image:" + (folder / "missing.tga")));
        image.Render(0, 0);
        ExpectPicture(0, 0, 0, 0, 0, 0, false);
    }
}

TEST_F(Image2DTiles, EveryDrawAtTheNaturalSizeShowsEveryPixelAcrossTheTileSeam)
{
    CScratchFolder folder;
    CTGA tga;
    static_cast<CBitmap32&>(tga) = Pattern(300, 200);
    ASSERT_TRUE(tga.Save((folder / "a.tga").c_str()));
    C2DImage image;
    ASSERT_TRUE(image.Load((folder / "a.tga").c_str()));
    // The seam at picture column 256 is pixel 16.
    image.Render(-240, 3);
    ExpectPicture(-240, 3, 300, 200, 0, 0, false);
    Clear(Background);
    image.Render(-240.0f, 3.0f, -1.0f, -1.0f, 255);
    ExpectPicture(-240, 3, 300, 200, 0, 0, false);
    // Smooth filtering only when scaled: point sampling keeps every pixel.
    Clear(Background);
    image.RenderStretch(-240, 3, -1, -1, true);
    ExpectPicture(-240, 3, 300, 200, 0, 0, false);
    // A part across the seam, and one clipped to the picture.
    Clear(Background);
    image.RenderPart(5, 7, 240, 10, 30, 20, 0xFFFFFF);
    ExpectPicture(5, 7, 30, 20, 240, 10, false);
    Clear(Background);
    image.RenderPart(2, 4, 290, 190, 50, 50, 0xFFFFFF);
    ExpectPicture(2, 4, 10, 10, 290, 190, false);
}

TEST_F(Image2DTiles, ColourKeyedPixelsLeaveTheScreenAsItWas)
{
    C2DImage image;
    image.colourKey = Key;
    ASSERT_TRUE(image.CreateFromBitmap(Pattern(40, 30)));
    image.Render(5, 6);
    ExpectPicture(5, 6, 40, 30, 0, 0, true);
    EXPECT_EQ(RenderState(Sys3DRenderState::AlphaFunc), uint32_t(Sys3DCompare::Always));
}
