#pragma once
// A texture drawn over the control's rectangle, inside an optional frame.

#include "media/C_GUIControl.h"

class CGUIImage : public CGUIControl
{
public:
    static constexpr uint32_t NoFrame = 0xFFFFFFFF;
    static constexpr int32_t FrameInset = 2;

    // The texture is not owned and may be null.
    CGUIImage(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, CTexture* texture,
              uint32_t frameColour);

    void SetImage(CTexture* image) override;
    void Render() override;

    CTexture* texture;
    uint32_t frameColour;
};
