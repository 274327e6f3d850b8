#pragma once
// The control container: a rectangle that owns its controls, routes mouse and
// keyboard input to them, draws them and reports the control that was
// activated.  Every form derives from it; a screen controller keeps a stack of
// open forms and gives its input to the top one.

#include <cstdint>

#include "media/C_GUIControl.h"

class CGUIButton;
class CGUICheckBox;
class CGUILabel;
class CGUISlider;
struct SGUIButtonColours;

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

    // Called before every control is appended.  A full form drops (and
    // destroys) its last two controls for the warning label
    // "#Control index overflow", so that the new control takes the last
    // place; false when the form has no room at all (capacity below 2).
    bool CheckControlOverflow();
    // Appends a control the form then owns; its index, or -1 when there is
    // no room (the control is destroyed then).
    int32_t AddControl(CGUIControl* control);
    // The Add helpers return the new control's index (-1 without room).
    int32_t AddButton(int32_t left, int32_t top, int32_t width, int32_t height, const char* text,
                      const SGUIButtonColours* colours);
    int32_t AddLabel(int32_t left, int32_t top, const char* text, int32_t font, uint32_t colour, int32_t alignment);
    int32_t AddCheckBox(int32_t left, int32_t top, int32_t font, const char* text, bool checked);
    int32_t AddSlider(int32_t left, int32_t top, int32_t width, int32_t height, int32_t minimum, int32_t maximum,
                      int32_t value);
    // Enter clicks the default control and Escape the cancel control, each
    // only while it is enabled and visible.
    void SetDefaultControl(int32_t index);
    void SetCancelControl(int32_t index);
    // Makes the most recently added control invisible.
    void HideLastControl();

    static constexpr int32_t kNone = -1;
    static constexpr int32_t kKeyTab = 9;
    static constexpr int32_t kKeyEnter = 13;
    static constexpr int32_t kKeyEscape = 27;
    // Keys other than characters reach forms as this base plus the key code.
    static constexpr int32_t kVirtualKeyBase = 1024;
    static constexpr uint32_t kOverflowColour = 0xFFFFFF;
    static constexpr int32_t kVirtualScreenWidth = 1024;
    static constexpr int32_t kVirtualScreenHeight = 768;

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
    bool Rebuilt(uint32_t rebuildsBefore) const;
    bool CancelPress(int32_t px, int32_t py);
    int32_t FindControlAt(int32_t px, int32_t py) const;
    int32_t FindHoveredControl(int32_t px, int32_t py) const;
    bool IsHit(int32_t index, int32_t px, int32_t py) const;
    bool IsActive(int32_t index) const;
    bool CanTakeFocus(int32_t index) const;
    void ActivateControl(int32_t index);
    void DropControl(int32_t index);
    void MoveFocusToNext();

    // Counts every destruction of controls, so that an input step can tell
    // whether the controls it holds are still the form's.
    uint32_t rebuilds = 0;
};
