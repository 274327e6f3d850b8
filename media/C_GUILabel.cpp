#include "media/C_GUILabel.h"

CGUILabel::CGUILabel(CGUIInterface* parent, int32_t x, int32_t y, const char* text, int32_t font, uint32_t colour,
                     int32_t alignment)
    : CGUIControl(parent, x, y, 0, 0), text(text ? text : ""), colour(colour), font(font), alignment(alignment)
{
}

void CGUILabel::SetText(const char* newText) { text = newText ? newText : ""; }

void CGUILabel::Render() { Print(font, GetAbsX(), GetAbsY(), text, colour, alignment); }
