#include "media/C_GUIControl.h"

#include "media/C_GUIInterface.h"

CGUIControl::CGUIControl(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h)
    : enabled(1), visible(1), parent(parent), x(x), y(y), w(w), h(h)
{
}

CGUIControl::~CGUIControl() = default;

bool CGUIControl::CanFocus() { return false; }
void CGUIControl::OnMouseDown(int32_t, int32_t) {}
void CGUIControl::OnMouseUp(int32_t, int32_t) {}
void CGUIControl::OnClick() {}
void CGUIControl::OnMouseMove(int32_t, int32_t) {}
void CGUIControl::OnMouseEnter() {}
void CGUIControl::OnMouseLeave() {}
void CGUIControl::OnWheelUp() {}
void CGUIControl::OnWheelDown() {}
void CGUIControl::OnKey(int32_t) {}
void CGUIControl::Render() {}
void CGUIControl::OnFocus() {}
void CGUIControl::OnBlur() {}

int32_t CGUIControl::GetAbsX() const
{
    return parent ? x + parent->GetAbsX() : x;
}

int32_t CGUIControl::GetAbsY() const
{
    return parent ? y + parent->GetAbsY() : y;
}

bool CGUIControl::HitTest(int32_t px, int32_t py) const
{
    if (!enabled)
        return false;
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    return px >= left && px <= left + w && py >= top && py <= top + h;
}
