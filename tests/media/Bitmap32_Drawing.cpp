#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "media/C_Bitmap32.h"

namespace
{
constexpr uint32_t Ink = 0xFF123456;

using PixelSet = std::set<std::pair<int, int>>;

PixelSet InkedPixels(const CBitmap32& bitmap)
{
    PixelSet found;
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x)
            if (bitmap.GetPixel(x, y) == Ink)
                found.insert({x, y});
    return found;
}

CBitmap32 Numbered(int w, int h)
{
    CBitmap32 bitmap;
    bitmap.Create(w, h);
    for (int i = 0; i < w * h; ++i)
        bitmap.pixels[i] = 0xFF000000u | uint32_t(i);
    return bitmap;
}
} // namespace

TEST(Bitmap32, CreateZeroesAndOwnsAttachZeroesForeignMemory)
{
    CBitmap32 bitmap;
    std::vector<uint32_t> memory(4, 0xAAAAAAAA);
    bitmap.Attach(2, 2, memory.data());
    EXPECT_EQ(bitmap.owned, 0);
    EXPECT_EQ(memory, std::vector<uint32_t>(4, 0u));
    bitmap.Free();  // must not free the foreign memory
    EXPECT_TRUE(bitmap.IsEmpty());
}

TEST(Bitmap32, DrawLineStepsTheLongerAxisFromTheSmallerEnd)
{
    CBitmap32 bitmap;
    bitmap.Create(8, 8);
    // Slope 0.5: y runs 0.5, 1.0, 1.5, 2.0, 2.5 and is truncated.
    bitmap.DrawLine(4, 2, 0, 0, Ink);
    EXPECT_EQ(InkedPixels(bitmap), (PixelSet{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));

    bitmap.Create(8, 8);
    // Steep: x runs 1.5, 1.83, 2.17, 2.5.
    bitmap.DrawLine(1, 0, 2, 3, Ink);
    EXPECT_EQ(InkedPixels(bitmap), (PixelSet{{1, 0}, {1, 1}, {2, 2}, {2, 3}}));

    // Partly outside: nothing lands on row or column 0 by mistake.
    bitmap.Create(4, 4);
    bitmap.DrawLine(-2, 1, 2, 1, Ink);
    bitmap.DrawLine(1, -50, 1, -10, Ink);
    EXPECT_EQ(InkedPixels(bitmap), (PixelSet{{0, 1}, {1, 1}, {2, 1}}));
}

TEST(Bitmap32, ThickLinePutsASquareAtEveryStep)
{
    CBitmap32 bitmap;
    bitmap.Create(8, 8);
    bitmap.DrawThickLine(0, 2, 4, 2, 3, Ink);
    PixelSet expected;
    for (int y = 1; y <= 3; ++y)
        for (int x = 0; x <= 5; ++x)
            expected.insert({x, y});
    EXPECT_EQ(InkedPixels(bitmap), expected);
}

TEST(Bitmap32, FillRectIsInclusiveAndClipped)
{
    CBitmap32 bitmap;
    bitmap.Create(4, 4);
    bitmap.FillRect(-3, -3, 1, 1, Ink);
    EXPECT_EQ(InkedPixels(bitmap), (PixelSet{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));

    bitmap.Create(4, 4);
    bitmap.PutPixelClipped(-1, 0, Ink);
    bitmap.PutPixelClipped(0, 4, Ink);
    EXPECT_EQ(bitmap.GetPixel(5, 0), 0u);
    bitmap.FillRect(4, 0, 6, 2, Ink);
    bitmap.FillRect(0, 4, 2, 6, Ink);
    bitmap.FillRect(-5, 0, -1, 2, Ink);
    EXPECT_TRUE(InkedPixels(bitmap).empty());

    bitmap.FillRect(0, 0, 10, 10, Ink);
    EXPECT_EQ(InkedPixels(bitmap).size(), 16u);
}

TEST(Bitmap32, FillSquareCentresOnIntegerHalves)
{
    CBitmap32 bitmap;
    bitmap.Create(5, 5);
    bitmap.FillSquare(2, 2, 2, Ink);
    EXPECT_EQ(InkedPixels(bitmap), (PixelSet{{1, 1}, {2, 1}, {1, 2}, {2, 2}}));

}

TEST(Bitmap32, BlitReachingTheEdgeLeavesTheLastColumnAndRow)
{
    CBitmap32 source;
    source.Create(10, 10);
    source.FillRect(0, 0, 9, 9, Ink);
    CBitmap32 target;
    target.Create(10, 10);
    target.Blit(0, 0, source, false);
    PixelSet inked = InkedPixels(target);
    EXPECT_EQ(inked.size(), 81u);
    EXPECT_EQ(inked.count({8, 8}), 1u);
    EXPECT_EQ(inked.count({9, 0}), 0u);
    EXPECT_EQ(inked.count({0, 9}), 0u);
}

TEST(Bitmap32, BlitWithNegativeOffsetStartsInsideTheSource)
{
    CBitmap32 source = Numbered(4, 4);
    CBitmap32 target;
    target.Create(10, 10);
    target.Blit(-1, -2, source, false);
    // Source (1, 2) lands on (0, 0); 3 columns and 2 rows remain.
    EXPECT_EQ(target.GetPixel(0, 0), 0xFF000000u | 9u);
    EXPECT_EQ(target.GetPixel(2, 1), 0xFF000000u | 15u);
    EXPECT_EQ(target.GetPixel(3, 0), 0u);
    EXPECT_EQ(target.GetPixel(0, 2), 0u);
}

TEST(Bitmap32, BlendSkipsClearCopiesOpaqueAndMixesTheRest)
{
    CBitmap32 source;
    source.Create(3, 1);
    source.pixels[0] = 0x00FFFFFF;  // alpha 0: skipped
    source.pixels[1] = 0xFFABCDEF;  // alpha 255: copied as it is
    source.pixels[2] = 0x80FFFFFF;  // alpha 128: mixed
    CBitmap32 target;
    target.Create(5, 2);
    for (int i = 0; i < 10; ++i)
        target.pixels[i] = 0x11102030;
    target.Blit(0, 0, source, true);
    EXPECT_EQ(target.GetPixel(0, 0), 0x11102030u);
    EXPECT_EQ(target.GetPixel(1, 0), 0xFFABCDEFu);
    // (d x 127 + 255 x 128) >> 8: red 16 -> 135, green 32 -> 143, blue 48 -> 151; alpha 0.
    EXPECT_EQ(target.GetPixel(2, 0), 0x00878F97u);
}

TEST(Bitmap32, CreateCopyRepeatsEdgesOrFillsOutsideOnEverySide)
{
    const uint32_t O = 0xFF000000u;
    CBitmap32 source = Numbered(3, 2);  // 0 1 2 / 3 4 5
    const struct { int x, y, w, h; uint32_t fill; std::vector<uint32_t> expected; } cases[] = {
        {1, 0, 4, 3, CBitmap32::NoFill, {O | 1, O | 2, O | 2, O | 2, O | 4, O | 5, O | 5, O | 5, O | 4, O | 5, O | 5, O | 5}},
        {2, 1, 2, 2, 0x0000DEAD, {O | 5, 0xDEAD, 0xDEAD, 0xDEAD}},
        {-1, -1, 2, 2, CBitmap32::NoFill, {O, O, O, O}},
        {-1, 0, 2, 1, 0x77, {0x77, O}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        CBitmap32 copy = source.CreateCopy(c.x, c.y, c.w, c.h, c.fill);
        ASSERT_EQ(copy.width, c.w);
        ASSERT_EQ(copy.height, c.h);
        EXPECT_EQ(std::vector<uint32_t>(copy.pixels, copy.pixels + c.w * c.h), c.expected);
    }
}
