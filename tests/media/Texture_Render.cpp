// Textures drawn through the vertex batch on the real device; pixels read
// back from the back buffer.  A 2 x 2 texture drawn at (8, 8) with size 9
// covers pixels 8 to 15; texel columns meet at pixel 12, so pixels 9-10 show
// the left texels and 13-14 the right ones.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "media/C_Texture.h"
#include "tests/media/MediaDevice.h"

namespace
{
constexpr uint32_t Key = 0xFF0000;

struct Quadrants { uint32_t topLeft, topRight, bottomLeft, bottomRight; };

bool Near(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 1)
            return false;
    return true;
}
} // namespace

class TextureRender : public MediaDevice
{
protected:
    void Draw(CTexture& texture, std::vector<uint32_t> pixels)
    {
        ASSERT_TRUE(texture.Create(2, 2));
        texture.SetImageFromMem(2, 2, pixels.data());
        texture.Render2DImage(8, 8, 9, 9);
    }

    Quadrants Read()
    {
        return {Pixel(9, 10), Pixel(14, 9), Pixel(10, 13), Pixel(13, 14)};
    }
};

TEST_F(TextureRender, ColourKeyAndPlayerColourShowAsTheFormatAllows)
{
    constexpr uint32_t None = CTexture::None;
    constexpr uint32_t Bg = Background;
    // A key is clear in formats with alpha; without alpha it shows the colour
    // bled from its only diagonal neighbour, the lower right texel.  Magenta
    // shades m take m x colour / 256: 255 x (255, 128, 64) / 256 = (254, 127,
    // 63), and 254 blue in 5 bits is 31, shown as 0xFF.
    const struct Case
    {
        uint32_t format, key, playerColour;
        std::vector<uint32_t> texels;
        Quadrants expected;
    } cases[] = {
        {CTexture::FormatA4R4G4B4, Key, None, {Key, 0x00FF00, 0x0000FF, Key}, {Bg, 0x00FF00, 0x0000FF, Bg}},
        {CTexture::FormatX8R8G8B8, Key, None, {Key, 0x00FF00, 0x0000FF, 0x123456}, {0x123456, 0x00FF00, 0x0000FF, 0x123456}},
        {CTexture::FormatA1R5G5B5, Key, 0x0000FF, {0xFF00FF, Key, 0xFFFFFF, 0x00FF00}, {0x0000FF, Bg, 0xFFFFFF, 0x00FF00}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "format " << c.format << std::hex << " key " << c.key << " colour "
                                          << c.playerColour);
        Clear(Background);
        CTexture texture;
        texture.format = c.format;
        texture.colourKey = c.key;
        texture.playerColour = c.playerColour;
        texture.singleLevel = 1;
        Draw(texture, c.texels);
        const Quadrants q = Read();
        EXPECT_EQ(q.topLeft, c.expected.topLeft);
        EXPECT_EQ(q.topRight, c.expected.topRight);
        EXPECT_EQ(q.bottomLeft, c.expected.bottomLeft);
        EXPECT_EQ(q.bottomRight, c.expected.bottomRight);
        EXPECT_EQ(RenderState(Sys3DRenderState::AlphaFunc), uint32_t(Sys3DCompare::Always));
    }
}

TEST_F(TextureRender, ConstantAlphaBlendsOverTheScreen)
{
    Clear(0x000000);
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    texture.alpha = 128;
    texture.singleLevel = 1;
    Draw(texture, {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
    EXPECT_TRUE(Near(Read().topLeft, 0x808080)) << std::hex << Read().topLeft;
    EXPECT_EQ(RenderState(Sys3DRenderState::AlphaBlendEnable), 0u);
}

TEST_F(TextureRender, PixelAlphaBlendsEachPixelByItsOwnAlpha)
{
    Clear(0x000000);
    CTexture texture;
    texture.format = CTexture::FormatA8R8G8B8;
    texture.alpha = CTexture::PixelAlpha;
    texture.singleLevel = 1;
    Draw(texture, {0x00FFFFFF, 0xFF00FF00, 0x80FFFFFF, 0xFF0000FF});
    const Quadrants q = Read();
    EXPECT_EQ(q.topLeft, 0x000000u);
    EXPECT_EQ(q.topRight, 0x00FF00u);
    EXPECT_TRUE(Near(q.bottomLeft, 0x808080)) << std::hex << q.bottomLeft;
    EXPECT_EQ(q.bottomRight, 0x0000FFu);
}

TEST_F(TextureRender, OwnSizeAndScaledScreenUseLinearFilteringOnlyWhileDrawing)
{
    g_Config.screenWidth = 512;
    g_Config.screenHeight = 384;
    CTexture texture;
    texture.format = CTexture::FormatR5G6B5;
    texture.singleLevel = 1;
    std::vector<uint32_t> white(16 * 16, 0xFFFFFF);
    ASSERT_TRUE(texture.Create(16, 16));
    texture.SetImageFromMem(16, 16, white.data());
    // Virtual (16, 16) is pixel (8, 8); the 16-wide quad spans 15 virtual
    // units, 7.5 pixels.
    texture.Render2DImage(16, 16, -1, -1);
    EXPECT_EQ(Pixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(Pixel(7, 10), Background);
    EXPECT_EQ(Pixel(16, 10), Background);
    EXPECT_EQ(StageState(Sys3DStageState::MinFilter), uint32_t(Sys3DFilter::Point));
}
