#include "media/C_2DImage.h"

#include <algorithm>

#include "core/C_Config.h"
#include "core/C_LogFile.h"
#include "core/C_String.h"
#include "core/GlobalFunc.h"
#include "media/C_Bitmap32.h"
#include "media/C_SaveReader.h"
#include "media/C_SaveWriter.h"
#include "media/C_TGA.h"
#include "media/C_VXBuffer.h"
#include "media/D3DDevice.h"
#include "platform/SysDevice3D.h"

namespace
{
// The screen width at which virtual pixels are back-buffer pixels.
constexpr int32_t NativeScreenWidth = 1024;
constexpr uint32_t QuadPrimitive = 4;
constexpr int32_t OpaqueArgument = 255;
// Alpha reference while an overall opacity scales the texture alpha, and the
// resting one.
constexpr uint32_t FadedAlphaRef = 8;
constexpr uint32_t RestingAlphaRef = 32;
// Offset into the first texel that keeps point sampling on it.
constexpr float TexelNudge = 0.1f;

C2DImage* g_GlobalImages = nullptr;

void Check(const char* label, Sys3DResult result) { GlobalFunc::FatalD3DError(label, result, true); }

void SetRender(const char* label, Sys3DRenderState state, uint32_t value)
{
    Check(label, GetD3DDevice()->SetRenderState(state, value));
}

void SetStage(const char* label, Sys3DStageState state, uint32_t value)
{
    Check(label, GetD3DDevice()->SetTextureStageState(0, state, value));
}

// Visible extent of tile `index` of `count` along a side of `total` pixels.
int32_t VisibleExtent(int32_t total, int32_t index, int32_t count)
{
    return index == count - 1 ? total - C2DImage::TileSide * index : C2DImage::TileSide;
}

int32_t TilesFor(int32_t side) { return (side + C2DImage::TileSide - 1) / C2DImage::TileSide; }

CString SizeText(int32_t w, int32_t h)
{
    CString width;
    CString height;
    width.FromInt(w);
    height.FromInt(h);
    return width + " x " + height;
}
} // namespace

C2DImage::C2DImage()
    : width(0), height(0), alpha(Opaque), colourKey(NoKey), colour(White), tileSize{}, tilesX(0), tilesY(0)
{
}

int32_t C2DImage::TextureSide(int32_t vw, int32_t vh)
{
    const int32_t larger = std::max(vw, vh);
    int32_t side = 1;
    while (side < larger)
        side *= 2;
    return side;
}

bool C2DImage::Load(const char* fileName)
{
    if (fileName == nullptr)
        fileName = "";
    if (!IsEmpty())
        g_Log.Write("#DEBUG: C2DImage ReLoaded");
    g_Log.Write(CString("Loading 2D Image:") + fileName);
    CTGA image;
    if (!image.Load(fileName, false))
    {
        MakeEmpty();
        return false;
    }
    const bool made = CreateFromBitmap(image);
    image.Free();
    return made;
}

uint32_t C2DImage::TileFormat() const
{
    if (alpha != Opaque)
        return CTexture::FormatA4R4G4B4;
    if (colourKey != NoKey)
        return CTexture::FormatA1R5G5B5;
    return CTexture::FormatR5G6B5;
}

bool C2DImage::CreateFromBitmap(const CBitmap32& bitmap)
{
    // Tiles of an earlier picture go first, so that no slot keeps a stale one.
    MakeEmpty();
    if (bitmap.IsEmpty() || bitmap.width < 1 || bitmap.height < 1)
    {
        g_Log.Write("Empty 2D image refused");
        return false;
    }
    if (bitmap.width > MaxSide || bitmap.height > MaxSide)
    {
        g_Log.Write(CString("2D image larger than 1024 x 1024 refused: ") + SizeText(bitmap.width, bitmap.height));
        return false;
    }
    width = bitmap.width;
    height = bitmap.height;
    const int32_t across = TilesFor(width);
    const int32_t down = TilesFor(height);
    for (int32_t tx = 0; tx < across; ++tx)
    {
        for (int32_t ty = 0; ty < down; ++ty)
        {
            const int32_t slot = Slot(tx, ty);
            const int32_t vw = VisibleExtent(width, tx, across);
            const int32_t vh = VisibleExtent(height, ty, down);
            const int32_t side = TextureSide(vw, vh);
            CBitmap32 copy = bitmap.CreateCopy(TileSide * tx, TileSide * ty, side, side, colourKey);
            CTexture& tile = tiles[slot];
            tile.format = TileFormat();
            tile.singleLevel = 1;
            tile.alpha = alpha;
            tile.colourKey = colourKey;
            tile.playerColour = CTexture::None;
            if (tile.Create(side, side))
                tile.SetImageFromMem(side, side, copy.pixels);
            tileSize[slot] = {vw, vh};
        }
    }
    tilesX = across;
    tilesY = down;
    return true;
}

void C2DImage::Release()
{
    for (CTexture& tile : tiles)
        tile.Release();
    tilesX = 0;
    tilesY = 0;
}

void C2DImage::MakeEmpty()
{
    Release();
    width = 0;
    height = 0;
}

// Texture coordinates run from 0.1 texel in at the top-left to the visible
// part's edge at the bottom-right.
void C2DImage::DrawTile(int32_t slot, float left, float top, float right, float bottom, uint32_t vertexColour)
{
    CTexture& tile = tiles[slot];
    if (tile.IsEmpty())
        return;
    const float side = float(tile.width);
    const float u0 = TexelNudge / side;
    const float v0 = TexelNudge / side;
    const float u1 = float(tileSize[slot].width) / side;
    const float v1 = float(tileSize[slot].height) / side;
    tile.SetAsCurrent(0);
    g_VXBuffer.Begin2d(QuadPrimitive);
    g_VXBuffer.Add2dVertex(left, top, vertexColour, u0, v0);
    g_VXBuffer.Add2dVertex(right, top, vertexColour, u1, v0);
    g_VXBuffer.Add2dVertex(right, bottom, vertexColour, u1, v1);
    g_VXBuffer.Add2dVertex(left, bottom, vertexColour, u0, v1);
    g_VXBuffer.Show2d();
}

void C2DImage::Render(int32_t x, int32_t y)
{
    if (GetD3DDevice() == nullptr)
        return;
    const bool keyed = colourKey != NoKey;
    const bool translucent = alpha != Opaque;
    const bool filtered = g_Config.screenWidth != NativeScreenWidth;
    if (keyed)
        SetRender("C2DImage::Render/1", Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater);
    if (translucent)
        SetRender("C2DImage::Render/2", Sys3DRenderState::AlphaBlendEnable, 1);
    if (filtered)
    {
        SetStage("C2DImage::Render/3-1", Sys3DStageState::MinFilter, Sys3DFilter::Linear);
        SetStage("C2DImage::Render/3-2", Sys3DStageState::MagFilter, Sys3DFilter::Linear);
    }
    for (int32_t ty = 0; ty < tilesY; ++ty)
    {
        for (int32_t tx = 0; tx < tilesX; ++tx)
        {
            const int32_t slot = Slot(tx, ty);
            const float left = float(x + TileSide * tx);
            const float top = float(y + TileSide * ty);
            DrawTile(slot, left, top, left + float(tileSize[slot].width), top + float(tileSize[slot].height), colour);
        }
    }
    if (filtered)
    {
        SetStage("C2DImage::Render/4-1", Sys3DStageState::MinFilter, Sys3DFilter::Point);
        SetStage("C2DImage::Render/4-2", Sys3DStageState::MagFilter, Sys3DFilter::Point);
    }
    if (keyed)
        SetRender("C2DImage::Render/5", Sys3DRenderState::AlphaFunc, Sys3DCompare::Always);
    if (translucent)
        SetRender("C2DImage::Render/6", Sys3DRenderState::AlphaBlendEnable, 0);
}

// Tiles placed from (x, y) with every visible size scaled by (sx, sy): within
// a row each tile starts where the one before ended, and each row starts
// below the one before by its first tile's scaled height.
void C2DImage::DrawScaled(float x, float y, float sx, float sy, uint32_t vertexColour)
{
    float top = y;
    for (int32_t ty = 0; ty < tilesY; ++ty)
    {
        float left = x;
        for (int32_t tx = 0; tx < tilesX; ++tx)
        {
            const int32_t slot = Slot(tx, ty);
            const float w = float(tileSize[slot].width) * sx;
            const float h = float(tileSize[slot].height) * sy;
            DrawTile(slot, left, top, left + w, top + h, vertexColour);
            left += w;
        }
        top += float(tileSize[Slot(0, ty)].height) * sy;
    }
}

void C2DImage::Render(float x, float y, float w, float h, int32_t opacity)
{
    if (GetD3DDevice() == nullptr)
        return;
    const bool keyed = colourKey != NoKey;
    const bool filtered = g_Config.screenWidth != NativeScreenWidth;
    const bool faded = opacity != OpaqueArgument;
    if (keyed)
        SetRender("C2DImage::Render/1", Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater);
    if (filtered)
    {
        SetStage("C2DImage::Render/2-1", Sys3DStageState::MinFilter, Sys3DFilter::Linear);
        SetStage("C2DImage::Render/2-2", Sys3DStageState::MagFilter, Sys3DFilter::Linear);
    }
    if (faded)
    {
        SetRender("C2DImage::Render/3", Sys3DRenderState::AlphaBlendEnable, 1);
        SetRender("C2DImage::Render/4", Sys3DRenderState::AlphaRef, FadedAlphaRef);
        SetStage("C2DImage::Render/5", Sys3DStageState::AlphaOp, Sys3DTextureOp::Modulate);
        SetStage("C2DImage::Render/6", Sys3DStageState::AlphaArg1, Sys3DTextureArg::Texture);
        SetStage("C2DImage::Render/7", Sys3DStageState::AlphaArg2, Sys3DTextureArg::Diffuse);
    }
    if (!IsEmpty())
    {
        if (w == -1.0f)
            w = float(width);
        if (h == -1.0f)
            h = float(height);
        DrawScaled(x, y, w / float(width), h / float(height), colour + (uint32_t(opacity) << 24));
    }
    if (faded)
    {
        SetRender("C2DImage::Render/8", Sys3DRenderState::AlphaBlendEnable, 0);
        SetRender("C2DImage::Render/9", Sys3DRenderState::AlphaRef, RestingAlphaRef);
        SetStage("C2DImage::Render/10", Sys3DStageState::AlphaOp, Sys3DTextureOp::SelectArg1);
        SetStage("C2DImage::Render/11", Sys3DStageState::AlphaArg1, Sys3DTextureArg::Texture);
        SetStage("C2DImage::Render/12", Sys3DStageState::AlphaArg2, Sys3DTextureArg::Diffuse);
    }
    if (filtered)
    {
        SetStage("C2DImage::Render/13-1", Sys3DStageState::MinFilter, Sys3DFilter::Point);
        SetStage("C2DImage::Render/13-2", Sys3DStageState::MagFilter, Sys3DFilter::Point);
    }
    if (keyed)
        SetRender("C2DImage::Render/14", Sys3DRenderState::AlphaFunc, Sys3DCompare::Always);
}

void C2DImage::RenderStretch(int32_t x, int32_t y, int32_t w, int32_t h, bool smooth)
{
    if (GetD3DDevice() == nullptr)
        return;
    const bool keyed = colourKey != NoKey;
    const bool translucent = alpha != Opaque;
    if (keyed)
        SetRender("C2DImage::RenderStretch/1", Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater);
    if (translucent)
        SetRender("C2DImage::RenderStretch/2", Sys3DRenderState::AlphaBlendEnable, 1);
    if (w == -1)
        w = width;
    if (h == -1)
        h = height;
    const bool scaled = w != width || h != height || g_Config.screenWidth != NativeScreenWidth;
    const bool filtered = smooth && scaled;
    if (filtered)
    {
        SetStage("C2DImage::RenderStretch/3", Sys3DStageState::MinFilter, Sys3DFilter::Linear);
        SetStage("C2DImage::RenderStretch/4", Sys3DStageState::MagFilter, Sys3DFilter::Linear);
    }
    if (!IsEmpty())
        DrawScaled(float(x), float(y), float(w) / float(width), float(h) / float(height), colour);
    if (keyed)
        SetRender("C2DImage::RenderStretch/5", Sys3DRenderState::AlphaFunc, Sys3DCompare::Always);
    if (translucent)
        SetRender("C2DImage::RenderStretch/6", Sys3DRenderState::AlphaBlendEnable, 0);
    if (filtered)
    {
        SetStage("C2DImage::RenderStretch/7", Sys3DStageState::MinFilter, Sys3DFilter::Point);
        SetStage("C2DImage::RenderStretch/8", Sys3DStageState::MagFilter, Sys3DFilter::Point);
    }
}

// Each tile that meets the source rectangle draws the part it holds, at the
// natural size, with the render states of the natural-size draw.
void C2DImage::RenderPart(int32_t x, int32_t y, int32_t sourceX, int32_t sourceY, int32_t w, int32_t h,
                          uint32_t partColour)
{
    if (GetD3DDevice() == nullptr)
        return;
    const int32_t left = std::max(sourceX, 0);
    const int32_t top = std::max(sourceY, 0);
    const int32_t right = int32_t(std::min<int64_t>(int64_t(sourceX) + w, width));
    const int32_t bottom = int32_t(std::min<int64_t>(int64_t(sourceY) + h, height));
    if (IsEmpty() || left >= right || top >= bottom)
        return;
    const bool keyed = colourKey != NoKey;
    const bool translucent = alpha != Opaque;
    const bool filtered = g_Config.screenWidth != NativeScreenWidth;
    if (keyed)
        SetRender("C2DImage::RenderPart/1", Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater);
    if (translucent)
        SetRender("C2DImage::RenderPart/2", Sys3DRenderState::AlphaBlendEnable, 1);
    if (filtered)
    {
        SetStage("C2DImage::RenderPart/3-1", Sys3DStageState::MinFilter, Sys3DFilter::Linear);
        SetStage("C2DImage::RenderPart/3-2", Sys3DStageState::MagFilter, Sys3DFilter::Linear);
    }
    for (int32_t ty = top / TileSide; ty <= (bottom - 1) / TileSide; ++ty)
    {
        for (int32_t tx = left / TileSide; tx <= (right - 1) / TileSide; ++tx)
        {
            CTexture& tile = tiles[Slot(tx, ty)];
            if (tile.IsEmpty())
                continue;
            // The part of the rectangle inside this tile, in image pixels.
            const int32_t partLeft = std::max(left, TileSide * tx);
            const int32_t partTop = std::max(top, TileSide * ty);
            const int32_t partRight = std::min(right, TileSide * tx + tileSize[Slot(tx, ty)].width);
            const int32_t partBottom = std::min(bottom, TileSide * ty + tileSize[Slot(tx, ty)].height);
            const float side = float(tile.width);
            const float u0 = (float(partLeft - TileSide * tx) + TexelNudge) / side;
            const float v0 = (float(partTop - TileSide * ty) + TexelNudge) / side;
            const float u1 = float(partRight - TileSide * tx) / side;
            const float v1 = float(partBottom - TileSide * ty) / side;
            const float screenLeft = float(x + partLeft - left);
            const float screenTop = float(y + partTop - top);
            const float screenRight = float(x + partRight - left);
            const float screenBottom = float(y + partBottom - top);
            tile.SetAsCurrent(0);
            g_VXBuffer.Begin2d(QuadPrimitive);
            g_VXBuffer.Add2dVertex(screenLeft, screenTop, partColour, u0, v0);
            g_VXBuffer.Add2dVertex(screenRight, screenTop, partColour, u1, v0);
            g_VXBuffer.Add2dVertex(screenRight, screenBottom, partColour, u1, v1);
            g_VXBuffer.Add2dVertex(screenLeft, screenBottom, partColour, u0, v1);
            g_VXBuffer.Show2d();
        }
    }
    if (filtered)
    {
        SetStage("C2DImage::RenderPart/4-1", Sys3DStageState::MinFilter, Sys3DFilter::Point);
        SetStage("C2DImage::RenderPart/4-2", Sys3DStageState::MagFilter, Sys3DFilter::Point);
    }
    if (keyed)
        SetRender("C2DImage::RenderPart/5", Sys3DRenderState::AlphaFunc, Sys3DCompare::Always);
    if (translucent)
        SetRender("C2DImage::RenderPart/6", Sys3DRenderState::AlphaBlendEnable, 0);
}

// Section: width, height, alpha, colour key, tiles across and down (4 bytes
// each), all 16 visible sizes (8 bytes each), then the texture record of each
// used slot, tile column outside and row inside.  `colour` is not saved.
void C2DImage::Save(CSaveStream& stream)
{
    CSaveWriter out(stream);
    out.I32(width);
    out.I32(height);
    out.I32(int32_t(alpha));
    out.I32(int32_t(colourKey));
    out.I32(tilesX);
    out.I32(tilesY);
    for (const STileSize& size : tileSize)
    {
        out.I32(size.width);
        out.I32(size.height);
    }
    for (int32_t tx = 0; tx < tilesX; ++tx)
        for (int32_t ty = 0; ty < tilesY; ++ty)
            tiles[Slot(tx, ty)].SaveGame(stream);
}

bool C2DImage::LoadSaved(CSaveStream& stream)
{
    MakeEmpty();
    if (ReadSection(stream))
        return true;
    MakeEmpty();
    return false;
}

// Everything the tiles are drawn from must agree with the picture's size:
// the tile counts, each used slot's visible size and its texture's side.
bool C2DImage::ReadSection(CSaveStream& stream)
{
    CSaveReader in(stream, "2D image section refused: ");
    const int32_t w = in.I32();
    const int32_t h = in.I32();
    const uint32_t storedAlpha = uint32_t(in.I32());
    const uint32_t storedKey = uint32_t(in.I32());
    const int32_t across = in.I32();
    const int32_t down = in.I32();
    STileSize sizes[SlotCount];
    for (STileSize& size : sizes)
    {
        size.width = in.I32();
        size.height = in.I32();
    }
    if (!in.Finish())
        return false;
    const bool empty = w == 0 && h == 0 && across == 0 && down == 0;
    if (!empty && (!CSaveReader::InRange(w, 1, MaxSide) || !CSaveReader::InRange(h, 1, MaxSide)))
        return in.Refuse("the size is out of range");
    if (across != TilesFor(w) || down != TilesFor(h))
        return in.Refuse("the tile counts do not match the size");
    for (int32_t tx = 0; tx < across; ++tx)
        for (int32_t ty = 0; ty < down; ++ty)
            if (sizes[Slot(tx, ty)].width != VisibleExtent(w, tx, across)
                || sizes[Slot(tx, ty)].height != VisibleExtent(h, ty, down))
                return in.Refuse("a tile's visible size does not match the size");

    for (int32_t tx = 0; tx < across; ++tx)
    {
        for (int32_t ty = 0; ty < down; ++ty)
        {
            CTexture& tile = tiles[Slot(tx, ty)];
            const int32_t side = TextureSide(sizes[Slot(tx, ty)].width, sizes[Slot(tx, ty)].height);
            if (!tile.LoadGame(stream))
                return in.Finish();
            if (tile.IsEmpty() || tile.width != side || tile.height != side)
                return in.Refuse("a tile's texture does not match its visible size");
        }
    }
    width = w;
    height = h;
    alpha = storedAlpha;
    colourKey = storedKey;
    std::copy(std::begin(sizes), std::end(sizes), std::begin(tileSize));
    tilesX = across;
    tilesY = down;
    return true;
}

// ---- The global image table -------------------------------------------------

void AllocGlobalImages()
{
    FreeGlobalImages();
    g_GlobalImages = new C2DImage[GlobalImageCount];
}

void FreeGlobalImages()
{
    delete[] g_GlobalImages;
    g_GlobalImages = nullptr;
}

C2DImage* GetGlobalImage(int index)
{
    if (g_GlobalImages == nullptr || index < 0 || index >= GlobalImageCount)
        return nullptr;
    return &g_GlobalImages[index];
}
