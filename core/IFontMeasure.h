#pragma once
// What text layout needs of a font: the width in pixels of a text drawn in
// it.  The bitmap font implements it; tests use fonts of fixed widths.

class IFontMeasure
{
public:
    virtual ~IFontMeasure() = default;

    // Width in screen pixels of the zero-terminated text (bytes of the
    // current code page).
    virtual int GetTextWidth(const char* text) const = 0;
};
