#include "core/GlobalFunc.h"

#include <utility>

#include "core/GlobalFunc.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"

namespace
{
constexpr uint32_t kOpaqueColours = 0xFFFFFF;

void SetBlending(SysDevice3D& device, bool on, const char* label)
{
    GlobalFunc::FatalD3DError(label, device.SetRenderState(Sys3DRenderState::AlphaBlendEnable, on ? 1 : 0), true);
}

void AddCorner(int32_t x, int32_t y, uint32_t colour)
{
    g_VXBuffer.Add2dVertexScreen(static_cast<float>(x), static_cast<float>(y), colour, 0.0f, 0.0f);
}
} // namespace

namespace GlobalFunc
{
void DrawBox(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    SysDevice3D* device = GetD3DDevice();
    if (device == nullptr)
        return;
    if (x1 < x0)
        std::swap(x0, x1);
    if (y1 < y0)
        std::swap(y0, y1);
    FatalD3DError("DrawBox()", device->SetTexture(0, nullptr), true);
    const bool blended = colour > kOpaqueColours;
    if (blended)
        SetBlending(*device, true, "DrawBox/1");
    g_VXBuffer.Begin2d(CVXBuffer::TriangleList);
    AddCorner(x0, y0, colour);
    AddCorner(x1, y0, colour);
    AddCorner(x1, y1, colour);
    AddCorner(x0, y1, colour);
    g_VXBuffer.Show2d();
    if (blended)
        SetBlending(*device, false, "DrawBox/2");
}

void DrawRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour)
{
    g_VXBuffer.Begin2d(CVXBuffer::LineStrip);
    AddCorner(x0, y0, colour);
    AddCorner(x1, y0, colour);
    AddCorner(x1, y1, colour);
    AddCorner(x0, y1, colour);
    AddCorner(x0, y0, colour);
    g_VXBuffer.Show2dLines();
}
} // namespace GlobalFunc
