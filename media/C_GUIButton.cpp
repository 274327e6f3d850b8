#include "media/C_GUIButton.h"

#include "media/C_2DImage.h"

namespace
{
constexpr SGUIButtonColours kDefaultColours = {CGUIButton::DefaultFont,
                                               CGUIControl::ColourNormal,
                                               CGUIControl::ColourHover,
                                               CGUIControl::ColourPressed,
                                               CGUIControl::ColourDisabled,
                                               nullptr,
                                               nullptr,
                                               nullptr,
                                               nullptr};
}

CGUIButton::CGUIButton(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, const char* text,
                       const SGUIButtonColours* colours)
    : CGUIControl(parent, x, y, w, h),
      text(text ? text : ""),
      hovered(0),
      pressed(0),
      colours(colours ? *colours : kDefaultColours)
{
}

void CGUIButton::OnMouseDown(int32_t, int32_t)
{
    if (!enabled)
        return;
    if (!pressed)
        PlayInterfaceClick();
    pressed = 1;
}

// A full press over the button clicks twice: on the press and on the release.
void CGUIButton::OnMouseUp(int32_t, int32_t)
{
    if (!enabled)
        return;
    if (hovered)
        PlayInterfaceClick();
    pressed = 0;
}

void CGUIButton::OnMouseEnter()
{
    if (enabled)
        hovered = 1;
}

void CGUIButton::OnMouseLeave()
{
    if (enabled)
        hovered = 0;
}

// Disabled wins over pressed, pressed over hovered.
void CGUIButton::Render()
{
    uint32_t colour = colours.normal;
    C2DImage* image = colours.normalImage;
    if (!enabled)
    {
        colour = colours.disabled;
        image = colours.disabledImage;
    }
    else if (pressed)
    {
        colour = colours.pressed;
        image = colours.pressedImage;
    }
    else if (hovered)
    {
        colour = colours.hover;
        image = colours.hoverImage;
    }
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    if (image)
        image->Render(left, top);
    Print(colours.font, left + w / 2, top, text, colour, AlignCentre);
}
