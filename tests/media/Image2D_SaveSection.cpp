// The saved section of a prepared picture: its byte layout, a round trip
// into another image, and damaged sections refused.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "media/C_2DImage.h"
#include "media/C_Bitmap32.h"
#include "tests/media/MediaDevice.h"
#include "tests/support/MemorySaveStream.h"
#include "tests/support/TestLog.h"

namespace
{
constexpr uint32_t Key = 0xFF00FF;
constexpr size_t HeadSize = 24 + 16 * 8;
constexpr size_t TextureHeadSize = 6 * 4 + 1 + 4 + 1 + 4 + 1 + 4;

uint32_t PatternAt(int x, int y) { return (x + y) % 5 == 0 ? Key : ((x * 3 + y) % 2 ? 0xFFFFFF : 0x0000FF); }

int32_t I32At(const std::string& bytes, size_t at)
{
    int32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

void PutI32(std::string& bytes, size_t at, int32_t value) { std::memcpy(bytes.data() + at, &value, 4); }
} // namespace

class Image2DSaveSection : public MediaDevice
{
protected:
    void SetUp() override
    {
        MediaDevice::SetUp();
        CBitmap32 bitmap;
        bitmap.Create(300, 40);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 300; ++x)
                bitmap.PutPixel(x, y, PatternAt(x, y));
        m_Image.colourKey = Key;
        ASSERT_TRUE(m_Image.CreateFromBitmap(bitmap));
        m_Image.colour = 0x00FF00;
        CMemorySaveStream out;
        m_Image.Save(out);
        m_Saved = out.Bytes();
    }

    C2DImage m_Image;
    std::string m_Saved;
};

TEST_F(Image2DSaveSection, SectionHoldsTheFieldsAndUsedTilesAndLoadsBackAllButTheColour)
{
    EXPECT_EQ(I32At(m_Saved, 0), 300);
    EXPECT_EQ(I32At(m_Saved, 4), 40);
    EXPECT_EQ(I32At(m_Saved, 8), 255);
    EXPECT_EQ(uint32_t(I32At(m_Saved, 12)), Key);
    EXPECT_EQ(I32At(m_Saved, 16), 2);
    EXPECT_EQ(I32At(m_Saved, 20), 1);
    EXPECT_EQ(I32At(m_Saved, 24 + 32), 44);  // slot 4, tile (1, 0)
    // Tile (0, 0) is 256 square, tile (1, 0) 64 square, 16-bit pixels.
    const size_t second = HeadSize + TextureHeadSize + 256 * 256 * 2;
    EXPECT_EQ(I32At(m_Saved, second), 64);
    EXPECT_EQ(m_Saved.size(), second + TextureHeadSize + 64 * 64 * 2);

    CMemorySaveStream in(m_Saved);
    C2DImage back;
    back.colour = 0x123456;
    ASSERT_TRUE(back.LoadSaved(in));
    EXPECT_FALSE(in.HasError());
    EXPECT_EQ(in.Position(), m_Saved.size());
    EXPECT_EQ(back.width, 300);
    EXPECT_EQ(back.height, 40);
    EXPECT_EQ(back.colourKey, Key);
    EXPECT_EQ(back.tilesX, 2);
    EXPECT_EQ(back.tilesY, 1);
    EXPECT_EQ(back.tileSize[4].width, 44);
    EXPECT_EQ(back.colour, 0x123456u);
    back.colour = 0xFFFFFF;
    back.Render(-250, 10);  // tiles (0, 0) and (1, 0) on screen
    for (int x = 0; x < 50; ++x)
    {
        const uint32_t p = PatternAt(250 + x, 20);
        EXPECT_EQ(Pixel(x, 30), p == Key ? Background : p) << "x " << x;
    }
}

TEST_F(Image2DSaveSection, DamagedSectionsAreRefusedAndLeaveTheImageEmpty)
{
    const size_t firstTexture = HeadSize;
    const struct Case
    {
        const char* what;
        size_t at;       // where a 32-bit value is put, or npos
        int32_t value;
        size_t cutTo;    // the section cut to this many bytes, or npos
        const char* line;
    } cases[] = {
        {"tiles across 9", 16, 9, std::string::npos, "2D image section refused: the tile counts do not match the size"},
        {"width 5000", 0, 5000, std::string::npos, "2D image section refused: the size is out of range"},
        {"height -1", 4, -1, std::string::npos, "2D image section refused: the size is out of range"},
        {"visible width 999", 24, 999, std::string::npos,
         "2D image section refused: a tile's visible size does not match the size"},
        {"tile texture 128 wide", firstTexture, 128, std::string::npos,
         "2D image section refused: a tile's texture does not match its visible size"},
        {"tile texture format 99", firstTexture + 8, 99, std::string::npos, "Damaged texture record in saved game"},
        {"cut in the sizes", std::string::npos, 0, 100, "2D image section refused: the record is cut short"},
        {"cut in the pixels", std::string::npos, 0, firstTexture + TextureHeadSize + 10,
         "2D image section refused: the record is cut short"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string bytes = m_Saved;
        if (c.at != std::string::npos)
            PutI32(bytes, c.at, c.value);
        if (c.cutTo != std::string::npos)
            bytes.resize(c.cutTo);
        CTestLog log;
        CMemorySaveStream in(bytes);
        C2DImage back;  // holding a picture before
        CBitmap32 small;
        small.Create(8, 8);
        ASSERT_TRUE(back.CreateFromBitmap(small));
        EXPECT_FALSE(back.LoadSaved(in));
        EXPECT_TRUE(in.HasError());
        EXPECT_TRUE(back.IsEmpty());
        EXPECT_EQ(back.width, 0);
        for (const CTexture& tile : back.tiles)
            EXPECT_TRUE(tile.IsEmpty());
        EXPECT_TRUE(log.Contains(c.line)) << log.Contents();
        back.Render(0, 0);
        EXPECT_EQ(Pixel(0, 0), Background);
    }
}
