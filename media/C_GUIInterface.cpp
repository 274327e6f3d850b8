#include "media/C_GUIInterface.h"

#include <initializer_list>

#include "core/C_LogFile.h"
#include "media/C_2DImage.h"
#include "media/C_GUIButton.h"
#include "media/C_GUICheckBox.h"
#include "media/C_GUILabel.h"
#include "media/C_GUISlider.h"

namespace
{
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
    ++rebuilds;
    ResetIndexes();
}

// A form may destroy and re-add its controls from any hook a control
// reaches (a slider reports every step of a drag); the input step under way
// then no longer concerns the controls it started with and must stop.
bool CGUIInterface::Rebuilt(uint32_t rebuildsBefore) const
{
    return rebuilds != rebuildsBefore;
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

bool CGUIInterface::CheckControlOverflow()
{
    if (count < capacity)
        return true;
    DEBUG_REPORT("#DEBUG: GUIInterface, control index overflow");
    constexpr int32_t kDroppedSlots = 2;
    if (capacity < kDroppedSlots)
        return false;
    DropControl(count - 1);
    DropControl(count - 2);
    count -= kDroppedSlots;
    controls[count++] = new CGUILabel(this, 0, 0, "#Control index overflow", 0, kOverflowColour, AlignLeft);
    return true;
}

// A dropped control is destroyed, and no index may name its place any more.
void CGUIInterface::DropControl(int32_t index)
{
    delete controls[index];
    controls[index] = nullptr;
    ++rebuilds;
    for (int32_t* slot : {&focus, &pressed, &hover, &defaultControl, &cancelControl})
    {
        if (*slot == index)
            *slot = kNone;
    }
}

int32_t CGUIInterface::AddControl(CGUIControl* control)
{
    if (!CheckControlOverflow())
    {
        delete control;
        return kNone;
    }
    controls[count] = control;
    return count++;
}

int32_t CGUIInterface::AddButton(int32_t left, int32_t top, int32_t width, int32_t height, const char* text,
                                 const SGUIButtonColours* colours)
{
    return AddControl(new CGUIButton(this, left, top, width, height, text, colours));
}

int32_t CGUIInterface::AddLabel(int32_t left, int32_t top, const char* text, int32_t font, uint32_t colour,
                                int32_t alignment)
{
    return AddControl(new CGUILabel(this, left, top, text, font, colour, alignment));
}

int32_t CGUIInterface::AddCheckBox(int32_t left, int32_t top, int32_t font, const char* text, bool checked)
{
    return AddControl(new CGUICheckBox(this, left, top, font, text, checked));
}

int32_t CGUIInterface::AddSlider(int32_t left, int32_t top, int32_t width, int32_t height, int32_t minimum,
                                 int32_t maximum, int32_t value)
{
    return AddControl(new CGUISlider(this, left, top, width, height, minimum, maximum, value));
}

void CGUIInterface::SetDefaultControl(int32_t index) { defaultControl = index; }
void CGUIInterface::SetCancelControl(int32_t index) { cancelControl = index; }

void CGUIInterface::HideLastControl()
{
    if (count > 0)
        controls[count - 1]->visible = 0;
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
    const uint32_t held = rebuilds;
    controls[index]->OnMouseDown(px, py);
    if (Rebuilt(held))
        return;
    OnControlPressed(index);
    if (Rebuilt(held))
        return;
    if (focus >= 0 && focus < count)
        controls[focus]->OnBlur();
    if (Rebuilt(held))
        return;
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
    const uint32_t held = rebuilds;
    CGUIControl* control = controls[index];
    control->OnMouseUp(px, py);
    if (Rebuilt(held))
        return;
    if (control->HitTest(px, py))
    {
        control->OnClick();
        if (Rebuilt(held))
            return;
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
        const uint32_t held = rebuilds;
        controls[found]->OnMouseEnter();
        if (Rebuilt(held))
            return;
        if (hover >= 0 && hover < count)
        {
            controls[hover]->OnMouseLeave();
            // Moving onto another control cancels a press.
            if (Rebuilt(held) || !CancelPress(px, py))
                return;
        }
        hover = found;
        return;
    }
    if (hover >= 0 && hover < count)
    {
        const uint32_t held = rebuilds;
        controls[hover]->OnMouseLeave();
        if (Rebuilt(held) || (hover == pressed && !CancelPress(px, py)))
            return;
    }
    hover = kNone;
}

// Ends the press without a click; false when the form rebuilt its controls
// meanwhile.
bool CGUIInterface::CancelPress(int32_t px, int32_t py)
{
    if (pressed < 0 || pressed >= count)
        return true;
    const uint32_t held = rebuilds;
    controls[pressed]->OnMouseUp(px, py);
    if (Rebuilt(held))
        return false;
    pressed = kNone;
    return true;
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

bool CGUIInterface::IsActive(int32_t index) const
{
    return index >= 0 && index < count && controls[index]->enabled && controls[index]->visible;
}

bool CGUIInterface::CanTakeFocus(int32_t index) const
{
    return IsActive(index) && controls[index]->CanFocus();
}

void CGUIInterface::ActivateControl(int32_t index)
{
    const uint32_t held = rebuilds;
    controls[index]->OnClick();
    if (!Rebuilt(held))
        OnControlEvent(index);
}

void CGUIInterface::OnKey(int32_t key)
{
    // A disabled or hidden default (or cancel) control is not pressed: a form
    // disables its OK button until its input is valid.
    if (key == kKeyEnter && IsActive(defaultControl))
    {
        ActivateControl(defaultControl);
        return;
    }
    if (key == kKeyEscape && IsActive(cancelControl))
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
// Hidden and disabled entries are passed over.
void CGUIInterface::MoveFocusToNext()
{
    const uint32_t held = rebuilds;
    controls[focus]->OnBlur();
    if (Rebuilt(held))
        return;
    int32_t next = focus;
    for (int32_t step = 1; step <= count; ++step)
    {
        const int32_t candidate = (focus + step) % count;
        if (CanTakeFocus(candidate))
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
    if (background)
        background->Render(GetAbsX(), GetAbsY());
    for (int32_t i = 0; i < count; ++i)
    {
        if (i != focus && controls[i]->visible)
            controls[i]->Render();
    }
    if (focus >= 0 && focus < count && controls[focus]->visible)
        controls[focus]->Render();
}
