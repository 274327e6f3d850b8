#include "media/C_Texture.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/C_String.h"
#include "core/GlobalFunc.h"
#include "media/C_SaveStream.h"
#include "media/C_TGA.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"

namespace
{
struct FormatInfo
{
    uint32_t code;
    Sys3DFormat device;
    uint32_t alphaBits;
    uint32_t bytesPerPixel;
};

constexpr FormatInfo Formats[] = {
    {CTexture::FormatA4R4G4B4, Sys3DFormat::A4R4G4B4, 4, 2},
    {CTexture::FormatA1R5G5B5, Sys3DFormat::A1R5G5B5, 1, 2},
    {CTexture::FormatR5G6B5, Sys3DFormat::R5G6B5, 0, 2},
    {CTexture::FormatA8R8G8B8, Sys3DFormat::A8R8G8B8, 8, 4},
    {CTexture::FormatX8R8G8B8, Sys3DFormat::X8R8G8B8, 0, 4},
};

const FormatInfo* FindFormat(uint32_t code)
{
    for (const FormatInfo& info : Formats)
        if (info.code == code)
            return &info;
    return nullptr;
}

const FormatInfo* FindDeviceFormat(Sys3DFormat device)
{
    for (const FormatInfo& info : Formats)
        if (info.device == device)
            return &info;
    return nullptr;
}

// The screen width at which 2-D drawing maps texels to pixels one to one.
constexpr int32_t NativeScreenWidth = 1024;
constexpr uint32_t WhiteDiffuse = 0xFFFFFF;
constexpr uint32_t QuadPrimitive = 4;

constexpr uint32_t Alpha(uint32_t p) { return p >> 24; }
constexpr uint32_t Red(uint32_t p) { return (p >> 16) & 0xFF; }
constexpr uint32_t Green(uint32_t p) { return (p >> 8) & 0xFF; }
constexpr uint32_t Blue(uint32_t p) { return p & 0xFF; }
constexpr uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return a << 24 | r << 16 | g << 8 | b;
}

// Channel sums of the pixels that are not the key.
struct ChannelSum
{
    uint32_t a = 0, r = 0, g = 0, b = 0, count = 0;
    void Add(uint32_t p)
    {
        a += Alpha(p);
        r += Red(p);
        g += Green(p);
        b += Blue(p);
        ++count;
    }
};

std::vector<uint32_t>& MemoryLoadBuffer()
{
    static std::vector<uint32_t> buffer;
    return buffer;
}

void Check(const char* label, Sys3DResult result)
{
    GlobalFunc::FatalD3DError(label, result, true);
}

// Little-endian fields of the save-game record.
void WriteU32(CSaveStream& stream, uint32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    stream.Write(bytes, 4);
}

void WriteU8(CSaveStream& stream, uint8_t value)
{
    stream.Write(&value, 1);
}

uint32_t ReadU32(CSaveStream& stream)
{
    uint8_t bytes[4] = {};
    stream.Read(bytes, 4);
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint8_t ReadU8(CSaveStream& stream)
{
    uint8_t value = 0;
    stream.Read(&value, 1);
    return value;
}

CTexture* g_GlobalTextures = nullptr;

// Halves w x h in place: each new pixel averages the pixels of the 2 x 2 block
// under it that lie inside the image and are not the key (alpha included);
// a block of keys stays the key.  A side of 1 stays 1; an odd last column or
// row is left out.
void ReduceInPlace(uint32_t* pixels, int32_t& w, int32_t& h, bool hasKey, uint32_t key)
{
    const int32_t newWidth = std::max(1, w / 2);
    const int32_t newHeight = std::max(1, h / 2);
    for (int32_t y = 0; y < newHeight; ++y)
    {
        for (int32_t x = 0; x < newWidth; ++x)
        {
            ChannelSum sum;
            for (int32_t sy = 2 * y; sy <= 2 * y + 1 && sy < h; ++sy)
            {
                for (int32_t sx = 2 * x; sx <= 2 * x + 1 && sx < w; ++sx)
                {
                    const uint32_t p = pixels[sy * w + sx];
                    if (!(hasKey && p == key))
                        sum.Add(p);
                }
            }
            pixels[y * newWidth + x] = sum.count == 0
                ? key
                : Pack(sum.a / sum.count, sum.r / sum.count, sum.g / sum.count, sum.b / sum.count);
        }
    }
    w = newWidth;
    h = newHeight;
}
} // namespace

CTexture::CTexture()
    : width(0), height(0), texture(nullptr), format(FormatR5G6B5), alpha(255), colourKey(None), alphaBits(0),
      singleLevel(0), playerColour(None), grey(0), tint(0), shared(0), reduce(0), lockedBits(nullptr)
{
    GlobalFunc::CountTextureRefs(1);
}

CTexture::~CTexture()
{
    Release();
    GlobalFunc::CountTextureRefs(-1);
}

bool CTexture::Create(int32_t w, int32_t h)
{
    if (texture != nullptr)
        g_Log.Write("#DEBUG: CTexure ReCreated");
    Release();
    shared = 0;

    const FormatInfo* info = FindFormat(format);
    SysDevice3D* device = GetD3DDevice();
    if (info == nullptr || w <= 0 || h <= 0 || device == nullptr)
    {
        DEBUG_REPORT("#DEBUG: Cannot create texture");
        return false;
    }
    width = w;
    height = h;
    alphaBits = info->alphaBits;
    std::unique_ptr<SysDevice3DTexture> created;
    Check("CTexture::Create", device->CreateTexture(uint32_t(w), uint32_t(h), singleLevel ? 1 : 0, info->device, created));
    texture = created.release();
    return texture != nullptr;
}

void CTexture::Release()
{
    if (!shared)
        delete texture;
    texture = nullptr;
    lockedBits = nullptr;
}

void CTexture::SetAsCurrent(uint32_t stage)
{
    if (SysDevice3D* device = GetD3DDevice())
        Check("CTexture::SetAsCurrent", device->SetTexture(stage, texture));
}

bool CTexture::LoadFromFile(const char* fileName)
{
    g_Log.Write(CString("Loading texture file:") + fileName);
    CTGA image;
    if (!image.Load(fileName, false))
    {
        Release();
        width = 0;
        height = 0;
        return false;
    }
    return LoadFromPixels(image.width, image.height, image.pixels);
}

bool CTexture::LoadFromMem(int32_t w, int32_t h, const uint32_t* pixels)
{
    if (pixels == nullptr || w <= 0 || h <= 0 || w > MaxSide || h > MaxSide)
    {
        DEBUG_REPORT("#DEBUG: Texture pixels out of range");
        Release();
        width = 0;
        height = 0;
        return false;
    }
    std::vector<uint32_t>& scratch = MemoryLoadBuffer();
    const size_t count = size_t(w) * size_t(h);
    if (scratch.size() < count)
        scratch.resize(count);
    std::memcpy(scratch.data(), pixels, count * sizeof(uint32_t));
    return LoadFromPixels(w, h, scratch.data());
}

bool CTexture::LoadFromPixels(int32_t w, int32_t h, uint32_t* pixels)
{
    int32_t reducedWidth = w;
    int32_t reducedHeight = h;
    for (int32_t i = 0; i < reduce; ++i)
    {
        reducedWidth = std::max(1, reducedWidth / 2);
        reducedHeight = std::max(1, reducedHeight / 2);
    }
    if (!Create(reducedWidth, reducedHeight))
        return false;
    ReduceDetail(pixels, w, h);
    SetImageFromMem(w, h, pixels);
    return true;
}

// Magenta mask shades (green 0, red equal to blue) take the player colour at
// the shade's intensity; the pixel keeps its alpha.
void CTexture::ApplyPlayerColour(uint32_t* pixels, int32_t count) const
{
    if (playerColour == None)
        return;
    const uint32_t pr = Red(playerColour);
    const uint32_t pg = Green(playerColour);
    const uint32_t pb = Blue(playerColour);
    for (int32_t i = 0; i < count; ++i)
    {
        const uint32_t p = pixels[i];
        if (Green(p) != 0 || Red(p) != Blue(p))
            continue;
        const uint32_t m = Red(p);
        pixels[i] = Pack(Alpha(p), (m * pr) >> 8, (m * pg) >> 8, (m * pb) / 256);
    }
}

void CTexture::ReduceDetail(uint32_t* pixels, int32_t& w, int32_t& h) const
{
    for (int32_t i = 0; i < reduce; ++i)
    {
        ApplyPlayerColour(pixels, w * h);
        ReduceInPlace(pixels, w, h, HasKey(), colourKey);
    }
}

void CTexture::SetImageFromMem(int32_t w, int32_t h, uint32_t* pixels)
{
    if (texture == nullptr || pixels == nullptr)
        return;
    int32_t levelWidth = 0;
    int32_t levelHeight = 0;
    if (texture->GetLevelSize(0, levelWidth, levelHeight) != Sys3DError::Ok || levelWidth != w || levelHeight != h)
    {
        DEBUG_REPORT("#DEBUG: Texture image size differs from the texture");
        return;
    }
    ApplyPlayerColour(pixels, w * h);
    const uint32_t levels = singleLevel ? 1 : texture->GetLevelCount();
    for (uint32_t level = 0; level < levels; ++level)
    {
        if (level > 0)
            ReduceInPlace(pixels, w, h, HasKey(), colourKey);
        FillLevel(level, w, h, pixels);
    }
}

uint32_t CTexture::KeyBleed(const uint32_t* pixels, int32_t w, int32_t h, int32_t x, int32_t y) const
{
    static constexpr int32_t Diagonals[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    ChannelSum sum;
    for (const auto& d : Diagonals)
    {
        const int32_t nx = x + d[0];
        const int32_t ny = y + d[1];
        if (nx < 0 || ny < 0 || nx >= w || ny >= h)
            continue;
        const uint32_t p = pixels[ny * w + nx];
        if (p != colourKey)
            sum.Add(p);
    }
    if (sum.count == 0)
        return colourKey;
    return Pack(0, sum.r / sum.count, sum.g / sum.count, sum.b / sum.count);
}

void CTexture::FillLevel(uint32_t level, int32_t w, int32_t h, const uint32_t* pixels)
{
    int32_t levelWidth = 0;
    int32_t levelHeight = 0;
    const FormatInfo* info = FindDeviceFormat(texture->GetFormat());
    if (info == nullptr || texture->GetLevelSize(level, levelWidth, levelHeight) != Sys3DError::Ok
        || levelWidth != w || levelHeight != h)
    {
        DEBUG_REPORT("#DEBUG: Texture level size differs from the image");
        return;
    }
    Sys3DLockedRect locked;
    Check("CTexture::SetImageFromMem/1", texture->LockRect(level, locked));
    if (locked.bits == nullptr)
        return;
    const int32_t count = w * h;
    for (int32_t i = 0; i < count; ++i)
    {
        const uint32_t p = pixels[i];
        uint32_t colour = p;
        int32_t a = alpha == PixelAlpha ? int32_t(Alpha(p)) : int32_t(alpha);
        // A key pixel is always clear, whatever alpha bits the key carries.
        if (HasKey() && p == colourKey)
        {
            colour = KeyBleed(pixels, w, h, i % w, i / w);
            a = 0;
        }
        const uint32_t value = ConvertPixel(int32_t(Red(colour)), int32_t(Green(colour)), int32_t(Blue(colour)), a);
        if (info->bytesPerPixel == 2)
            static_cast<uint16_t*>(locked.bits)[i] = static_cast<uint16_t>(value);
        else
            static_cast<uint32_t*>(locked.bits)[i] = value;
    }
    Check("CTexture::SetImageFromMem/2", texture->UnlockRect(level));
}

uint32_t CTexture::ConvertPixel(int32_t r, int32_t g, int32_t b, int32_t a) const
{
    int32_t greyLevel = 0;
    if (grey || a < 0)
        greyLevel = static_cast<int32_t>(r * 0.33 + g * 0.56 + b * 0.11);
    if (grey)
    {
        r = int32_t(tint >> 16) & greyLevel;
        g = int32_t(tint >> 8) & greyLevel & 0xFF;
        b = int32_t(tint) & greyLevel & 0xFF;
    }
    const int32_t alphaValue = a >= 0 ? a : -(greyLevel / a);

    uint32_t colour;
    switch (format)
    {
    case FormatA4R4G4B4:
        colour = uint32_t(r >> 4) << 8 | uint32_t(g >> 4) << 4 | uint32_t(b >> 4);
        break;
    case FormatA1R5G5B5:
        colour = uint32_t(r >> 3) << 10 | uint32_t(g >> 3) << 5 | uint32_t(b >> 3);
        break;
    case FormatR5G6B5:
        colour = uint32_t(r >> 3) << 11 | uint32_t(g >> 2) << 5 | uint32_t(b >> 3);
        break;
    case FormatA8R8G8B8:
    case FormatX8R8G8B8:
        colour = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        break;
    default:
        return uint32_t(a);
    }
    const FormatInfo* info = FindFormat(format);
    if (info->alphaBits != 0)
    {
        const uint32_t alphaMask = (1u << info->alphaBits) - 1;
        colour |= ((uint32_t(alphaValue) >> (8 - info->alphaBits)) & alphaMask) << format;
    }
    return colour;
}

bool CTexture::Lock()
{
    if (texture == nullptr)
        return false;
    if (lockedBits != nullptr)
        return true;
    Sys3DLockedRect locked;
    Check("CTexture::Lock", texture->LockRect(0, locked));
    lockedBits = locked.bits;
    return lockedBits != nullptr;
}

void CTexture::PutPixel(int32_t x, int32_t y, uint32_t value)
{
    if (lockedBits == nullptr || x < 0 || y < 0 || x >= width || y >= height)
        return;
    const FormatInfo* info = FindDeviceFormat(texture->GetFormat());
    if (info != nullptr && info->bytesPerPixel == 4)
        static_cast<uint32_t*>(lockedBits)[y * width + x] = value;
    else
        static_cast<uint16_t*>(lockedBits)[y * width + x] = static_cast<uint16_t>(value);
}

void CTexture::Unlock()
{
    if (texture == nullptr || lockedBits == nullptr)
        return;
    lockedBits = nullptr;
    Check("CTexture::Unlock", texture->UnlockRect(0));
}

void CTexture::Render2DImage(int32_t x, int32_t y, int32_t w, int32_t h)
{
    SysDevice3D* device = GetD3DDevice();
    if (texture == nullptr || device == nullptr)
        return;
    if (w == -1)
        w = width;
    if (h == -1)
        h = height;
    const bool keyed = HasKey();
    const bool translucent = alpha != 255;
    const bool filtered = g_Config.screenWidth != NativeScreenWidth;

    if (keyed)
        Check("CTexture::Render2DImage/1", device->SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater));
    if (translucent)
        Check("CTexture::Render2DImage/2", device->SetRenderState(Sys3DRenderState::AlphaBlendEnable, 1));
    if (filtered)
    {
        Check("CTexture::Render2DImage/3-1", device->SetTextureStageState(0, Sys3DStageState::MinFilter, Sys3DFilter::Linear));
        Check("CTexture::Render2DImage/3-2", device->SetTextureStageState(0, Sys3DStageState::MagFilter, Sys3DFilter::Linear));
    }

    SetAsCurrent(0);
    const float left = float(x);
    const float top = float(y);
    const float right = float(x + w - 1);
    const float bottom = float(y + h - 1);
    g_VXBuffer.Begin2d(QuadPrimitive);
    g_VXBuffer.Add2dVertex(left, top, WhiteDiffuse, 0.0f, 0.0f);
    g_VXBuffer.Add2dVertex(right, top, WhiteDiffuse, 1.0f, 0.0f);
    g_VXBuffer.Add2dVertex(right, bottom, WhiteDiffuse, 1.0f, 1.0f);
    g_VXBuffer.Add2dVertex(left, bottom, WhiteDiffuse, 0.0f, 1.0f);
    g_VXBuffer.Show2d();

    if (filtered)
    {
        Check("CTexture::Render2DImage/4-1", device->SetTextureStageState(0, Sys3DStageState::MinFilter, Sys3DFilter::Point));
        Check("CTexture::Render2DImage/4-2", device->SetTextureStageState(0, Sys3DStageState::MagFilter, Sys3DFilter::Point));
    }
    if (keyed)
        Check("CTexture::Render2DImage/5", device->SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Always));
    if (translucent)
        Check("CTexture::Render2DImage/6", device->SetRenderState(Sys3DRenderState::AlphaBlendEnable, 0));
}

// Record: width, height, format, alpha, colour key, alpha bits (4 bytes
// each), single level (1), player colour (4), grey (1), tint (4), shared (1),
// reduce (4), then level 0 in the record's format (2 or 4 bytes a pixel).
// A texture without a device texture is saved as 0 x 0, a shared one without
// pixels, so that the reader always knows how many pixel bytes follow.  A
// texture whose pixels cannot be read writes nothing and fails the stream:
// a record without them would put every later field out of step.
bool CTexture::SaveGame(CSaveStream& stream)
{
    const bool held = texture != nullptr;
    const FormatInfo* heldFormat = held ? FindDeviceFormat(texture->GetFormat()) : nullptr;
    const bool wasLocked = lockedBits != nullptr;
    if (held && !shared && (heldFormat == nullptr || !Lock()))
    {
        g_Log.Write("Cannot save a texture whose pixels cannot be read");
        stream.SetError();
        return false;
    }
    WriteU32(stream, uint32_t(held ? width : 0));
    WriteU32(stream, uint32_t(held ? height : 0));
    WriteU32(stream, heldFormat ? heldFormat->code : format);
    WriteU32(stream, alpha);
    WriteU32(stream, colourKey);
    WriteU32(stream, heldFormat ? heldFormat->alphaBits : alphaBits);
    WriteU8(stream, singleLevel);
    WriteU32(stream, playerColour);
    WriteU8(stream, grey);
    WriteU32(stream, tint);
    WriteU8(stream, shared);
    WriteU32(stream, uint32_t(reduce));
    if (!held)
        return true;
    if (shared)
    {
        DEBUG_REPORT("#DEBUG: Cannot save cloned texture");
        return true;
    }
    stream.Write(lockedBits, width * height * int32_t(heldFormat->bytesPerPixel));
    if (!wasLocked)
        Unlock();
    return true;
}

bool CTexture::LoadGame(CSaveStream& stream)
{
    const int32_t w = int32_t(ReadU32(stream));
    const int32_t h = int32_t(ReadU32(stream));
    const uint32_t storedFormat = ReadU32(stream);
    const uint32_t storedAlpha = ReadU32(stream);
    const uint32_t storedKey = ReadU32(stream);
    ReadU32(stream);  // alpha bits follow from the format
    const uint8_t storedSingleLevel = ReadU8(stream);
    const uint32_t storedPlayerColour = ReadU32(stream);
    const uint8_t storedGrey = ReadU8(stream);
    const uint32_t storedTint = ReadU32(stream);
    const uint8_t storedShared = ReadU8(stream);
    const int32_t storedReduce = int32_t(ReadU32(stream));

    const FormatInfo* info = FindFormat(storedFormat);
    const bool sizeValid = w >= 0 && h >= 0 && w <= MaxSide && h <= MaxSide && (w == 0) == (h == 0);
    if (stream.HasError() || info == nullptr || !sizeValid)
    {
        g_Log.Write("Damaged texture record in saved game");
        stream.SetError();
        return false;
    }

    std::vector<uint8_t> levelBytes;
    const bool hasPixels = w > 0 && !storedShared;
    if (hasPixels)
    {
        levelBytes.resize(size_t(w) * size_t(h) * info->bytesPerPixel);
        stream.Read(levelBytes.data(), int32_t(levelBytes.size()));
        if (stream.HasError())
            return false;
    }

    Release();
    width = w;
    height = h;
    format = storedFormat;
    alpha = storedAlpha;
    colourKey = storedKey;
    alphaBits = info->alphaBits;
    singleLevel = storedSingleLevel;
    playerColour = storedPlayerColour;
    grey = storedGrey;
    tint = storedTint;
    shared = 0;
    reduce = storedReduce;
    if (!hasPixels || !Create(w, h) || !Lock())
        return true;
    std::memcpy(lockedBits, levelBytes.data(), levelBytes.size());
    Unlock();
    return true;
}

void AllocGlobalTextures()
{
    FreeGlobalTextures();
    g_GlobalTextures = new CTexture[GlobalTextureCount];
}

void FreeGlobalTextures()
{
    delete[] g_GlobalTextures;
    g_GlobalTextures = nullptr;
}

CTexture* GetGlobalTexture(int index)
{
    if (g_GlobalTextures == nullptr || index < 0 || index >= GlobalTextureCount)
        return nullptr;
    return &g_GlobalTextures[index];
}
