#pragma once
// A fixed-cell bitmap font read from a font file (".fnt").  At load time its
// 255 glyphs (codes 1 to 255) are packed into as many 256 x 256 glyph pages
// as they need; printing draws one textured quad per character through the
// vertex batch, on the virtual 1024 x 768 screen.  Byte 13 (carriage return)
// starts a new line; every other byte selects its glyph directly (codes above
// 127 are those of the current code page).
//
// A font file that is missing, damaged or too short is refused with a log
// line and leaves the font empty: an empty font draws nothing and measures
// 0.  Main thread only.

#include <cstdint>

#include "core/IFontMeasure.h"

class CFile;
class CTexture;

class C2DFont : public IFontMeasure
{
public:
    // Text alignments of Print and PrintShadow (any other value is left).
    static constexpr int32_t AlignLeft = 0;
    static constexpr int32_t AlignRight = 1;
    static constexpr int32_t AlignCentre = 2;

    // `alpha` value meaning: no overall opacity.
    static constexpr int32_t NoAlpha = -1;

    // Glyph pages are square textures of this side.
    static constexpr int32_t PageSide = 256;
    // Largest cell side: a page must hold one cell and its border.
    static constexpr int32_t MaxCellSide = 254;
    static constexpr int32_t GlyphCount = 255;  // codes 1 to 255
    static constexpr int32_t HeaderSize = 802;  // bytes before the glyph records
    static constexpr int32_t GlyphRecordHead = 6;  // advance width and 4 bytes

    struct SGlyph
    {
        int32_t page;
        int32_t column;
        int32_t row;
    };

    C2DFont();
    ~C2DFont() override;
    C2DFont(const C2DFont&) = delete;
    C2DFont& operator=(const C2DFont&) = delete;

    // Reads folder + name and builds the glyph pages; false (font left empty,
    // log line) when the file is missing or damaged.  A font that held pages
    // releases them first.
    bool Load(const char* folder, const char* name, int32_t spaceWidth, int32_t letterSpacing);
    // The same from the bytes of a font file already in memory; `name` is
    // used only for log lines.
    bool LoadFromMemory(const uint8_t* data, int64_t size, const char* name, int32_t spaceWidth,
                        int32_t letterSpacing);
    // Gives the glyph pages back; safe on an empty font.
    void Release();

    // Width in pixels of the widest line, letter spacing after every
    // character included; 0 for an empty text or an empty font.
    int GetTextWidth(const char* text) const override;
    // lineHeight x the number of lines; 0 for an empty text or font.
    int32_t GetTextHeight(const char* text) const;

    // Draws the text with its first line's top-left corner at (x, y); with
    // AlignRight x is the right edge, with AlignCentre the centre of every
    // line.  colour is 0x00RRGGBB.
    void Print(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t align);
    // A black copy two pixels right of and below the text, then the text.
    void PrintShadow(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t align);

    bool IsEmpty() const { return pageCount == 0; }

    int32_t cellWidth;
    int32_t cellHeight;
    int32_t charWidth[256];
    int32_t spaceWidth;
    int32_t letterSpacing;
    int32_t lineHeight;
    // Cells of (W + 2) x (H + 2) pixels across and down a page; 0 while empty.
    int32_t columnsPerPage;
    int32_t rowsPerPage;
    int32_t pageCount;
    CTexture* pages;  // pageCount textures, owned
    SGlyph glyphs[256];
    // Overall opacity 0-254 of printed text; NoAlpha (or 255) for none.
    // Callers that fade text set it before printing and back afterwards.
    int32_t alpha;

private:
    void MakeEmpty();
    void BuildPages(const uint8_t* records);
    int32_t LineWidth(const uint8_t* line) const;
    void DrawGlyph(float x, float y, const SGlyph& glyph, uint32_t colour) const;
    int32_t AlignedLineStart(int32_t x, const uint8_t* line, int32_t align) const;
};

// ---- The global font table --------------------------------------------------
// GlobalFontCount fonts allocated by start-up and freed by the release of the
// global tables; the device start-up loads entries 0 to GameFontCount - 1.
constexpr int GlobalFontCount = 8;
constexpr int GameFontCount = 6;
void AllocGlobalFonts();
void FreeGlobalFonts();
// Font `index` of the table; null when it is not allocated or the index is
// out of range.
C2DFont* GetGlobalFont(int index);
// Device start-up and shut-down steps: load the six game fonts from "Fonts\"
// and the language folder, and release them.
void LoadGameFonts(const char* languageFolder);
void ReleaseGameFonts();
