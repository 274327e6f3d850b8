#pragma once
// The control container: a rectangle that owns its controls, routes mouse and
// keyboard input to them, draws them and reports the control that was
// activated.  Every form derives from it; a screen controller keeps a stack of
// open forms and gives its input to the top one.

#include <cstdint>

#include "media/C_GUIControl.h"

class C2DImage;

class CGUIInterface : public CGUIControl
{
public:
    CGUIInterface();
    // Deletes the controls the container still owns.
    ~CGUIInterface() override;

    void OnMouseDown(int32_t x, int32_t y) override;
    void OnMouseUp(int32_t x, int32_t y) override;
    void OnMouseMove(int32_t x, int32_t y) override;
    void OnWheelUp() override;
    void OnWheelDown() override;
    void OnKey(int32_t key) override;
    void Render() override;

    // Prepares the form each time it is shown.
    virtual void ResetResult();
    // Called when the form is closed and taken off its controller's stack.
    virtual void Release();
    virtual void Render1Frame();
    // Called after a control took a mouse-down.
    virtual void OnControlPressed(int32_t index);
    // A control was activated; the base records it as the result.
    virtual int32_t OnControlEvent(int32_t index);

    // Room for `capacity` controls; every index back to "none".
    void Init(int32_t capacity);
    // Destroys every owned control; the capacity stays.
    void DeleteAll();
    // w -1 means 1024, h -1 means 768; x -1 and y -1 centre the form.
    void SetRect(int32_t left, int32_t top, int32_t width, int32_t height);

    static constexpr int32_t kNone = -1;
    static constexpr int32_t kKeyTab = 9;
    static constexpr int32_t kKeyEnter = 13;
    static constexpr int32_t kKeyEscape = 27;
    // Keys other than characters reach forms as this base plus the key code.
    static constexpr int32_t kVirtualKeyBase = 1024;

    CGUIControl** controls;
    int32_t count;
    int32_t capacity;
    int32_t mouseX;
    int32_t mouseY;
    int32_t focus;
    int32_t pressed;
    int32_t hover;
    C2DImage* background;
    int32_t defaultControl;
    int32_t cancelControl;
    int32_t result;
    uint8_t closeRequest;

private:
    void ResetIndexes();
    int32_t FindControlAt(int32_t px, int32_t py) const;
    int32_t FindHoveredControl(int32_t px, int32_t py) const;
    bool IsHit(int32_t index, int32_t px, int32_t py) const;
    void ActivateControl(int32_t index);
    void MoveFocusToNext();
};
