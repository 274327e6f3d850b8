#include "media/C_GUIInterface.h"

namespace
{
constexpr int32_t kVirtualScreenWidth = 1024;
constexpr int32_t kVirtualScreenHeight = 768;
constexpr int32_t kWholeSide = -1;
constexpr int32_t kCentred = -1;
}

CGUIInterface::CGUIInterface()
    : CGUIControl(nullptr, 0, 0, 0, 0),
      controls(nullptr),
      count(0),
      capacity(0),
      mouseX(0),
      mouseY(0),
      focus(kNone),
      pressed(kNone),
      hover(kNone),
      background(nullptr),
      defaultControl(kNone),
      cancelControl(kNone),
      result(0),
      closeRequest(0)
{
}

CGUIInterface::~CGUIInterface()
{
    DeleteAll();
    delete[] controls;
    controls = nullptr;
    capacity = 0;
}

void CGUIInterface::Init(int32_t newCapacity)
{
    DeleteAll();
    delete[] controls;
    capacity = newCapacity > 0 ? newCapacity : 0;
    controls = capacity > 0 ? new CGUIControl*[capacity]() : nullptr;
    ResetIndexes();
    closeRequest = 0;
}

void CGUIInterface::DeleteAll()
{
    for (int32_t i = 0; i < count; ++i)
    {
        delete controls[i];
        controls[i] = nullptr;
    }
    ResetIndexes();
}

void CGUIInterface::ResetIndexes()
{
    count = 0;
    focus = kNone;
    pressed = kNone;
    hover = kNone;
    defaultControl = kNone;
    cancelControl = kNone;
    result = kNone;
    mouseX = 0;
    mouseY = 0;
}

void CGUIInterface::SetRect(int32_t left, int32_t top, int32_t width, int32_t height)
{
    w = width == kWholeSide ? kVirtualScreenWidth : width;
    h = height == kWholeSide ? kVirtualScreenHeight : height;
    x = left == kCentred ? kVirtualScreenWidth / 2 - w / 2 : left;
    y = top == kCentred ? kVirtualScreenHeight / 2 - h / 2 : top;
}

void CGUIInterface::ResetResult() { result = kNone; }
void CGUIInterface::Release() {}
void CGUIInterface::Render1Frame() { Render(); }
void CGUIInterface::OnControlPressed(int32_t) {}

int32_t CGUIInterface::OnControlEvent(int32_t index)
{
    result = index;
    return index;
}

bool CGUIInterface::IsHit(int32_t index, int32_t px, int32_t py) const
{
    const CGUIControl* control = controls[index];
    return control && control->visible && control->HitTest(px, py);
}

// Later controls lie on top, so the search runs from the last one back.
int32_t CGUIInterface::FindControlAt(int32_t px, int32_t py) const
{
    for (int32_t i = count - 1; i >= 0; --i)
    {
        if (IsHit(i, px, py))
            return i;
    }
    return kNone;
}

// The focused control is tested after all others so that it wins over them.
int32_t CGUIInterface::FindHoveredControl(int32_t px, int32_t py) const
{
    int32_t found = kNone;
    for (int32_t i = 0; i < count; ++i)
    {
        if (i != focus && IsHit(i, px, py))
            found = i;
    }
    if (focus >= 0 && focus < count && IsHit(focus, px, py))
        found = focus;
    return found;
}

void CGUIInterface::OnMouseDown(int32_t px, int32_t py)
{
    mouseX = px;
    mouseY = py;
    const int32_t index = FindControlAt(px, py);
    if (index == kNone)
        return;
    pressed = index;
    controls[index]->OnMouseDown(px, py);
    OnControlPressed(index);
    if (index >= count)
        return;   // the form rebuilt its controls while reacting
    if (focus >= 0 && focus < count)
        controls[focus]->OnBlur();
    controls[index]->OnFocus();
    focus = index;
}

void CGUIInterface::OnMouseUp(int32_t px, int32_t py)
{
    mouseX = px;
    mouseY = py;
    if (pressed < 0 || pressed >= count)
    {
        pressed = kNone;
        return;
    }
    const int32_t index = pressed;
    CGUIControl* control = controls[index];
    control->OnMouseUp(px, py);
    if (control->HitTest(px, py))
    {
        control->OnClick();
        OnControlEvent(index);
    }
    pressed = kNone;
}

void CGUIInterface::OnMouseMove(int32_t px, int32_t py)
{
    mouseX = px;
    mouseY = py;
    const int32_t found = FindHoveredControl(px, py);
    if (found != kNone)
    {
        if (found == hover)
        {
            controls[found]->OnMouseMove(px, py);
            return;
        }
        controls[found]->OnMouseEnter();
        if (hover >= 0 && hover < count)
        {
            controls[hover]->OnMouseLeave();
            // Moving onto another control cancels a press.
            if (pressed >= 0 && pressed < count)
            {
                controls[pressed]->OnMouseUp(px, py);
                pressed = kNone;
            }
        }
        hover = found;
        return;
    }
    if (hover >= 0 && hover < count)
    {
        controls[hover]->OnMouseLeave();
        if (hover == pressed)
        {
            controls[pressed]->OnMouseUp(px, py);
            pressed = kNone;
        }
    }
    hover = kNone;
}

void CGUIInterface::OnWheelUp()
{
    if (hover >= 0 && hover < count)
        controls[hover]->OnWheelUp();
}

void CGUIInterface::OnWheelDown()
{
    if (hover >= 0 && hover < count)
        controls[hover]->OnWheelDown();
}

void CGUIInterface::ActivateControl(int32_t index)
{
    controls[index]->OnClick();
    OnControlEvent(index);
}

void CGUIInterface::OnKey(int32_t key)
{
    if (key == kKeyEnter && defaultControl >= 0 && defaultControl < count)
    {
        ActivateControl(defaultControl);
        return;
    }
    if (key == kKeyEscape && cancelControl >= 0 && cancelControl < count)
    {
        ActivateControl(cancelControl);
        return;
    }
    if (focus < 0 || focus >= count || !controls[focus]->CanFocus())
        return;
    if (key == kKeyTab || key == kVirtualKeyBase + kKeyTab)
    {
        MoveFocusToNext();
        return;
    }
    controls[focus]->OnKey(key);
}

// With no other control able to take the focus it returns to the same one.
void CGUIInterface::MoveFocusToNext()
{
    controls[focus]->OnBlur();
    int32_t next = focus;
    for (int32_t step = 1; step <= count; ++step)
    {
        const int32_t candidate = (focus + step) % count;
        if (controls[candidate]->CanFocus())
        {
            next = candidate;
            break;
        }
    }
    focus = next;
    controls[focus]->OnFocus();
}

void CGUIInterface::Render()
{
    if (!visible)
        return;
    // The background picture is drawn here, under the controls, once the
    // tiled 2-D images exist.
    for (int32_t i = 0; i < count; ++i)
    {
        if (i != focus && controls[i]->visible)
            controls[i]->Render();
    }
    if (focus >= 0 && focus < count && controls[focus]->visible)
        controls[focus]->Render();
}
