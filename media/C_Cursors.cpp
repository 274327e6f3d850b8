#include "media/C_Cursors.h"

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/C_String.h"
#include "core/GlobalFunc.h"
#include "media/C_TGA.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"
#include "platform/SysWindow.h"

namespace
{
constexpr uint32_t kRgbMask = 0xFFFFFF;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kOpaqueBlack = 0xFF000000;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr uint32_t kClear = 0x00000000;
constexpr uint32_t kOpaqueTextureAlpha = 255;
// Both quads leave the texture's colours as they are.
constexpr uint32_t kQuadColour = 0xFFFFFF;

// The shadow looks at the 7 x 7 square around each pixel.
constexpr int32_t kShadowReach = 3;
constexpr int32_t kShadowAlphaBase = 56;
constexpr int kShadowAlphaShift = 25;  // (56 - count) x 2, as the alpha byte

bool IsTransparent(uint32_t pixel)
{
    return (pixel & kRgbMask) == CCursors::TransparentRed;
}

// The picture of a file, or a transparent one (with a log line) when the
// file is missing or not 32 x 32.
void ReadPicture(const char* fileName, uint32_t* out)
{
    CTGA image;
    const bool read = image.Load(fileName, true);
    if (read && image.width == CCursors::Side && image.height == CCursors::Side)
    {
        for (int32_t i = 0; i < CCursors::PixelCount; ++i)
            out[i] = image.pixels[i];
        return;
    }
    g_Log.Write(CString("Mouse cursor picture \"") + fileName + "\" is missing or not 32 x 32, the cursor is transparent");
    for (int32_t i = 0; i < CCursors::PixelCount; ++i)
        out[i] = CCursors::TransparentRed;
}

void SetupTexture(CTexture& texture, uint32_t format, uint32_t alpha, uint32_t* pixels)
{
    texture.format = format;
    texture.alpha = alpha;
    texture.colourKey = CCursors::TransparentRed;
    texture.singleLevel = 1;
    if (texture.Create(CCursors::Side, CCursors::Side))
        texture.SetImageFromMem(CCursors::Side, CCursors::Side, pixels);
}

void SetRenderState(const char* label, Sys3DRenderState state, uint32_t value)
{
    GlobalFunc::FatalD3DError(label, GetD3DDevice()->SetRenderState(state, value), true);
}
}  // namespace

const CCursors::SStartupCursor CCursors::StartupCursors[StartupCount] = {
    {"arrow", 0, 0},          {"wait", 15, 15},        {"cross", 15, 15},         {"magnify", 11, 11},
    {"attack", 0, 0},         {"defend", 0, 0},        {"attack-ground", 11, 8},  {"build-repair", 12, 12},
    {"rumble", 12, 12},       {"chop-tree", 15, 15},   {"mine", 9, 9},            {"harvest", 19, 19},
    {"patrol", 18, 18},       {"garrison", 16, 14},    {"rallypoint", 23, 28},    {"heal", 18, 16},
    {"scroll-b", 0, 15},      {"scroll-j", 31, 15},    {"scroll-f", 15, 0},       {"scroll-l", 15, 31},
    {"scroll-bf", 0, 0},      {"scroll-jf", 31, 0},    {"scroll-jl", 31, 31},     {"scroll-bl", 0, 31},
};

CCursors::CCursors() : capacity(0), current(NoCursor), window(nullptr), systemCursorsRefused(false)
{
}

int32_t CCursors::EffectiveMode() const
{
    const int32_t mode = g_Config.mouseCursorMode;
    if (systemCursorsRefused && (mode == ModeMono || mode == ModeColour))
        return ModeDrawn;
    return mode;
}

CCursors::~CCursors() = default;

void CCursors::Init(int32_t slotCount, SysWindow* cursorWindow)
{
    Free();
    capacity = slotCount > 0 ? slotCount : 0;
    if (capacity > 0)
    {
        bitmaps.reset(new SBitmaps[capacity]);
        textures.reset(new CTexture[capacity]);
        shadows.reset(new CTexture[capacity]);
        hotspots.reset(new SHotspot[capacity]);
    }
    for (int32_t i = 0; i < capacity; ++i)
    {
        BuildColourCursor(nullptr, bitmaps[i].colour);
        BuildColourCursor(nullptr, bitmaps[i].mono);
    }
    window = cursorWindow;
    current = NoCursor;
    systemCursorsRefused = false;
}

bool CCursors::LoadCursor(int32_t slot, const char* monoFile, const char* colourFile, int32_t hotX, int32_t hotY)
{
    // Writing past the set would overrun it: the slot is refused.
    if (!IsSlot(slot))
    {
        DEBUG_REPORT("#DEBUG: Too many mouse cursors");
        return false;
    }
    uint32_t picture[PixelCount];
    ReadPicture(monoFile, picture);
    BuildMonoCursor(picture, bitmaps[slot].mono);

    ReadPicture(colourFile, picture);
    BuildColourCursor(picture, bitmaps[slot].colour);
    // The texture takes the key from the colour only, whatever alpha the
    // file carried.
    uint32_t keyed[PixelCount];
    for (int32_t i = 0; i < PixelCount; ++i)
        keyed[i] = picture[i] & kRgbMask;
    SetupTexture(textures[slot], CTexture::FormatA1R5G5B5, kOpaqueTextureAlpha, keyed);

    uint32_t shadow[PixelCount];
    BuildShadow(picture, shadow);
    SetupTexture(shadows[slot], CTexture::FormatA4R4G4B4, CTexture::PixelAlpha, shadow);

    hotspots[slot] = {hotX, hotY};
    return true;
}

void CCursors::LoadStartupCursors()
{
    for (int32_t slot = 0; slot < StartupCount; ++slot)
    {
        const SStartupCursor& row = StartupCursors[slot];
        const CString mono = CString("Cursors\\Mono\\") + row.name + ".tga";
        const CString colour = CString("Cursors\\Color\\") + row.name + ".tga";
        LoadCursor(slot, mono, colour, row.hotX, row.hotY);
    }
}

void CCursors::Free()
{
    bitmaps.reset();
    textures.reset();
    shadows.reset();
    hotspots.reset();
    capacity = 0;
    current = NoCursor;
}

void CCursors::SetCursor(int32_t slot)
{
    if (slot == current)
        return;
    if (slot != NoCursor && !IsSlot(slot))
    {
        DEBUG_REPORT("#DEBUG: Mouse cursor slot out of range");
        return;
    }
    const int32_t mode = EffectiveMode();
    const bool systemMode = mode == ModeMono || mode == ModeColour;
    if (slot == NoCursor)
    {
        if (systemMode && window != nullptr)
            window->ShowCursor(false);
    }
    else if (systemMode)
    {
        ShowSystemCursor(slot, mode);
    }
    else if (mode == ModeDrawn && window != nullptr)
    {
        window->ShowCursor(false);
    }
    current = slot;
}

void CCursors::ShowSystemCursor(int32_t slot, int32_t mode)
{
    const uint32_t* picture = mode == ModeMono ? bitmaps[slot].mono : bitmaps[slot].colour;
    const SHotspot& hotspot = hotspots[slot];
    if (window != nullptr && window->SetColourCursor(picture, hotspot.x, hotspot.y))
    {
        window->ShowCursor(true);
        return;
    }
    // The game draws the cursor itself from here on; the configured mode
    // stays as the player chose it.
    g_Log.Write("The system mouse cursor is not available, the game draws the cursor");
    systemCursorsRefused = true;
    if (window != nullptr)
        window->ShowCursor(false);
}

void CCursors::Refresh()
{
    const int32_t former = current;
    current = NoCursor;
    SetCursor(former);
}

void CCursors::Render()
{
    if (current == NoCursor || EffectiveMode() != ModeDrawn || window == nullptr
        || GetD3DDevice() == nullptr)
        return;
    int mouseX = 0;
    int mouseY = 0;
    window->GetMousePosition(mouseX, mouseY);
    const float x = float(mouseX - hotspots[current].x);
    const float y = float(mouseY - hotspots[current].y);

    SetRenderState("CCursors::Render/3", Sys3DRenderState::AlphaBlendEnable, 1);
    DrawQuad(shadows[current], x + float(ShadowOffset), y + float(ShadowOffset));
    SetRenderState("CCursors::Render/4", Sys3DRenderState::AlphaBlendEnable, 0);

    SetRenderState("CCursors::Render/1", Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater);
    DrawQuad(textures[current], x, y);
    SetRenderState("CCursors::Render/2", Sys3DRenderState::AlphaFunc, Sys3DCompare::Always);
}

void CCursors::DrawQuad(CTexture& texture, float left, float top)
{
    if (texture.IsEmpty())
        return;
    const float right = left + float(Side);
    const float bottom = top + float(Side);
    texture.SetAsCurrent(0);
    g_VXBuffer.Begin2d(CVXBuffer::TriangleFan);
    g_VXBuffer.Add2dVertexScreen(left, top, kQuadColour, 0.0f, 0.0f);
    g_VXBuffer.Add2dVertexScreen(right, top, kQuadColour, 1.0f, 0.0f);
    g_VXBuffer.Add2dVertexScreen(right, bottom, kQuadColour, 1.0f, 1.0f);
    g_VXBuffer.Add2dVertexScreen(left, bottom, kQuadColour, 0.0f, 1.0f);
    g_VXBuffer.Show2d();
}

void CCursors::ClipToScreen()
{
    if (window != nullptr && !g_Config.windowed)
        window->ConfineCursor(true);
}

// ---- The forms of a picture ----------------------------------------------------

void CCursors::BuildMonoCursor(const uint32_t* picture, uint32_t* out)
{
    for (int32_t i = 0; i < PixelCount; ++i)
    {
        const uint32_t colour = picture[i] & kRgbMask;
        if (colour == TransparentRed)
            out[i] = kClear;
        else
            out[i] = colour == kWhite ? kOpaqueWhite : kOpaqueBlack;
    }
}

// A null picture gives a wholly transparent cursor.
void CCursors::BuildColourCursor(const uint32_t* picture, uint32_t* out)
{
    for (int32_t i = 0; i < PixelCount; ++i)
        out[i] = picture == nullptr || IsTransparent(picture[i]) ? kClear : (picture[i] & kRgbMask) | kOpaque;
}

void CCursors::BuildShadow(const uint32_t* picture, uint32_t* out)
{
    constexpr int32_t squareSize = (2 * kShadowReach + 1) * (2 * kShadowReach + 1);
    for (int32_t y = 0; y < Side; ++y)
        for (int32_t x = 0; x < Side; ++x)
        {
            int32_t transparent = 0;
            for (int32_t dy = -kShadowReach; dy <= kShadowReach; ++dy)
                for (int32_t dx = -kShadowReach; dx <= kShadowReach; ++dx)
                {
                    const int32_t sx = x + dx;
                    const int32_t sy = y + dy;
                    const bool outside = sx < 0 || sy < 0 || sx >= Side || sy >= Side;
                    if (outside || IsTransparent(picture[sy * Side + sx]))
                        ++transparent;
                }
            const int32_t i = y * Side + x;
            if (transparent == squareSize)
                out[i] = TransparentRed;
            else
                out[i] = uint32_t(kShadowAlphaBase - transparent) << kShadowAlphaShift;
        }
}
