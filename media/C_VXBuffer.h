#pragma once
// The one immediate-mode vertex batch: vertices are collected in memory and
// drawn with one device call.  A user calls Begin2d or Begin3d, adds its
// vertices in drawing order and calls one Show operation; nothing stays in
// the batch between draws.  Main thread only; a draw finishes before the
// next Begin.
//
// 3-D coordinates are world units, stored multiplied by WorldScale.  2-D
// coordinates are on the virtual 1024 x 768 screen, stored in pixels of the
// configured resolution (the back buffer's size); Add2dVertexScreen takes
// pixels as they are.
//
// Adds past the capacity are dropped (reported once per batch); a Show with
// fewer vertices than one primitive draws nothing.

#include <cstdint>

struct SVertex3D
{
    float x, y, z;
    uint32_t colour;  // 0xAARRGGBB
    float u, v;
};

struct SVertex3DDual
{
    float x, y, z;
    uint32_t colour;
    float u, v, s, t;
};

struct SVertex2D
{
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};

static_assert(sizeof(SVertex3D) == 24 && sizeof(SVertex3DDual) == 32 && sizeof(SVertex2D) == 28);

class CVXBuffer
{
public:
    // Primitive type numbers callers give to Begin2d and Begin3d.
    static constexpr uint32_t LineStrip = 3;
    static constexpr uint32_t TriangleList = 4;
    static constexpr uint32_t TriangleFan = 6;

    static constexpr float WorldScale = 0.02f;
    static constexpr int32_t VirtualWidth = 1024;
    static constexpr int32_t VirtualHeight = 768;

    CVXBuffer() = default;
    ~CVXBuffer();
    CVXBuffer(const CVXBuffer&) = delete;
    CVXBuffer& operator=(const CVXBuffer&) = delete;

    // Room for `capacity` vertices in each of the three arrays.
    void Init(int32_t capacity);
    void Free();

    void Begin3d(uint32_t type);
    void Begin2d(uint32_t type);

    void Add3dVertex(float x, float y, float z, uint32_t colour, float u, float v);
    // The same arguments as the bits of 32-bit words.
    void Add3dVertexRaw(uint32_t x, uint32_t y, uint32_t z, uint32_t colour, uint32_t u, uint32_t v);
    // Into the dual-texture array; shares the count of Add3dVertex.
    void AddScaledVertex(float x, float y, float z, uint32_t colour, float u, float v, float s, float t);
    void AddScaledVertexFwd(float x, float y, float z, uint32_t colour, float u, float v, float s, float t);
    void Add2dVertex(float x, float y, uint32_t colour, float u, float v);
    void Add2dVertexFwd(uint32_t x, uint32_t y, uint32_t colour, uint32_t u, uint32_t v);
    void Add2dVertexScreen(float x, float y, uint32_t colour, float u, float v);

    // Draw what was added since the matching Begin; the count stays.
    void Show3d();           // triangle list
    void Show3dFan();
    void Show3dDualFan();
    void Show3dLines();      // line strip, texture of stage 0 cleared first
    void Show3dLineStrip();  // line strip, texture kept
    void Show2d();           // triangle fan
    void Show2dLines();      // line strip, texture of stage 0 cleared first

    SVertex3D* vertices3d = nullptr;
    SVertex3DDual* vertices3dDual = nullptr;
    SVertex2D* vertices2d = nullptr;
    // Triangles drawn by the triangle operations; the frame resets it.
    int32_t primitivesDrawn = 0;
    int32_t count2d = 0;
    int32_t count3d = 0;
    uint32_t type2d = 0;
    uint32_t type3d = 0;

private:
    bool HasRoom(int32_t count);
    void Draw(uint32_t fvf, uint32_t primitive, int32_t primitiveCount, const void* vertices, uint32_t stride);
    void ClearTexture(const char* label);

    int32_t m_Capacity = 0;
    bool m_OverflowReported = false;
};

extern CVXBuffer g_VXBuffer;
