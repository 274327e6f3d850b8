#pragma once
// A line of static text.  Its size is 0 x 0, so it is never hit by the mouse.

#include "core/C_String.h"
#include "media/C_GUIControl.h"

class CGUILabel : public CGUIControl
{
public:
    CGUILabel(CGUIInterface* parent, int32_t x, int32_t y, const char* text, int32_t font, uint32_t colour,
              int32_t alignment);

    void SetText(const char* text) override;
    void Render() override;

    CString text;
    uint32_t colour;
    int32_t font;
    int32_t alignment;
};
