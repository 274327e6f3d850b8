#include "media/C_GUIMenuEdit.h"

#include "core/GlobalFunc.h"
#include "media/D3DDevice.h"
#include "platform/SysClock.h"
#include "platform/SysDevice3D.h"

namespace
{
constexpr int32_t kBoxAlpha = 64;
constexpr int32_t kInset = 2;
// Room the text leaves free at the right of the entry.
constexpr int32_t kRightMargin = 10;
constexpr int32_t kCaretWidth = 5;
constexpr int32_t kShadowOffset = 2;
constexpr uint32_t kShadowColour = 0x000000;
constexpr int32_t kShadowAlpha = 0xA0;
constexpr int32_t kFirstPrintable = 32;
constexpr int32_t kDelete = 127;
constexpr int32_t kLastCharacter = 255;
}

CGUIMenuEdit::CGUIMenuEdit(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, const char* text,
                           int32_t font, int32_t measuringFont, int32_t limit)
    : CGUIControl(parent, x, y, w, h),
      text(text ? text : ""),
      reserved(0),
      cursor(0),
      focused(0),
      measuringFont(measuringFont),
      limit(limit),
      font(font)
{
    cursor = this->text.GetLength() - 1;
}

bool CGUIMenuEdit::CanFocus() { return true; }
int32_t CGUIMenuEdit::GetInt() { return text.ToInt(); }
const char* CGUIMenuEdit::GetString() { return text.GetBuffer(); }

void CGUIMenuEdit::SetText(const char* newText)
{
    text = newText ? newText : "";
    cursor = text.GetLength() - 1;
}

void CGUIMenuEdit::OnMouseEnter() {}
void CGUIMenuEdit::OnMouseLeave() {}
void CGUIMenuEdit::OnFocus() { focused = 1; }
void CGUIMenuEdit::OnBlur() { focused = 0; }

bool CGUIMenuEdit::IsPrintable(int32_t code)
{
    return code >= kFirstPrintable && code <= kLastCharacter && code != kDelete;
}

void CGUIMenuEdit::OnKey(int32_t key)
{
    switch (key)
    {
    case KeyHome:
        cursor = BeforeFirst;
        return;
    case KeyEnd:
        cursor = text.GetLength() - 1;
        return;
    case KeyLeft:
        if (cursor >= 0)
            --cursor;
        return;
    case KeyRight:
        if (cursor < text.GetLength() - 1)
            ++cursor;
        return;
    case KeyBackspace:
        Backspace();
        return;
    default:
        break;
    }
    // Control characters (Ctrl+letters, line feed, Delete) and the other keys
    // have no place in a line of text.
    if (IsPrintable(key))
        Insert(static_cast<char>(key));
}

void CGUIMenuEdit::Backspace()
{
    if (text.IsEmpty() || cursor < 0)
        return;
    text.Delete(cursor, 1);
    --cursor;
}

// An insertion that breaks a limit is taken back.
void CGUIMenuEdit::Insert(char c)
{
    const int32_t split = cursor + 1;
    text = text.Mid(0, split) + c + text.Mid(split, text.GetLength() - split);
    ++cursor;
    if (!WithinLimits())
        Backspace();
}

bool CGUIMenuEdit::WithinLimits() const
{
    if (TextWidth(font, text) > w - kRightMargin)
        return false;
    if (measuringFont != NoFont)
        return TextWidth(measuringFont, text) <= limit;
    return text.GetLength() <= limit;
}

void CGUIMenuEdit::Render()
{
    const uint32_t colour = !enabled ? ColourDisabled : focused ? ColourHover : ColourNormal;
    DrawFramedLook(kBoxAlpha, colour);
    Print(font, GetAbsX() + kInset, GetAbsY() + kInset, text, colour, AlignLeft);
    const bool caretShown = (SysClock::TickCount() / CaretBlinkMs) % 2 == 0;
    if (enabled && focused && caretShown)
        RenderCaret(colour);
}

// A bar one line high and 5 pixels wide after the cursor character, over a
// translucent black shadow.
void CGUIMenuEdit::RenderCaret(uint32_t colour) const
{
    SysDevice3D* device = GetD3DDevice();
    if (device == nullptr)
        return;
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    const int32_t lineHeight = LineHeight(font);
    const int32_t caretX = left + kInset + (cursor >= 0 ? TextWidth(font, text.Mid(0, cursor + 1)) : 0);
    GlobalFunc::FatalD3DError("CMENUMessage::Render1Frame()/1", device->SetTexture(0, nullptr), true);
    DrawBox(caretX + kShadowOffset, top + kInset + kShadowOffset, caretX + kShadowOffset + kCaretWidth,
            top + lineHeight + kInset + kShadowOffset, kShadowColour, kShadowAlpha);
    DrawBox(caretX, top + kInset, caretX + kCaretWidth, top + lineHeight + kInset, colour, NoAlpha);
}
