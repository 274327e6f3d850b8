#pragma once
// A plain 32-bit pixel buffer: width x height pixels 0xAARRGGBB (blue in the
// low byte), row after row from the top; pixel (x, y) is pixels[y * width + x].
// The buffer either owns its pixels (allocated by Create) or points at memory
// somebody else owns (Attach).  Drawing operations are clipped to the buffer
// unless their name says otherwise.

#include <cstdint>

class CBitmap32
{
public:
    CBitmap32();
    ~CBitmap32();
    CBitmap32(CBitmap32&& other) noexcept;
    CBitmap32& operator=(CBitmap32&& other) noexcept;
    CBitmap32(const CBitmap32&) = delete;
    CBitmap32& operator=(const CBitmap32&) = delete;

    // Frees what it held and owns w x h new pixels, all 0.
    void Create(int32_t w, int32_t h);
    // Frees what it held and points at `memory` (w x h pixels, owned by the
    // caller, who keeps it alive), setting those pixels to 0.
    void Attach(int32_t w, int32_t h, uint32_t* memory);
    // Frees owned pixels; the buffer is empty (0 x 0) afterwards.
    void Free();

    // A new owned w x h buffer holding the rectangle at (x, y) of this one.
    // Source pixels outside this buffer (on any side) become `fill`, or with
    // fill NoFill the nearest edge pixel.
    CBitmap32 CreateCopy(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t fill) const;

    void PutPixelClipped(int32_t x, int32_t y, uint32_t colour);
    // Unchecked: the caller guarantees 0 <= x < width and 0 <= y < height.
    void PutPixel(int32_t x, int32_t y, uint32_t colour) { pixels[y * width + x] = colour; }
    // 0 outside the buffer.
    uint32_t GetPixel(int32_t x, int32_t y) const;

    // DDA line, both end points drawn.
    void DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
    // DDA line drawn with a filled square of side `thickness` at each step.
    void DrawThickLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t thickness, uint32_t colour);
    // Inclusive rectangle.
    void FillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
    // Square of side `size` centred on (cx, cy).
    void FillSquare(int32_t cx, int32_t cy, int32_t size, uint32_t colour);
    // Copies `source` with its top-left corner at (x, y).  A copy that reaches
    // the right or bottom edge leaves this buffer's last column or row
    // unwritten.  With `blend` the source alpha mixes the pixels (0 skips,
    // 255 copies) and mixed pixels get alpha 0.
    void Blit(int32_t x, int32_t y, const CBitmap32& source, bool blend);

    bool IsEmpty() const { return pixels == nullptr; }

    static constexpr uint32_t NoFill = 0xFFFFFFFF;

    int32_t width;
    int32_t height;
    uint32_t* pixels;
    int32_t owned;

private:
    uint32_t ClampedPixel(int32_t x, int32_t y) const;
    template <typename PlotStep>
    static void StepLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, PlotStep plot);
    static uint32_t BlendPixel(uint32_t destination, uint32_t source);
};
