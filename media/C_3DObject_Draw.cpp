// Transforms, lighting and drawing of C3DObject.
//
// Lighting is one table look-up per vertex: s = (L . n + 1) x 128, at least
// 96 (the side away from the light keeps 96 of 256), times `brightness`, into
// a table of greys that saturates at white above 255.  The index is kept
// inside the table whatever brightness a caller sets.

#include <algorithm>
#include <cstring>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/C_String.h"
#include "core/GlobalFunc.h"
#include "media/C_3DObject.h"
#include "media/C_Texture.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"

namespace
{
constexpr int32_t GreyLevels = 256;
constexpr int32_t LastShadingEntry = C3DObject::ShadingTableSize - 1;
constexpr int32_t LitFloor = 96;
constexpr float LitScale = 128.0f;
constexpr float FlatLevel = 255.0f;
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t OpaqueObjectAlpha = 255;
constexpr uint32_t BlendAlphaReference = 8;
constexpr uint32_t RestingAlphaReference = 32;
constexpr uint32_t VertexFormat = Sys3DFvf::Xyz | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;
constexpr int32_t BoxCorners = 8;

// The render-state calls around a model draw, by their caller labels:
// alpha function GREATER, blending on, alpha reference 8, alpha operation
// MODULATE, alpha arguments TEXTURE and DIFFUSE; and back: alpha reference
// 32, SELECTARG1, TEXTURE, DIFFUSE, alpha function ALWAYS, blending off.
const char* const VxBufferSetLabels[6] = {
    "C3DObject::RenderVXBuffer/1", "C3DObject::RenderVXBuffer/2", "C3DObject::RenderVXBuffer/15",
    "C3DObject::RenderVXBuffer/3", "C3DObject::RenderVXBuffer/4", "C3DObject::RenderVXBuffer/5"};
const char* const VxBufferRestoreLabels[6] = {
    "C3DObject::RenderVXBuffer/16", "C3DObject::RenderVXBuffer/10", "C3DObject::RenderVXBuffer/11",
    "C3DObject::RenderVXBuffer/12", "C3DObject::RenderVXBuffer/13", "C3DObject::RenderVXBuffer/14"};
const char* const RenderSetLabels[6] = {"C3DObject::Render/1", "C3DObject::Render/2", "C3DObject::Render11",
                                        "C3DObject::Render/3", "C3DObject::Render/4", "C3DObject::Render/5"};
const char* const RenderRestoreLabels[6] = {"C3DObject::Render12", "C3DObject::Render/6", "C3DObject::Render/7",
                                            "C3DObject::Render/8", "C3DObject::Render/9", "C3DObject::Render/10"};

struct SShadingTable
{
    uint32_t entries[C3DObject::ShadingTableSize];
    constexpr SShadingTable() : entries()
    {
        for (int32_t i = 0; i < C3DObject::ShadingTableSize; ++i)
            entries[i] = i < GreyLevels ? uint32_t(i) * 0x010101u : White;
    }
};
constexpr SShadingTable ShadingTable;

// A table index from a float product, limited to the table (NaN gives 0).
int32_t ShadingIndex(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= float(LastShadingEntry))
        return LastShadingEntry;
    return static_cast<int32_t>(value);
}

void Check(const char* label, Sys3DResult result)
{
    GlobalFunc::FatalD3DError(label, result, true);
}

// a x b for 3 x 3 matrices stored row after row.
void Multiply(const float (&a)[9], const float (&b)[9], float (&out)[9])
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[3 * r + c] = a[3 * r] * b[c] + a[3 * r + 1] * b[3 + c] + a[3 * r + 2] * b[6 + c];
}

C3DObject::SVector TimesMatrix(const C3DObject::SVector& p, const float (&m)[9])
{
    return {p.x * m[0] + p.y * m[3] + p.z * m[6], p.x * m[1] + p.y * m[4] + p.z * m[7],
            p.x * m[2] + p.y * m[5] + p.z * m[8]};
}

float Dot(const float (&a)[3], const C3DObject::SVector& b)
{
    return a[0] * b.x + a[1] * b.y + a[2] * b.z;
}

// -lightDir brought into model space by the transpose of R.
void LightInModelSpace(const float (&lightDir)[3], const float (&r)[9], float (&out)[3])
{
    for (int c = 0; c < 3; ++c)
        out[c] = -(lightDir[0] * r[3 * c] + lightDir[1] * r[3 * c + 1] + lightDir[2] * r[3 * c + 2]);
}

void LightUnrotated(const float (&lightDir)[3], float (&out)[3])
{
    for (int c = 0; c < 3; ++c)
        out[c] = -lightDir[c];
}
} // namespace

uint32_t C3DObject::ShadingEntry(int32_t i)
{
    return ShadingTable.entries[std::clamp(i, 0, LastShadingEntry)];
}

// ---- Shared steps ----------------------------------------------------------------

bool C3DObject::IsDrawableFrame(int32_t frame)
{
    if (vertexCount == 0)
        return false;
    if (frame >= 0 && frame < frameCount)
        return true;
    if (!m_BadFrameReported)
    {
        m_BadFrameReported = true;
        CString number;
        number.FromInt(frame);
        g_Log.Write(CString("Model frame out of range, not drawn: ") + number);
    }
    return false;
}

void C3DObject::SetWorldMatrix(const char* label, const float (&m)[9], float x, float y, float z)
{
    // Only RenderVXBuffer draws with this matrix and puts the identity back;
    // without a vertex buffer it draws nothing, so the device is left alone.
    SysDevice3D* device = GetD3DDevice();
    if (device == nullptr || !vertexBuffer)
        return;
    Sys3DMatrix world;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            world.m[r][c] = m[3 * r + c];
    world.m[3][0] = x * WorldScale;
    world.m[3][1] = y * WorldScale;
    world.m[3][2] = z * WorldScale;
    world.m[3][3] = 1.0f;
    Check(label, device->SetTransform(Sys3DTransform::World, world));
}

// `light` points toward the light, in the space of the frame's normals.
void C3DObject::ShadeLit(int32_t frame, const float light[3], bool tintDamage)
{
    const float towardLight[3] = {light[0], light[1], light[2]};
    const std::vector<SVector>& normals = frames[size_t(frame)].normals;
    for (size_t i = 0; i < normals.size(); ++i)
    {
        float s = (Dot(towardLight, normals[i]) + 1.0f) * LitScale;
        if (!(s >= float(LitFloor)))
            s = float(LitFloor);
        const int32_t level = ShadingIndex(s);
        colours[i] = ShadingTable.entries[ShadingIndex(float(level) * brightness)];
    }
    if (tintDamage && damageStride > 0 && g_Config.unitDamage)
    {
        for (size_t i = 0; i < colours.size(); i += size_t(damageStride))
            colours[i] &= DamageTintMask;
    }
}

void C3DObject::ShadeFlat()
{
    std::fill(colours.begin(), colours.end(), ShadingTable.entries[ShadingIndex(FlatLevel * brightness)]);
}

void C3DObject::AddObjectAlpha()
{
    if (objectAlpha == NoObjectAlpha)
        return;
    const uint32_t alphaByte = uint32_t(std::clamp(objectAlpha, 0, 255)) << 24;
    for (uint32_t& colour : colours)
        colour = (colour & 0x00FFFFFF) | alphaByte;
}

// The frame's range of the vertex buffer: each face's three vertices take the
// colours of its corners a, b, c (and the scrolled texture coordinates).
void C3DObject::WriteFrameColours(const char* lockLabel, const char* unlockLabel, int32_t frame, bool scrollUV,
                                  float du, float dv)
{
    if (!vertexBuffer)
        return;
    const uint32_t frameBytes = uint32_t(faceCount) * 3 * VertexBytes;
    void* locked = nullptr;
    Check(lockLabel, vertexBuffer->Lock(frameBytes * uint32_t(frame), frameBytes, locked));
    if (locked == nullptr)
        return;
    SVertex3D* out = static_cast<SVertex3D*>(locked);
    for (const SFace& face : faces)
    {
        const int32_t corners[3] = {face.a, face.b, face.c};
        for (int k = 0; k < 3; ++k, ++out)
        {
            out->colour = colours[size_t(corners[k])];
            if (scrollUV)
            {
                out->u = face.uv[k][0] + du;
                out->v = face.uv[k][1] + dv;
            }
        }
    }
    Check(unlockLabel, vertexBuffer->Unlock());
}

void C3DObject::TransformPoints(int32_t frame, const float (&m)[9], bool cornersOnly)
{
    const std::vector<SVector>& positions = frames[size_t(frame)].positions;
    if (!cornersOnly)
    {
        for (size_t i = 0; i < positions.size(); ++i)
            transformed[i] = TimesMatrix(positions[i], m);
        return;
    }
    for (const SGroup& group : groups)
        for (int32_t k = 0; k < BoxCorners; ++k)
            transformed[size_t(group.corners[0] + k)] = TimesMatrix(positions[size_t(group.corners[0] + k)], m);
}

void C3DObject::TransformGroupCorners(const float (&m)[9])
{
    TransformPoints(0, m, true);
}

void C3DObject::TransformAllOrCorners(int32_t frame, const float (&m)[9])
{
    TransformPoints(frame, m, g_Config.hardwareTnL != 0);
}

// ---- Hardware transform ----------------------------------------------------------

void C3DObject::SetHWTNLTransform(int32_t frame, float x, float y, float z, const float (&r)[9],
                                  const float (&v)[9])
{
    if (!IsDrawableFrame(frame))
        return;
    float rv[9];
    Multiply(r, v, rv);
    SetWorldMatrix("C3DObject::SetHWTNLTransform/1", rv, x, y, z);
    float light[3];
    LightInModelSpace(lightDir, r, light);
    ShadeLit(frame, light, true);
    AddObjectAlpha();
    WriteFrameColours("C3DObject::SetHWTNLTransform/2", "C3DObject::SetHWTNLTransform/3", frame, false, 0, 0);
    TransformGroupCorners(rv);
}

void C3DObject::SetHWTNLTransformNoShade(int32_t frame, float x, float y, float z, const float (&r)[9],
                                         const float (&v)[9])
{
    if (!IsDrawableFrame(frame))
        return;
    float rv[9];
    Multiply(r, v, rv);
    SetWorldMatrix("C3DObject::SetHWTNLTransformNoShade/1", rv, x, y, z);
    ShadeFlat();
    WriteFrameColours("C3DObject::SetHWTNLTransformNoShade/2", "C3DObject::SetHWTNLTransformNoShade/3", frame,
                      false, 0, 0);
    TransformGroupCorners(rv);
}

void C3DObject::SetHWTNLTransformNoShadeUVScroll(int32_t frame, float x, float y, float z, const float (&r)[9],
                                                 const float (&v)[9], float du, float dv)
{
    if (!IsDrawableFrame(frame))
        return;
    float rv[9];
    Multiply(r, v, rv);
    SetWorldMatrix("C3DObject::SetHWTNLTransformNoShadeUVScroll/1", rv, x, y, z);
    ShadeFlat();
    if (objectAlpha != int32_t(OpaqueObjectAlpha))
        AddObjectAlpha();
    WriteFrameColours("C3DObject::SetHWTNLTransformNoShadeUVScroll/2",
                      "C3DObject::SetHWTNLTransformNoShadeUVScroll/3", frame, true, du, dv);
    TransformGroupCorners(rv);
}

void C3DObject::SetHWTNLSimpleTransform(int32_t frame, float x, float y, float z, const float (&m)[9])
{
    if (!IsDrawableFrame(frame))
        return;
    SetWorldMatrix("C3DObject::SetHWTNLSimpleTransform/1", m, x, y, z);
    float light[3];
    LightUnrotated(lightDir, light);
    ShadeLit(frame, light, false);
    AddObjectAlpha();
    WriteFrameColours("C3DObject::SetHWTNLSimpleTransform/2", "C3DObject::SetHWTNLSimpleTransform/3", frame, false,
                      0, 0);
    TransformGroupCorners(m);
}

void C3DObject::SetHWTNLSimpleTransformNoShade(int32_t frame, float x, float y, float z, float m0, float m1,
                                               float m2, float m3, float m4, float m5, float m6, float m7, float m8)
{
    if (!IsDrawableFrame(frame))
        return;
    const float m[9] = {m0, m1, m2, m3, m4, m5, m6, m7, m8};
    SetWorldMatrix("C3DObject::SetHWTNLSimpleTransformNoShade/1", m, x, y, z);
    ShadeFlat();
    WriteFrameColours("C3DObject::SetHWTNLSimpleTransformNoShade/2", "C3DObject::SetHWTNLSimpleTransformNoShade/3",
                      frame, false, 0, 0);
}

// ---- CPU transform ---------------------------------------------------------------

void C3DObject::Transform(int32_t frame, const float (&r)[9], const float (&v)[9])
{
    m_TransformValid = IsDrawableFrame(frame);
    if (!m_TransformValid)
        return;
    float rv[9];
    Multiply(r, v, rv);
    TransformAllOrCorners(frame, rv);
    float light[3];
    LightInModelSpace(lightDir, r, light);
    ShadeLit(frame, light, true);
}

void C3DObject::TransformNoShade(int32_t frame, const float (&r)[9], const float (&v)[9])
{
    m_TransformValid = IsDrawableFrame(frame);
    if (!m_TransformValid)
        return;
    float rv[9];
    Multiply(r, v, rv);
    TransformAllOrCorners(frame, rv);
    ShadeFlat();
}

void C3DObject::SimpleTransform(int32_t frame, float m0, float m1, float m2, float m3, float m4, float m5, float m6,
                                float m7, float m8)
{
    m_TransformValid = IsDrawableFrame(frame);
    if (!m_TransformValid)
        return;
    const float m[9] = {m0, m1, m2, m3, m4, m5, m6, m7, m8};
    TransformAllOrCorners(frame, m);
    float light[3];
    LightUnrotated(lightDir, light);
    ShadeLit(frame, light, false);
}

void C3DObject::SimpleTransformSheared(int32_t frame, float m0, float m1, float m2, float m3, float m4, float m5,
                                       float m6, float m7, float m8, float a, float b)
{
    m_TransformValid = IsDrawableFrame(frame);
    if (!m_TransformValid)
        return;
    const float m[9] = {m0, m1, m2, m3, m4, m5, m6, m7, m8};
    const std::vector<SVector>& positions = frames[size_t(frame)].positions;
    for (size_t i = 0; i < positions.size(); ++i)
    {
        const SVector& p = positions[i];
        transformed[i] = TimesMatrix({p.x, p.y + a * p.x - b * p.z, p.z}, m);
    }
    float light[3];
    LightUnrotated(lightDir, light);
    ShadeLit(frame, light, false);
}

void C3DObject::SimpleTransformNoShade(int32_t frame, float m0, float m1, float m2, float m3, float m4, float m5,
                                       float m6, float m7, float m8)
{
    m_TransformValid = IsDrawableFrame(frame);
    if (!m_TransformValid)
        return;
    const float m[9] = {m0, m1, m2, m3, m4, m5, m6, m7, m8};
    TransformAllOrCorners(frame, m);
    ShadeFlat();
}

// ---- Drawing -----------------------------------------------------------------------

void C3DObject::SetModelTexture()
{
    if (currentTexture >= 0 && currentTexture < textureCount)
    {
        textures[size_t(currentTexture)].SetAsCurrent(0);
        return;
    }
    // A texture number the model lacks draws in the vertex colours alone.
    Check("CTexture::SetAsCurrent", GetD3DDevice()->SetTexture(0, nullptr));
}

// Returns whether blending was switched on.
bool C3DObject::SetDrawStates(const char* const labels[6])
{
    SysDevice3D& device = *GetD3DDevice();
    if (colourKey != NoColourKey)
        Check(labels[0], device.SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater));
    const bool blending = alpha != 255 || objectAlpha != NoObjectAlpha;
    if (blending)
        Check(labels[1], device.SetRenderState(Sys3DRenderState::AlphaBlendEnable, 1));
    if (objectAlpha != NoObjectAlpha)
    {
        Check(labels[2], device.SetRenderState(Sys3DRenderState::AlphaRef, BlendAlphaReference));
        Check(labels[3], device.SetTextureStageState(0, Sys3DStageState::AlphaOp, Sys3DTextureOp::Modulate));
        Check(labels[4], device.SetTextureStageState(0, Sys3DStageState::AlphaArg1, Sys3DTextureArg::Texture));
        Check(labels[5], device.SetTextureStageState(0, Sys3DStageState::AlphaArg2, Sys3DTextureArg::Diffuse));
    }
    return blending;
}

void C3DObject::RestoreDrawStates(const char* const labels[6], bool blending)
{
    SysDevice3D& device = *GetD3DDevice();
    if (objectAlpha != NoObjectAlpha)
    {
        Check(labels[0], device.SetRenderState(Sys3DRenderState::AlphaRef, RestingAlphaReference));
        Check(labels[1], device.SetTextureStageState(0, Sys3DStageState::AlphaOp, Sys3DTextureOp::SelectArg1));
        Check(labels[2], device.SetTextureStageState(0, Sys3DStageState::AlphaArg1, Sys3DTextureArg::Texture));
        Check(labels[3], device.SetTextureStageState(0, Sys3DStageState::AlphaArg2, Sys3DTextureArg::Diffuse));
    }
    if (colourKey != NoColourKey)
        Check(labels[4], device.SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Always));
    if (blending)
        Check(labels[5], device.SetRenderState(Sys3DRenderState::AlphaBlendEnable, 0));
}

void C3DObject::RenderVXBuffer(int32_t frame)
{
    SysDevice3D* device = GetD3DDevice();
    if (vertexBuffer && device != nullptr && IsDrawableFrame(frame))
    {
        const bool blending = SetDrawStates(VxBufferSetLabels);
        SetModelTexture();
        Check("C3DObject::RenderVXBuffer/6", device->SetVertexFormat(VertexFormat));
        Check("C3DObject::RenderVXBuffer/7", device->SetStreamSource(vertexBuffer.get(), VertexBytes));
        Check("C3DObject::RenderVXBuffer/8", device->DrawPrimitive(Sys3DPrimitive::TriangleList,
                                                                   uint32_t(3 * faceCount * frame),
                                                                   uint32_t(faceCount)));
        Check("C3DObject::RenderVXBuffer/9", device->SetTransform(Sys3DTransform::World, Sys3DMatrix::Identity()));
        RestoreDrawStates(VxBufferRestoreLabels, blending);
        g_VXBuffer.primitivesDrawn += faceCount;
    }
    brightness = 1.0f;
}

// The faces that turn toward the camera at the origin, through the vertex
// batch in chunks it can hold.
void C3DObject::EmitVisibleFaces(float x, float y, float z)
{
    const uint32_t alphaByte =
        objectAlpha == NoObjectAlpha ? 0u : uint32_t(std::clamp(objectAlpha, 0, 255)) << 24;
    int32_t facesInBatch = 0;
    g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
    for (const SFace& face : faces)
    {
        const SVector& pa = transformed[size_t(face.a)];
        const SVector& pb = transformed[size_t(face.b)];
        const SVector& pc = transformed[size_t(face.c)];
        const float e1[3] = {pb.x - pa.x, pb.y - pa.y, pb.z - pa.z};
        const float e2[3] = {pc.x - pa.x, pc.y - pa.y, pc.z - pa.z};
        const float normal[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                 e1[0] * e2[1] - e1[1] * e2[0]};
        const SVector w = {(pa.x + x) * WorldScale, (pa.y + y) * WorldScale, (pa.z + z) * WorldScale};
        if (!(Dot(normal, w) < 0.0f))
            continue;
        const int32_t corners[3] = {face.a, face.b, face.c};
        for (int k = 0; k < 3; ++k)
        {
            const SVector& p = transformed[size_t(corners[k])];
            g_VXBuffer.Add3dVertex(p.x + x, p.y + y, p.z + z, colours[size_t(corners[k])] + alphaByte,
                                   face.uv[k][0] + uOffset, face.uv[k][1] + vOffset);
        }
        if (++facesInBatch == MaxFacesPerBatch)
        {
            g_VXBuffer.Show3d();
            g_VXBuffer.Begin3d(CVXBuffer::TriangleList);
            facesInBatch = 0;
        }
    }
    g_VXBuffer.Show3d();
}

void C3DObject::Render(float x, float y, float z)
{
    if (m_TransformValid && !IsEmpty() && GetD3DDevice() != nullptr)
    {
        const bool blending = SetDrawStates(RenderSetLabels);
        SetModelTexture();
        EmitVisibleFaces(x, y, z);
        RestoreDrawStates(RenderRestoreLabels, blending);
    }
    uOffset = 0.0f;
    vOffset = 0.0f;
    brightness = 1.0f;
}
