#pragma once
// A check box: the box picture and its text, one line of the font high.  It
// toggles when pressed, not when released.

#include "core/C_String.h"
#include "media/C_GUIControl.h"

class CGUICheckBox : public CGUIControl
{
public:
    // The text is copied.  h is the font's line height and w the text's width
    // plus that height, room for the box.
    CGUICheckBox(CGUIInterface* parent, int32_t x, int32_t y, int32_t font, const char* text, bool checked);

    bool GetBool() override;
    void OnMouseDown(int32_t x, int32_t y) override;
    void OnMouseUp(int32_t x, int32_t y) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void Render() override;

    CString text;
    uint8_t hovered;
    uint8_t checked;
    uint8_t pressed;
    int32_t font;
};
