#include "media/C_GUIText.h"

#include <cstring>

namespace
{
constexpr const char* kBreakCharacters = " \\/-;:=?!$*";
constexpr int32_t kNoBreak = -1;
}

CGUIText::CGUIText(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, const char* text, int32_t font,
                   uint32_t colour, int32_t alignment)
    : CGUIControl(parent, x, y, w, 0), text(text ? text : ""), colour(colour), font(font), alignment(alignment)
{
    Wrap();
}

bool CGUIText::IsBreakCharacter(char c)
{
    return c != 0 && std::strchr(kBreakCharacters, c) != nullptr;
}

// A line ends where the text from its start up to the current character gets
// wider than the control: after the last break character of the line, or
// else before the current character.  A single character wider than the
// control keeps its own line rather than leaving an empty one.
void CGUIText::Wrap()
{
    lines.Clear();
    const int32_t length = text.GetLength();
    int32_t lineStart = 0;
    int32_t lastBreak = kNoBreak;
    for (int32_t i = 0; i < length; ++i)
    {
        if (TextWidth(font, text.Mid(lineStart, i - lineStart + 1)) > w)
        {
            if (lastBreak >= lineStart)
            {
                lines.Add(text.Mid(lineStart, lastBreak - lineStart + 1));
                lineStart = lastBreak + 1;
            }
            else if (i > lineStart)
            {
                lines.Add(text.Mid(lineStart, i - lineStart));
                lineStart = i;
            }
        }
        if (IsBreakCharacter(text[i]))
            lastBreak = i;
    }
    lines.Add(text.Mid(lineStart, length - lineStart));
}

void CGUIText::Render()
{
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    const int32_t lineHeight = LineHeight(font);
    for (int32_t n = 0; n < lines.GetCount(); ++n)
        Print(font, left, top + n * lineHeight, lines[n], colour, alignment);
}
