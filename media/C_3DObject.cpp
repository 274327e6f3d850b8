// Model files, textures, scaling and release of C3DObject.
//
// File layout (little-endian, floats IEEE 32-bit):
//   header     24 bytes      V, unused, F, unused, G, N (N = 0 reads as 1)
//   base pose  V x 24        position x, y, z, normal x, y, z
//   faces      F x 41        a, b, c, (u, v) of a, b, c, 4 unused, texture number
//   groups     G x 128       6 box faces of 4 vertex indices, 8 corner indices
//   frames     N x V x 24    only when N > 1; frame 0 repeats the base pose

#include "media/C_3DObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/C_Config.h"
#include "core/C_File.h"
#include "core/C_LogFile.h"
#include "core/C_String.h"
#include "core/GlobalFunc.h"
#include "media/C_Texture.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"

namespace
{
constexpr size_t HeaderBytes = 24;
constexpr size_t PoseVertexBytes = 24;
constexpr size_t FaceBytes = 41;
constexpr size_t FaceUnusedBytes = 4;
constexpr size_t GroupBytes = 128;
constexpr int32_t BoxCorners = 8;
// Limits on what a file may ask for, far above any model of the game.
constexpr size_t MaxFileBytes = size_t(256) << 20;
constexpr int64_t MaxFrames = 4096;
constexpr uint64_t MaxVertexBufferBytes = uint64_t(256) << 20;
constexpr uint32_t VertexFormat = Sys3DFvf::Xyz | Sys3DFvf::Diffuse | Sys3DFvf::Tex1;
constexpr uint32_t UnlitWhite = 0xFFFFFF;
constexpr int32_t OpaqueAlpha = 255;

// Little-endian reader over a byte range that never reads past its end.
class CModelBytes
{
public:
    CModelBytes(const uint8_t* data, size_t size) : m_Data(data), m_Size(size) {}

    int32_t Int() { return static_cast<int32_t>(U32()); }
    float Float()
    {
        const uint32_t bits = U32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    uint8_t Byte() { return m_Pos < m_Size ? m_Data[m_Pos++] : 0; }
    void Skip(size_t count) { m_Pos = std::min(m_Size, m_Pos + count); }
    C3DObject::SVector Vector()
    {
        const float x = Float();
        const float y = Float();
        return {x, y, Float()};
    }

private:
    uint32_t U32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= uint32_t(Byte()) << (8 * i);
        return value;
    }

    const uint8_t* m_Data;
    size_t m_Size;
    size_t m_Pos = 0;
};

bool IsFiniteVector(const C3DObject::SVector& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void LogDamaged(const char* name, const char* reason)
{
    g_Log.Write(CString("Damaged model file: ") + name + " (" + reason + ")");
}

void Check(const char* label, Sys3DResult result)
{
    GlobalFunc::FatalD3DError(label, result, true);
}
} // namespace

// Everything read from one file, checked, before the model takes it over.
struct C3DObject::SLoadedModel
{
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    int32_t groupCount = 0;
    int32_t frameCount = 1;
    std::vector<SFrame> frames;
    std::vector<SVector> basePose;
    std::vector<SFace> faces;
    std::vector<SGroup> groups;
};

namespace
{
// The counts against the file size and the limits, before anything is
// allocated; null when they fit.
const char* CheckCounts(int64_t v, int64_t f, int64_t g, int64_t n, size_t size)
{
    if (v < 0 || f < 0 || g < 0 || n < 0)
        return "negative count";
    if (n > MaxFrames)
        return "too many frames";
    const uint64_t framesBlock = n > 1 ? uint64_t(n) * uint64_t(v) * PoseVertexBytes : 0;
    const uint64_t needed = HeaderBytes + uint64_t(v) * PoseVertexBytes + uint64_t(f) * FaceBytes
                            + uint64_t(g) * GroupBytes + framesBlock;
    if (needed > size)
        return "file shorter than its counts";
    if (uint64_t(f) * 3 * uint64_t(std::max<int64_t>(n, 1)) * C3DObject::VertexBytes > MaxVertexBufferBytes)
        return "too many triangles";
    return nullptr;
}

const char* ReadPose(CModelBytes& in, int32_t v, C3DObject::SFrame& frame)
{
    frame.positions.resize(size_t(v));
    frame.normals.resize(size_t(v));
    for (int32_t i = 0; i < v; ++i)
    {
        frame.positions[size_t(i)] = in.Vector();
        frame.normals[size_t(i)] = in.Vector();
        if (!IsFiniteVector(frame.positions[size_t(i)]) || !IsFiniteVector(frame.normals[size_t(i)]))
            return "vertex not a finite number";
    }
    return nullptr;
}

// A face's texture number is kept whatever it is: the drawing paints the
// whole model with one texture of the caller's choosing.
const char* ReadFaces(CModelBytes& in, int32_t v, std::vector<C3DObject::SFace>& faces)
{
    for (C3DObject::SFace& face : faces)
    {
        face.a = in.Int();
        face.b = in.Int();
        face.c = in.Int();
        for (auto& corner : face.uv)
        {
            corner[0] = in.Float();
            corner[1] = in.Float();
        }
        in.Skip(FaceUnusedBytes);
        face.textureNumber = in.Byte();
        for (const int32_t index : {face.a, face.b, face.c})
            if (index < 0 || index >= v)
                return "face vertex out of range";
        for (const auto& corner : face.uv)
            if (!std::isfinite(corner[0]) || !std::isfinite(corner[1]))
                return "texture coordinate not a finite number";
    }
    return nullptr;
}

// Corner k must be vertex corners[0] + k, and the box faces may only name
// those eight vertices: the hit test looks corners up by that rule.
const char* ReadGroups(CModelBytes& in, int32_t v, std::vector<C3DObject::SGroup>& groups)
{
    for (C3DObject::SGroup& group : groups)
    {
        for (auto& quad : group.quads)
            for (int32_t& index : quad)
                index = in.Int();
        for (int32_t& corner : group.corners)
            corner = in.Int();
        const int64_t first = group.corners[0];
        if (first < 0 || first + BoxCorners > v)
            return "group corner out of range";
        for (int32_t k = 0; k < BoxCorners; ++k)
            if (group.corners[k] != first + k)
                return "group corners not consecutive";
        for (const auto& quad : group.quads)
            for (const int32_t index : quad)
                if (index < first || index >= first + BoxCorners)
                    return "group face names a vertex that is not its corner";
    }
    return nullptr;
}

// The box of a group's eight corners in the base pose.
void FitBox(C3DObject::SGroup& group, const std::vector<C3DObject::SVector>& pose)
{
    const C3DObject::SVector& first = pose[size_t(group.corners[0])];
    float low[3] = {first.x, first.y, first.z};
    float high[3] = {first.x, first.y, first.z};
    for (int32_t k = 1; k < BoxCorners; ++k)
    {
        const C3DObject::SVector& p = pose[size_t(group.corners[k])];
        const float xyz[3] = {p.x, p.y, p.z};
        for (int axis = 0; axis < 3; ++axis)
        {
            low[axis] = std::min(low[axis], xyz[axis]);
            high[axis] = std::max(high[axis], xyz[axis]);
        }
    }
    std::memcpy(group.boxMin, low, sizeof low);
    std::memcpy(group.boxMax, high, sizeof high);
}

} // namespace

const char* C3DObject::ParseFile(const uint8_t* data, size_t size, SLoadedModel& out)
{
    if (data == nullptr || size < HeaderBytes)
        return "truncated header";
    CModelBytes in(data, size);
    const int32_t v = in.Int();
    in.Int();
    const int32_t f = in.Int();
    in.Int();
    const int32_t g = in.Int();
    const int32_t storedFrames = in.Int();
    if (const char* reason = CheckCounts(v, f, g, storedFrames, size))
        return reason;
    const int32_t n = std::max(storedFrames, 1);

    out.vertexCount = v;
    out.faceCount = f;
    out.groupCount = g;
    out.frameCount = n;
    out.frames.resize(size_t(n));
    if (const char* reason = ReadPose(in, v, out.frames[0]))
        return reason;
    out.basePose = out.frames[0].positions;
    out.faces.resize(size_t(f));
    if (const char* reason = ReadFaces(in, v, out.faces))
        return reason;
    out.groups.resize(size_t(g));
    if (const char* reason = ReadGroups(in, v, out.groups))
        return reason;
    for (SGroup& group : out.groups)
        FitBox(group, out.basePose);
    if (n > 1)
    {
        for (SFrame& frame : out.frames)
            if (const char* reason = ReadPose(in, v, frame))
                return reason;
    }
    return nullptr;
}

C3DObject::C3DObject()
    : vertexCount(0), faceCount(0), frameCount(0), groupCount(0), textureCount(0), currentTexture(0),
      extents{0.0f, 0.0f, 0.0f}, alpha(OpaqueAlpha), colourKey(NoColourKey), playerColour(0),
      objectAlpha(NoObjectAlpha), lightDir{0.0f, 0.0f, 1.0f}, brightness(1.0f), damageStride(0), uOffset(0.0f),
      vOffset(0.0f), m_BadFrameReported(false), m_TransformValid(false)
{
    GlobalFunc::Count3DObjectRefs(1);
}

C3DObject::~C3DObject()
{
    Release();
    GlobalFunc::Count3DObjectRefs(-1);
}

bool C3DObject::Load(const char* fileName, int32_t textureCount)
{
    if (fileName == nullptr)
        fileName = "";
    if (vertexCount > 0)
        g_Log.Write("#DEBUG: C3DObject ReLoaded");
    g_Log.Write(CString("Loading 3DObject:") + fileName);
    Release();

    CFile file;
    if (!file.OpenRead(fileName))
    {
        g_Log.Write("Object file not found");
        CreateTextures(textureCount);
        return false;
    }
    const int fileSize = file.GetSize();
    if (fileSize < 0 || size_t(fileSize) > MaxFileBytes)
    {
        LogDamaged(fileName, "file too large");
        CreateTextures(textureCount);
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(fileSize));
    const int read = bytes.empty() ? 0 : file.Read(bytes.data(), fileSize);
    file.Close();
    if (read != fileSize)
    {
        LogDamaged(fileName, "read error");
        CreateTextures(textureCount);
        return false;
    }
    return LoadFromMemory(bytes.data(), bytes.size(), fileName, textureCount);
}

bool C3DObject::LoadFromMemory(const uint8_t* data, size_t size, const char* name, int32_t textureCount)
{
    Release();
    SLoadedModel model;
    if (const char* reason = ParseFile(data, size, model))
    {
        LogDamaged(name, reason);
        CreateTextures(textureCount);
        return false;
    }
    return Adopt(model, textureCount);
}

bool C3DObject::Adopt(SLoadedModel& model, int32_t count)
{
    vertexCount = model.vertexCount;
    faceCount = model.faceCount;
    groupCount = model.groupCount;
    frameCount = model.frameCount;
    frames = std::move(model.frames);
    faces = std::move(model.faces);
    groups = std::move(model.groups);
    colours.assign(size_t(vertexCount), 0);
    // The working positions and the extents start from the base pose, even
    // where the frames block gives frame 0 again.
    MeasureExtents(model.basePose, extents);
    transformed = std::move(model.basePose);
    m_BadFrameReported = false;
    m_TransformValid = false;

    CreateTextures(count);
    if (g_Config.hardwareTnL && !IsEmpty() && GetD3DDevice() != nullptr)
    {
        const uint64_t bytes = uint64_t(faceCount) * 3 * uint64_t(frameCount) * VertexBytes;
        Check("C3DObject::Load/1", GetD3DDevice()->CreateVertexBuffer(uint32_t(bytes), VertexFormat, vertexBuffer));
        WriteVertexBuffer();
    }
    return true;
}

void C3DObject::CreateTextures(int32_t count)
{
    textures.reset();
    textureCount = std::max(count, 0);
    if (textureCount > 0)
        textures = std::make_unique<CTexture[]>(size_t(textureCount));
}

// Every frame's triangles, corners a, b, c in face order, unlit.
void C3DObject::WriteVertexBuffer()
{
    if (!vertexBuffer)
        return;
    void* locked = nullptr;
    Check("C3DObject::Load/2", vertexBuffer->Lock(0, 0, locked));
    if (locked == nullptr)
        return;
    SVertex3D* out = static_cast<SVertex3D*>(locked);
    for (const SFrame& frame : frames)
    {
        for (const SFace& face : faces)
        {
            const int32_t corners[3] = {face.a, face.b, face.c};
            for (int k = 0; k < 3; ++k)
            {
                const SVector& p = frame.positions[size_t(corners[k])];
                *out++ = {p.x * WorldScale, p.y * WorldScale, p.z * WorldScale, UnlitWhite, face.uv[k][0],
                          face.uv[k][1]};
            }
        }
    }
    Check("C3DObject::Load/3", vertexBuffer->Unlock());
}

bool C3DObject::PrepareTexture(int32_t index)
{
    if (index < 0 || index >= textureCount)
    {
        CString text("Model texture number out of range: ");
        CString number;
        number.FromInt(index);
        g_Log.Write(text + number);
        return false;
    }
    CTexture& texture = textures[size_t(index)];
    if (alpha != OpaqueAlpha)
        texture.format = CTexture::FormatA4R4G4B4;
    else if (colourKey != NoColourKey)
        texture.format = CTexture::FormatA1R5G5B5;
    else
        texture.format = CTexture::FormatR5G6B5;
    texture.alpha = static_cast<uint32_t>(alpha);
    texture.colourKey = colourKey;
    texture.playerColour = playerColour;
    texture.singleLevel = 0;
    return true;
}

bool C3DObject::LoadTexture(int32_t index, const char* fileName)
{
    return PrepareTexture(index) && textures[size_t(index)].LoadFromFile(fileName);
}

bool C3DObject::SetTextureFromMem(int32_t index, int32_t width, int32_t height, const uint32_t* pixels)
{
    return PrepareTexture(index) && textures[size_t(index)].LoadFromMem(width, height, pixels);
}

void C3DObject::Scale(float factor)
{
    for (SFrame& frame : frames)
    {
        for (SVector& p : frame.positions)
        {
            p.x *= factor;
            p.y *= factor;
            p.z *= factor;
        }
    }
    for (SGroup& group : groups)
    {
        for (int axis = 0; axis < 3; ++axis)
        {
            group.boxMin[axis] *= factor;
            group.boxMax[axis] *= factor;
        }
    }
    GetExtents(0, extents);
    WriteVertexBuffer();
}

float C3DObject::GetExtents(int32_t frame, float out[3]) const
{
    if (frame < 0 || frame >= static_cast<int32_t>(frames.size()))
    {
        out[0] = out[1] = out[2] = 0.0f;
        return 0.0f;
    }
    return MeasureExtents(frames[size_t(frame)].positions, out);
}

float C3DObject::MeasureExtents(const std::vector<SVector>& positions, float out[3])
{
    out[0] = out[1] = out[2] = 0.0f;
    float radius = 0.0f;
    for (const SVector& p : positions)
    {
        out[0] = std::max(out[0], std::fabs(p.x));
        out[1] = std::max(out[1], std::fabs(p.y));
        out[2] = std::max(out[2], std::fabs(p.z));
        radius = std::max(radius, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
    }
    return radius;
}

void C3DObject::Release()
{
    frames.clear();
    frames.shrink_to_fit();
    transformed.clear();
    colours.clear();
    groups.clear();
    faces.clear();
    vertexCount = 0;
    frameCount = 0;
    faceCount = 0;
    groupCount = 0;
    textures.reset();
    textureCount = 0;
    vertexBuffer.reset();
    m_TransformValid = false;
}
