#include "media/C_VXBuffer.h"

#include <bit>
#include <new>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/GlobalFunc.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"

CVXBuffer g_VXBuffer;

namespace
{
constexpr uint32_t Format3d = Sys3DFvf::Xyz | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;
constexpr uint32_t Format3dDual = Sys3DFvf::Xyz | Sys3DFvf::Diffuse | Sys3DFvf::Tex2;
constexpr uint32_t Format2d = Sys3DFvf::XyzRhw | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;

float VirtualToScreenX(float x)
{
    return x * (static_cast<float>(g_Config.screenWidth) / CVXBuffer::VirtualWidth);
}

float VirtualToScreenY(float y)
{
    return y * (static_cast<float>(g_Config.screenHeight) / CVXBuffer::VirtualHeight);
}
} // namespace

CVXBuffer::~CVXBuffer()
{
    Free();
}

void CVXBuffer::Init(int32_t capacity)
{
    Free();
    if (capacity > 0)
    {
        vertices3d = new (std::nothrow) SVertex3D[capacity]();
        vertices2d = new (std::nothrow) SVertex2D[capacity]();
        vertices3dDual = new (std::nothrow) SVertex3DDual[capacity]();
    }
    if (vertices3d && vertices2d && vertices3dDual)
        m_Capacity = capacity;
    else
        Free();
    count2d = 0;
    count3d = 0;
}

void CVXBuffer::Free()
{
    delete[] vertices3d;
    delete[] vertices2d;
    delete[] vertices3dDual;
    vertices3d = nullptr;
    vertices2d = nullptr;
    vertices3dDual = nullptr;
    m_Capacity = 0;
    count2d = 0;
    count3d = 0;
}

void CVXBuffer::Begin3d(uint32_t type)
{
    count3d = 0;
    type3d = type;
    m_OverflowReported = false;
}

void CVXBuffer::Begin2d(uint32_t type)
{
    count2d = 0;
    type2d = type;
    m_OverflowReported = false;
}

bool CVXBuffer::HasRoom(int32_t count)
{
    if (count < m_Capacity)
        return true;
    if (!m_OverflowReported)
    {
        m_OverflowReported = true;
        DEBUG_REPORT("#DEBUG: Vertex buffer full, vertices dropped");
    }
    return false;
}

void CVXBuffer::Add3dVertex(float x, float y, float z, uint32_t colour, float u, float v)
{
    if (!HasRoom(count3d))
        return;
    vertices3d[count3d++] = {x * WorldScale, y * WorldScale, z * WorldScale, colour, u, v};
}

void CVXBuffer::Add3dVertexRaw(uint32_t x, uint32_t y, uint32_t z, uint32_t colour, uint32_t u, uint32_t v)
{
    Add3dVertex(std::bit_cast<float>(x), std::bit_cast<float>(y), std::bit_cast<float>(z), colour,
                std::bit_cast<float>(u), std::bit_cast<float>(v));
}

void CVXBuffer::AddScaledVertex(float x, float y, float z, uint32_t colour, float u, float v, float s, float t)
{
    if (!HasRoom(count3d))
        return;
    vertices3dDual[count3d++] = {x * WorldScale, y * WorldScale, z * WorldScale, colour, u, v, s, t};
}

void CVXBuffer::AddScaledVertexFwd(float x, float y, float z, uint32_t colour, float u, float v, float s, float t)
{
    AddScaledVertex(x, y, z, colour, u, v, s, t);
}

void CVXBuffer::Add2dVertex(float x, float y, uint32_t colour, float u, float v)
{
    Add2dVertexScreen(VirtualToScreenX(x), VirtualToScreenY(y), colour, u, v);
}

void CVXBuffer::Add2dVertexFwd(uint32_t x, uint32_t y, uint32_t colour, uint32_t u, uint32_t v)
{
    Add2dVertex(std::bit_cast<float>(x), std::bit_cast<float>(y), colour, std::bit_cast<float>(u),
                std::bit_cast<float>(v));
}

void CVXBuffer::Add2dVertexScreen(float x, float y, uint32_t colour, float u, float v)
{
    if (!HasRoom(count2d))
        return;
    vertices2d[count2d++] = {x, y, 0.0f, 1.0f, colour, u, v};
}

// Every operation reports its three device calls under the labels of Show3d,
// as the fatal report has always named them.
void CVXBuffer::Draw(uint32_t fvf, uint32_t primitive, int32_t primitiveCount, const void* vertices, uint32_t stride)
{
    SysDevice3D* device = GetD3DDevice();
    if (primitiveCount < 1 || device == nullptr)
        return;
    GlobalFunc::FatalD3DError("CVXBuffer::Show3d()/2", device->SetVertexFormat(fvf), true);
    GlobalFunc::FatalD3DError("CVXBuffer::Show3d()/3", device->SetStreamSource(nullptr, stride), true);
    GlobalFunc::FatalD3DError("CVXBuffer::Show3d()/4",
                              device->DrawPrimitiveUP(static_cast<Sys3DPrimitive>(primitive),
                                                      static_cast<uint32_t>(primitiveCount), vertices, stride),
                              true);
}

void CVXBuffer::ClearTexture(const char* label)
{
    if (SysDevice3D* device = GetD3DDevice())
        GlobalFunc::FatalD3DError(label, device->SetTexture(0, nullptr), true);
}

void CVXBuffer::Show3d()
{
    const int32_t triangles = count3d / 3;
    if (triangles < 1)
        return;
    Draw(Format3d, TriangleList, triangles, vertices3d, sizeof(SVertex3D));
    primitivesDrawn += triangles;
}

void CVXBuffer::Show3dFan()
{
    const int32_t triangles = count3d - 2;
    if (triangles < 1)
        return;
    Draw(Format3d, TriangleFan, triangles, vertices3d, sizeof(SVertex3D));
    primitivesDrawn += triangles;
}

void CVXBuffer::Show3dDualFan()
{
    const int32_t triangles = count3d - 2;
    if (triangles < 1)
        return;
    Draw(Format3dDual, TriangleFan, triangles, vertices3dDual, sizeof(SVertex3DDual));
    primitivesDrawn += triangles;
}

void CVXBuffer::Show3dLines()
{
    ClearTexture("CVXBuffer::Show3dLines()/4");
    Draw(Format3d, LineStrip, count3d - 1, vertices3d, sizeof(SVertex3D));
}

void CVXBuffer::Show3dLineStrip()
{
    Draw(Format3d, LineStrip, count3d - 1, vertices3d, sizeof(SVertex3D));
}

void CVXBuffer::Show2d()
{
    const int32_t triangles = count2d - 2;
    if (triangles < 1)
        return;
    Draw(Format2d, TriangleFan, triangles, vertices2d, sizeof(SVertex2D));
    primitivesDrawn += triangles;
}

void CVXBuffer::Show2dLines()
{
    ClearTexture("CVXBuffer::Show2dLines()/4");
    Draw(Format2d, LineStrip, count2d - 1, vertices2d, sizeof(SVertex2D));
}
