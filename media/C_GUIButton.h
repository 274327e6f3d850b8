#pragma once
// A push button: its text centred at the top, an optional picture per state,
// and the interface click on press and again on a release over it.

#include "core/C_String.h"
#include "media/C_GUIControl.h"

// The look of a button in its four states: the font, one colour and one
// picture (null for none) per state.
struct SGUIButtonColours
{
    int32_t font;
    uint32_t normal;
    uint32_t hover;
    uint32_t pressed;
    uint32_t disabled;
    C2DImage* normalImage;
    C2DImage* hoverImage;
    C2DImage* pressedImage;
    C2DImage* disabledImage;
};

class CGUIButton : public CGUIControl
{
public:
    static constexpr int32_t DefaultFont = 5;

    // Without colours the default look: font 5, yellow, white, red and grey,
    // no pictures.
    CGUIButton(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, const char* text,
               const SGUIButtonColours* colours);

    void OnMouseDown(int32_t x, int32_t y) override;
    void OnMouseUp(int32_t x, int32_t y) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void Render() override;

    CString text;
    uint8_t hovered;
    uint8_t pressed;
    SGUIButtonColours colours;
};
