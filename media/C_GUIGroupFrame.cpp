#include "media/C_GUIGroupFrame.h"

namespace
{
// Space between the frame's corner and the caption, and around the caption.
constexpr int32_t kCaptionIndent = 5;
constexpr int32_t kCaptionGap = 10;
}

CGUIGroupFrame::CGUIGroupFrame(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h,
                               const char* caption, uint32_t colour, int32_t font)
    : CGUIControl(parent, x, y, w, h), caption(caption ? caption : ""), colour(colour), font(font)
{
}

// The top edge runs half a line below the top, broken for the caption.
void CGUIGroupFrame::DrawOutline(int32_t left, int32_t top, uint32_t lineColour) const
{
    const int32_t halfLine = LineHeight(font) / 2;
    const int32_t edge = top + halfLine;
    const int32_t gapEnd = left + TextWidth(font, caption) + kCaptionGap + halfLine;
    DrawLine(left, edge, left + halfLine, edge, lineColour);
    DrawLine(gapEnd, edge, left + w, edge, lineColour);
    DrawLine(left + w, edge, left + w, top + h, lineColour);
    DrawLine(left + w, top + h, left, top + h, lineColour);
    DrawLine(left, top + h, left, edge, lineColour);
}

void CGUIGroupFrame::Render()
{
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    Print(font, left + LineHeight(font) / 2 + kCaptionIndent, top, caption, colour, AlignLeft);
    DrawOutline(left + 1, top + 1, ColourBlack);
    DrawOutline(left, top, colour);
}
