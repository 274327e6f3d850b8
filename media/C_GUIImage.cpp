#include "media/C_GUIImage.h"

#include "media/C_Texture.h"

CGUIImage::CGUIImage(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, CTexture* texture,
                     uint32_t frameColour)
    : CGUIControl(parent, x, y, w, h), texture(texture), frameColour(frameColour)
{
}

void CGUIImage::SetImage(CTexture* image) { texture = image; }

void CGUIImage::Render()
{
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    if (frameColour != NoFrame)
    {
        DrawFrame(left, top, left + w - 1, top + h - 1, frameColour);
        if (texture)
            texture->Render2DImage(left + FrameInset, top + FrameInset, w - 2 * FrameInset, h - 2 * FrameInset);
        return;
    }
    if (texture)
        texture->Render2DImage(left, top, w, h);
}
