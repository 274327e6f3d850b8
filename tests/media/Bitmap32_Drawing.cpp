// Drawing into 32-bit bitmaps: lines, rectangles, squares and blits.

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>

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

PixelSet Rect(int x0, int y0, int x1, int y1)
{
    PixelSet s;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            s.insert({x, y});
    return s;
}
} // namespace

TEST(Bitmap32, ShapesLandOnThePixelsNamedAndAreClipped)
{
    CBitmap32 block;
    block.Create(10, 10);
    block.FillRect(0, 0, 9, 9, Ink);
    const struct Case
    {
        const char* name;
        int side;
        std::function<void(CBitmap32&)> draw;
        PixelSet expected;
    } cases[] = {
        // Slope 0.5 from the smaller end: y runs 0.5, 1.0, 1.5, 2.0, 2.5, truncated.
        {"shallow line", 8, [](CBitmap32& b) { b.DrawLine(4, 2, 0, 0, Ink); },
         {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}},
        // Steep: x runs 1.5, 1.83, 2.17, 2.5.
        {"steep line", 8, [](CBitmap32& b) { b.DrawLine(1, 0, 2, 3, Ink); }, {{1, 0}, {1, 1}, {2, 2}, {2, 3}}},
        {"lines partly outside", 4,
         [](CBitmap32& b) {
             b.DrawLine(-2, 1, 2, 1, Ink);
             b.DrawLine(1, -50, 1, -10, Ink);
         },
         {{0, 1}, {1, 1}, {2, 1}}},
        {"thick line", 8, [](CBitmap32& b) { b.DrawThickLine(0, 2, 4, 2, 3, Ink); }, Rect(0, 1, 5, 3)},
        {"rectangle inclusive and clipped", 4, [](CBitmap32& b) { b.FillRect(-3, -3, 1, 1, Ink); },
         Rect(0, 0, 1, 1)},
        {"everything outside", 4,
         [](CBitmap32& b) {
             b.PutPixelClipped(-1, 0, Ink);
             b.PutPixelClipped(0, 4, Ink);
             b.FillRect(4, 0, 6, 2, Ink);
             b.FillRect(0, 4, 2, 6, Ink);
             b.FillRect(-5, 0, -1, 2, Ink);
         },
         {}},
        {"rectangle over all", 4, [](CBitmap32& b) { b.FillRect(0, 0, 10, 10, Ink); }, Rect(0, 0, 3, 3)},
        {"square on integer halves", 5, [](CBitmap32& b) { b.FillSquare(2, 2, 2, Ink); }, Rect(1, 1, 2, 2)},
        // A blit reaching the edge leaves the last column and row.
        {"blit to the edge", 10, [&block](CBitmap32& b) { b.Blit(0, 0, block, false); }, Rect(0, 0, 8, 8)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CBitmap32 bitmap;
        bitmap.Create(c.side, c.side);
        c.draw(bitmap);
        EXPECT_TRUE(InkedPixels(bitmap) == c.expected && bitmap.GetPixel(c.side + 1, 0) == 0u);
    }
}
