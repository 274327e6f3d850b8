#pragma once
// Base of every GUI control and of the control container every form derives
// from.  Positions are on the virtual 1024 x 768 screen, relative to the
// parent container; a control without parent stands alone.

#include <cstdint>

class CGUIInterface;

class CGUIControl
{
public:
    CGUIControl(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h);
    virtual ~CGUIControl();

    CGUIControl(const CGUIControl&) = delete;
    CGUIControl& operator=(const CGUIControl&) = delete;

    // Only a text entry takes the keyboard focus.
    virtual bool CanFocus();

    virtual void OnMouseDown(int32_t x, int32_t y);
    virtual void OnMouseUp(int32_t x, int32_t y);
    virtual void OnClick();
    virtual void OnMouseMove(int32_t x, int32_t y);
    virtual void OnMouseEnter();
    virtual void OnMouseLeave();
    virtual void OnWheelUp();
    virtual void OnWheelDown();
    // Characters as their codes, other keys as 1024 + the virtual-key code.
    virtual void OnKey(int32_t key);
    virtual void Render();
    virtual void OnFocus();
    virtual void OnBlur();

    int32_t GetAbsX() const;
    int32_t GetAbsY() const;
    // A disabled control is never hit; the right and bottom edges count.
    bool HitTest(int32_t px, int32_t py) const;

    uint8_t enabled;
    uint8_t visible;
    CGUIInterface* parent;
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
};
