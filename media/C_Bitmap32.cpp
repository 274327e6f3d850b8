#include "media/C_Bitmap32.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace
{
constexpr uint32_t AlphaShift = 24;
constexpr uint32_t ChannelMask = 0xFF;
constexpr uint32_t OpaqueAlpha = 255;
}

CBitmap32::CBitmap32()
    : width(0), height(0), pixels(nullptr), owned(0)
{
}

CBitmap32::~CBitmap32()
{
    Free();
}

CBitmap32::CBitmap32(CBitmap32&& other) noexcept
    : width(other.width), height(other.height), pixels(other.pixels), owned(other.owned)
{
    other.width = 0;
    other.height = 0;
    other.pixels = nullptr;
    other.owned = 0;
}

CBitmap32& CBitmap32::operator=(CBitmap32&& other) noexcept
{
    if (this != &other)
    {
        Free();
        std::swap(width, other.width);
        std::swap(height, other.height);
        std::swap(pixels, other.pixels);
        std::swap(owned, other.owned);
    }
    return *this;
}

void CBitmap32::Create(int32_t w, int32_t h)
{
    Free();
    if (w <= 0 || h <= 0)
        return;
    pixels = new (std::nothrow) uint32_t[static_cast<size_t>(w) * static_cast<size_t>(h)]();
    if (pixels == nullptr)
        return;
    width = w;
    height = h;
    owned = 1;
}

void CBitmap32::Attach(int32_t w, int32_t h, uint32_t* memory)
{
    Free();
    if (w <= 0 || h <= 0 || memory == nullptr)
        return;
    pixels = memory;
    width = w;
    height = h;
    owned = 0;
    std::memset(pixels, 0, static_cast<size_t>(w) * static_cast<size_t>(h) * sizeof(uint32_t));
}

void CBitmap32::Free()
{
    if (owned)
        delete[] pixels;
    pixels = nullptr;
    width = 0;
    height = 0;
    owned = 0;
}

uint32_t CBitmap32::ClampedPixel(int32_t x, int32_t y) const
{
    if (pixels == nullptr)
        return 0;
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    return pixels[y * width + x];
}

CBitmap32 CBitmap32::CreateCopy(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t fill) const
{
    CBitmap32 copy;
    copy.Create(w, h);
    for (int32_t row = 0; row < copy.height; ++row)
    {
        for (int32_t column = 0; column < copy.width; ++column)
        {
            const int32_t sx = x + column;
            const int32_t sy = y + row;
            const bool inside = sx >= 0 && sx < width && sy >= 0 && sy < height;
            uint32_t value;
            if (inside)
                value = pixels[sy * width + sx];
            else if (fill != NoFill)
                value = fill;
            else
                value = ClampedPixel(sx, sy);
            copy.pixels[row * copy.width + column] = value;
        }
    }
    return copy;
}

void CBitmap32::PutPixelClipped(int32_t x, int32_t y, uint32_t colour)
{
    if (x >= 0 && x < width && y >= 0 && y < height)
        pixels[y * width + x] = colour;
}

uint32_t CBitmap32::GetPixel(int32_t x, int32_t y) const
{
    if (x >= 0 && x < width && y >= 0 && y < height)
        return pixels[y * width + x];
    return 0;
}

// Steps the longer axis one pixel at a time from the smaller coordinate and
// carries the other axis as a float that starts half a pixel in, so that each
// step lands on the pixel the ideal line passes through.
template <typename PlotStep>
void CBitmap32::StepLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, PlotStep plot)
{
    const int32_t dx = x1 - x0;
    const int32_t dy = y1 - y0;
    if (std::abs(dx) > std::abs(dy))
    {
        if (x0 > x1)
        {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        const float slope = static_cast<float>(y1 - y0) / static_cast<float>(x1 - x0);
        float y = static_cast<float>(y0) + 0.5f;
        for (int32_t x = x0; x <= x1; ++x, y += slope)
            plot(x, static_cast<int32_t>(std::floor(y)));
        return;
    }
    if (y0 > y1)
    {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const float slope = dy == 0 ? 0.0f : static_cast<float>(x1 - x0) / static_cast<float>(y1 - y0);
    float x = static_cast<float>(x0) + 0.5f;
    for (int32_t y = y0; y <= y1; ++y, x += slope)
        plot(static_cast<int32_t>(std::floor(x)), y);
}

void CBitmap32::DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    StepLine(x0, y0, x1, y1, [&](int32_t x, int32_t y) { PutPixelClipped(x, y, colour); });
}

void CBitmap32::DrawThickLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t thickness, uint32_t colour)
{
    if (thickness < 2)
    {
        DrawLine(x0, y0, x1, y1, colour);
        return;
    }
    StepLine(x0, y0, x1, y1, [&](int32_t x, int32_t y) { FillSquare(x, y, thickness, colour); });
}

void CBitmap32::FillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    if (x0 >= width || y0 >= height || x1 < 0 || y1 < 0)
        return;
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width - 1);
    y1 = std::min(y1, height - 1);
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x)
            pixels[y * width + x] = colour;
}

void CBitmap32::FillSquare(int32_t cx, int32_t cy, int32_t size, uint32_t colour)
{
    const int32_t left = cx - size / 2;
    const int32_t top = cy - size / 2;
    FillRect(left, top, left + size - 1, top + size - 1, colour);
}

uint32_t CBitmap32::BlendPixel(uint32_t destination, uint32_t source)
{
    const uint32_t alpha = source >> AlphaShift;
    uint32_t mixed = 0;
    for (uint32_t shift = 0; shift < AlphaShift; shift += 8)
    {
        const uint32_t d = (destination >> shift) & ChannelMask;
        const uint32_t s = (source >> shift) & ChannelMask;
        const uint32_t channel = std::min<uint32_t>((d * (OpaqueAlpha - alpha) + s * alpha) >> 8, ChannelMask);
        mixed |= channel << shift;
    }
    return mixed;
}

void CBitmap32::Blit(int32_t x, int32_t y, const CBitmap32& source, bool blend)
{
    int32_t sourceX = 0;
    int32_t sourceY = 0;
    int32_t w = source.width;
    int32_t h = source.height;
    if (x < 0)
    {
        sourceX = -x;
        w += x;
        x = 0;
    }
    if (y < 0)
    {
        sourceY = -y;
        h += y;
        y = 0;
    }
    if (x + w >= width)
        w = width - x - 1;
    if (y + h >= height)
        h = height - y - 1;
    if (w <= 0 || h <= 0 || source.pixels == nullptr || pixels == nullptr)
        return;

    for (int32_t row = 0; row < h; ++row)
    {
        const uint32_t* from = source.pixels + (sourceY + row) * source.width + sourceX;
        uint32_t* to = pixels + (y + row) * width + x;
        for (int32_t column = 0; column < w; ++column)
        {
            const uint32_t pixel = from[column];
            if (!blend)
            {
                to[column] = pixel;
                continue;
            }
            const uint32_t alpha = pixel >> AlphaShift;
            if (alpha == 0)
                continue;
            to[column] = alpha == OpaqueAlpha ? pixel : BlendPixel(to[column], pixel);
        }
    }
}
