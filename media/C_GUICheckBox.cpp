#include "media/C_GUICheckBox.h"

#include "media/C_2DImage.h"

CGUICheckBox::CGUICheckBox(CGUIInterface* parent, int32_t x, int32_t y, int32_t font, const char* text, bool checked)
    : CGUIControl(parent, x, y, 0, 0),
      text(text ? text : ""),
      hovered(0),
      checked(checked ? 1 : 0),
      pressed(0),
      font(font)
{
    h = LineHeight(font);
    w = TextWidth(font, this->text) + h;
}

bool CGUICheckBox::GetBool() { return checked != 0; }

void CGUICheckBox::OnMouseDown(int32_t, int32_t)
{
    if (!pressed)
        PlayInterfaceClick();
    pressed = 1;
    checked = checked ? 0 : 1;
}

void CGUICheckBox::OnMouseUp(int32_t, int32_t)
{
    if (hovered)
        PlayInterfaceClick();
    pressed = 0;
}

void CGUICheckBox::OnMouseEnter() { hovered = 1; }
void CGUICheckBox::OnMouseLeave() { hovered = 0; }

// The box is two thirds of a line high, a sixth of a line below the top.
void CGUICheckBox::Render()
{
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    const int32_t lineHeight = LineHeight(font);
    const uint32_t colour = pressed ? ColourPressed : hovered ? ColourHover : ColourNormal;
    Print(font, left + lineHeight, top, text, colour, AlignLeft);
    C2DImage* box = GetGUIPicture(checked ? EGUIPicture::CheckBoxChecked : EGUIPicture::CheckBox);
    const int32_t side = 2 * lineHeight / 3;
    if (box && side > 0)
        box->RenderStretch(left, top + lineHeight / 6, side, side, true);
}
