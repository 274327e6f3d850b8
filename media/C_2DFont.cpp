#include "media/C_2DFont.h"

#include <algorithm>
#include <vector>

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
constexpr int32_t CellWidthAt = 16;
constexpr int32_t CellHeightAt = 18;
// Bytes of a glyph record after its advance width that mean nothing here.
constexpr int32_t GlyphRecordUnused = 4;
constexpr uint8_t CarriageReturn = 13;
constexpr uint8_t Blank = 32;
// The screen width at which virtual pixels are back-buffer pixels.
constexpr int32_t NativeScreenWidth = 1024;
constexpr uint32_t QuadPrimitive = 4;
// Alpha reference while an overall opacity scales the glyph coverage, and
// the resting one.
constexpr uint32_t FadedAlphaRef = 8;
constexpr uint32_t RestingAlphaRef = 32;
constexpr int32_t OpaqueAlpha = 255;
// Pixels the shadow copy of PrintShadow stands right of and below the text.
constexpr int32_t ShadowOffset = 2;
// Offset into a texel that keeps point sampling on the intended texel.
constexpr float TexelNudge = 0.1f / float(C2DFont::PageSide);

const char* const GameFontFolder = "Fonts\\";

struct SGameFont
{
    const char* name;
    int32_t spaceWidth;
    int32_t letterSpacing;
};

constexpr SGameFont GameFonts[GameFontCount] = {
    {"old1.fnt", 4, 2},  {"old1-small.fnt", 4, 2}, {"small-numbers.fnt", 4, 2},
    {"hint1.fnt", 4, 2}, {"hint2.fnt", 4, 2},      {"main-menu1.fnt", 10, 1},
};

C2DFont* g_GlobalFonts = nullptr;

uint16_t ReadU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

void Check(const char* label, Sys3DResult result) { GlobalFunc::FatalD3DError(label, result, true); }

void LogDamaged(const char* name, const char* reason)
{
    g_Log.Write(CString("Damaged font file: ") + name + " (" + reason + ")");
}

// Coverage byte v as a 32-bit pixel: transparent black for 0, otherwise
// white of alpha v.
uint32_t CoveragePixel(uint8_t v) { return v == 0 ? 0 : uint32_t(v) << 24 | 0xFFFFFF; }
} // namespace

C2DFont::C2DFont()
    : cellWidth(0), cellHeight(0), charWidth{}, spaceWidth(0), letterSpacing(0), lineHeight(0), columnsPerPage(0),
      rowsPerPage(0), pageCount(0), pages(nullptr), glyphs{}, alpha(NoAlpha)
{
}

C2DFont::~C2DFont() { Release(); }

bool C2DFont::Load(const char* folder, const char* name, int32_t spaceWidthValue, int32_t letterSpacingValue)
{
    if (name == nullptr)
        name = "";
    g_Log.Write(CString("Loading font:") + name);
    MakeEmpty();
    const CString path = CString(folder != nullptr ? folder : "") + name;
    CFile file;
    if (!file.OpenRead(path))
    {
        g_Log.Write(CString("File not found:") + path);
        return false;
    }
    const int size = file.GetSize();
    // A font never needs more than the largest valid layout; anything past it
    // is not read.
    const int64_t largest = HeaderSize + int64_t(GlyphCount) * (GlyphRecordHead + MaxCellSide * MaxCellSide);
    std::vector<uint8_t> bytes(size_t(std::clamp<int64_t>(size, 0, largest)));
    const int read = bytes.empty() ? 0 : file.Read(bytes.data(), int(bytes.size()));
    file.Close();
    if (read < 0)
    {
        LogDamaged(path, "read error");
        return false;
    }
    return LoadFromMemory(bytes.data(), read, path, spaceWidthValue, letterSpacingValue);
}

bool C2DFont::LoadFromMemory(const uint8_t* data, int64_t size, const char* name, int32_t spaceWidthValue,
                             int32_t letterSpacingValue)
{
    MakeEmpty();
    if (data == nullptr || size < HeaderSize)
    {
        LogDamaged(name, "truncated header");
        return false;
    }
    const int32_t w = ReadU16(data + CellWidthAt);
    const int32_t h = ReadU16(data + CellHeightAt);
    if (w < 1 || h < 1 || w > MaxCellSide || h > MaxCellSide)
    {
        LogDamaged(name, "cell size out of range");
        return false;
    }
    if (size < HeaderSize + int64_t(GlyphCount) * (GlyphRecordHead + w * h))
    {
        LogDamaged(name, "truncated glyphs");
        return false;
    }
    cellWidth = w;
    cellHeight = h;
    lineHeight = h;
    spaceWidth = spaceWidthValue;
    letterSpacing = letterSpacingValue;
    BuildPages(data + HeaderSize);
    charWidth[Blank] = spaceWidth;
    return true;
}

// Packs the glyphs into pages of cells of (W + 2) x (H + 2) pixels, each glyph
// at (+1, +1) in its cell so that it keeps a transparent border.  The staging
// image is not cleared between pages: every used cell is fully rewritten and
// the borders are never written.
void C2DFont::BuildPages(const uint8_t* records)
{
    columnsPerPage = PageSide / (cellWidth + 2);
    rowsPerPage = PageSide / (cellHeight + 2);
    const int32_t cellsPerPage = columnsPerPage * rowsPerPage;
    pageCount = (GlyphCount + cellsPerPage - 1) / cellsPerPage;
    pages = new CTexture[size_t(pageCount)];
    for (int32_t p = 0; p < pageCount; ++p)
    {
        pages[p].format = CTexture::FormatA4R4G4B4;
        pages[p].singleLevel = 1;
        pages[p].alpha = CTexture::PixelAlpha;
        pages[p].colourKey = 0;
        pages[p].playerColour = CTexture::None;
        // Without a device (a run without a window) the font still measures.
        if (GetD3DDevice() != nullptr)
            pages[p].Create(PageSide, PageSide);
    }
    std::vector<uint32_t> staging(size_t(PageSide) * PageSide, 0);
    int32_t page = 0;
    int32_t column = -1;
    int32_t row = 0;
    const uint8_t* at = records;
    for (int32_t code = 1; code <= GlyphCount; ++code)
    {
        charWidth[code] = ReadU16(at);
        const uint8_t* coverage = at + 2 + GlyphRecordUnused;
        at = coverage + cellWidth * cellHeight;
        if (++column == columnsPerPage)
        {
            column = 0;
            if (++row == rowsPerPage)
            {
                pages[page].SetImageFromMem(PageSide, PageSide, staging.data());
                ++page;
                row = 0;
            }
        }
        const int32_t left = column * (cellWidth + 2) + 1;
        const int32_t top = row * (cellHeight + 2) + 1;
        for (int32_t j = 0; j < cellHeight; ++j)
            for (int32_t i = 0; i < cellWidth; ++i)
                staging[size_t(top + j) * PageSide + size_t(left + i)] = CoveragePixel(coverage[j * cellWidth + i]);
        glyphs[code] = {page, column, row};
    }
    pages[page].SetImageFromMem(PageSide, PageSide, staging.data());
}

void C2DFont::Release()
{
    delete[] pages;
    pages = nullptr;
    pageCount = 0;
}

// A refused font measures nothing, whatever it held before.
void C2DFont::MakeEmpty()
{
    Release();
    cellWidth = 0;
    cellHeight = 0;
    lineHeight = 0;
    columnsPerPage = 0;
    rowsPerPage = 0;
    std::fill(std::begin(charWidth), std::end(charWidth), 0);
}

// The largest running width reached on the line that starts at `line`
// (letter spacing may be negative, so the end is not always the widest).
int32_t C2DFont::LineWidth(const uint8_t* line) const
{
    int32_t running = 0;
    int32_t widest = 0;
    for (const uint8_t* c = line; *c != 0 && *c != CarriageReturn; ++c)
    {
        running += charWidth[*c] + letterSpacing;
        widest = std::max(widest, running);
    }
    return widest;
}

int C2DFont::GetTextWidth(const char* text) const
{
    if (text == nullptr || IsEmpty())
        return 0;
    int32_t widest = 0;
    const uint8_t* line = reinterpret_cast<const uint8_t*>(text);
    while (true)
    {
        widest = std::max(widest, LineWidth(line));
        while (*line != 0 && *line != CarriageReturn)
            ++line;
        if (*line == 0)
            return widest;
        ++line;
    }
}

int32_t C2DFont::GetTextHeight(const char* text) const
{
    if (text == nullptr || *text == 0 || IsEmpty())
        return 0;
    int32_t lines = 1;
    for (const char* c = text; *c != 0; ++c)
        if (uint8_t(*c) == CarriageReturn)
            ++lines;
    return lineHeight * lines;
}

// Every line keeps the alignment on its own width, so that right-aligned and
// centred blocks of several lines stay aligned.
int32_t C2DFont::AlignedLineStart(int32_t x, const uint8_t* line, int32_t align) const
{
    if (align == AlignRight)
        return x - LineWidth(line);
    if (align == AlignCentre)
        return x - LineWidth(line) / 2;
    return x;
}

// One quad over the glyph's whole cell, border included, one texel per
// virtual pixel.
void C2DFont::DrawGlyph(float x, float y, const SGlyph& glyph, uint32_t colour) const
{
    const float us = float(cellWidth + 2) / float(PageSide);
    const float vs = float(cellHeight + 2) / float(PageSide);
    const float u0 = float(glyph.column) * us;
    const float v0 = float(glyph.row) * vs;
    const float u1 = float(glyph.column + 1) * us;
    const float v1 = float(glyph.row + 1) * vs;
    const float left = x + 1.0f;
    const float top = y + 1.0f;
    const float right = x + float(cellWidth) + 3.0f;
    const float bottom = y + float(cellHeight) + 3.0f;
    g_VXBuffer.Begin2d(QuadPrimitive);
    g_VXBuffer.Add2dVertex(left, top, colour, u0 + TexelNudge, v0 + TexelNudge);
    g_VXBuffer.Add2dVertex(right, top, colour, u1, v0 + TexelNudge);
    g_VXBuffer.Add2dVertex(right, bottom, colour, u1, v1);
    g_VXBuffer.Add2dVertex(left, bottom, colour, u0 + TexelNudge, v1);
    g_VXBuffer.Show2d();
}

void C2DFont::Print(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t align)
{
    SysDevice3D* device = GetD3DDevice();
    if (device == nullptr || text == nullptr || IsEmpty())
        return;
    const bool faded = alpha != NoAlpha && alpha != OpaqueAlpha;
    const bool filtered = g_Config.screenWidth != NativeScreenWidth;

    Check("C2DFont::Print/1", device->SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Greater));
    Check("C2DFont::Print/2", device->SetRenderState(Sys3DRenderState::AlphaBlendEnable, 1));
    if (faded)
    {
        Check("C2DFont::Print/3", device->SetTextureStageState(0, Sys3DStageState::AlphaOp, Sys3DTextureOp::Modulate));
        Check("C2DFont::Print/4", device->SetTextureStageState(0, Sys3DStageState::AlphaArg1, Sys3DTextureArg::Texture));
        Check("C2DFont::Print/5", device->SetTextureStageState(0, Sys3DStageState::AlphaArg2, Sys3DTextureArg::Diffuse));
        Check("C2DFont::Print/6", device->SetRenderState(Sys3DRenderState::AlphaRef, FadedAlphaRef));
        colour += uint32_t(alpha) << 24;
    }
    if (filtered)
    {
        Check("C2DFont::Print/7-1", device->SetTextureStageState(0, Sys3DStageState::MinFilter, Sys3DFilter::Linear));
        Check("C2DFont::Print/7-2", device->SetTextureStageState(0, Sys3DStageState::MagFilter, Sys3DFilter::Linear));
    }

    const uint8_t* c = reinterpret_cast<const uint8_t*>(text);
    int32_t penX = AlignedLineStart(x, c, align);
    int32_t penY = y;
    int32_t currentPage = -1;
    for (; *c != 0; ++c)
    {
        if (*c == CarriageReturn)
        {
            penX = AlignedLineStart(x, c + 1, align);
            penY += lineHeight;
            continue;
        }
        const SGlyph& glyph = glyphs[*c];
        if (glyph.page != currentPage)
        {
            currentPage = glyph.page;
            pages[currentPage].SetAsCurrent(0);
        }
        // A page made while there was no device has no picture to draw.
        if (!pages[currentPage].IsEmpty())
            DrawGlyph(float(penX), float(penY), glyph, colour);
        penX += charWidth[*c] + letterSpacing;
    }

    if (filtered)
    {
        Check("C2DFont::Print/8-1", device->SetTextureStageState(0, Sys3DStageState::MinFilter, Sys3DFilter::Point));
        Check("C2DFont::Print/8-2", device->SetTextureStageState(0, Sys3DStageState::MagFilter, Sys3DFilter::Point));
    }
    if (faded)
    {
        Check("C2DFont::Print/9", device->SetTextureStageState(0, Sys3DStageState::AlphaOp, Sys3DTextureOp::SelectArg1));
        Check("C2DFont::Print/10", device->SetTextureStageState(0, Sys3DStageState::AlphaArg1, Sys3DTextureArg::Texture));
        Check("C2DFont::Print/11", device->SetTextureStageState(0, Sys3DStageState::AlphaArg2, Sys3DTextureArg::Diffuse));
        Check("C2DFont::Print/12", device->SetRenderState(Sys3DRenderState::AlphaRef, RestingAlphaRef));
    }
    Check("C2DFont::Print/13", device->SetRenderState(Sys3DRenderState::AlphaBlendEnable, 0));
    Check("C2DFont::Print/14", device->SetRenderState(Sys3DRenderState::AlphaFunc, Sys3DCompare::Always));
}

void C2DFont::PrintShadow(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t align)
{
    Print(x + ShadowOffset, y + ShadowOffset, text, 0, align);
    Print(x, y, text, colour, align);
}

// ---- The global font table --------------------------------------------------

void AllocGlobalFonts()
{
    FreeGlobalFonts();
    g_GlobalFonts = new C2DFont[GlobalFontCount];
}

void FreeGlobalFonts()
{
    delete[] g_GlobalFonts;
    g_GlobalFonts = nullptr;
}

C2DFont* GetGlobalFont(int index)
{
    if (g_GlobalFonts == nullptr || index < 0 || index >= GlobalFontCount)
        return nullptr;
    return &g_GlobalFonts[index];
}

void LoadGameFonts(const char* languageFolder)
{
    const CString folder = CString(GameFontFolder) + (languageFolder != nullptr ? languageFolder : "");
    for (int i = 0; i < GameFontCount; ++i)
        if (C2DFont* font = GetGlobalFont(i))
            font->Load(folder, GameFonts[i].name, GameFonts[i].spaceWidth, GameFonts[i].letterSpacing);
}

void ReleaseGameFonts()
{
    for (int i = 0; i < GameFontCount; ++i)
        if (C2DFont* font = GetGlobalFont(i))
            font->Release();
}
