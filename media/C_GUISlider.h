#pragma once
// A horizontal slider: the thumb picture on a track from minimum to maximum.
// Pressing or dragging moves the value to the mouse, and every change is
// reported to the form as this control's event.

#include "media/C_GUIControl.h"

class CGUISlider : public CGUIControl
{
public:
    CGUISlider(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, int32_t minimum, int32_t maximum,
               int32_t value);

    int32_t GetInt() override;
    void OnMouseDown(int32_t x, int32_t y) override;
    void OnMouseUp(int32_t x, int32_t y) override;
    void OnMouseMove(int32_t x, int32_t y) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void Render() override;

    uint8_t hovered;
    uint8_t dragging;
    int32_t minimum;
    int32_t maximum;
    int32_t value;
    int32_t thumbWidth;
    int32_t thumbHeight;

private:
    void FollowMouse(int32_t px);
    int32_t ValueAt(int32_t px) const;
};
