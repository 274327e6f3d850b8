#pragma once
// A frame around a group of controls with its caption set into the top edge.

#include "core/C_String.h"
#include "media/C_GUIControl.h"

class CGUIGroupFrame : public CGUIControl
{
public:
    // The caption is copied.
    CGUIGroupFrame(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, const char* caption,
                   uint32_t colour, int32_t font);

    void Render() override;

    CString caption;
    uint32_t colour;
    int32_t font;

private:
    void DrawOutline(int32_t left, int32_t top, uint32_t lineColour) const;
};
