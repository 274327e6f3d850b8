#pragma once
// A block of text wrapped to the control's width, one line of the font per
// row.  Lines break after a blank or one of \ / - ; : = ? ! $ *, or inside a
// word that has none of them.

#include "core/C_String.h"
#include "media/C_GUIControl.h"

class CGUIText : public CGUIControl
{
public:
    // h is 0; the text is wrapped at once.
    CGUIText(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, const char* text, int32_t font, uint32_t colour,
             int32_t alignment);

    void Render() override;

    static bool IsBreakCharacter(char c);

    CString text;
    uint32_t colour;
    int32_t font;
    int32_t alignment;
    CStringArray lines;

private:
    void Wrap();
};
