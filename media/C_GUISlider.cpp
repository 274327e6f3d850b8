#include "media/C_GUISlider.h"

#include <algorithm>
#include <cmath>

#include "media/C_2DImage.h"
#include "media/C_GUIInterface.h"

namespace
{
constexpr int32_t kBoxAlpha = 64;
constexpr int32_t kInset = 2;
// Border rows above and below the thumb.
constexpr int32_t kThumbMargin = 2;
// Track pixels the thumb cannot use at the right end.
constexpr int32_t kTrackEnd = 3;
}

CGUISlider::CGUISlider(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, int32_t minimum,
                       int32_t maximum, int32_t value)
    : CGUIControl(parent, x, y, w, h),
      hovered(0),
      dragging(0),
      minimum(minimum),
      maximum(maximum),
      value(value),
      thumbWidth(0),
      thumbHeight(0)
{
    // Without the thumb picture the slider has no thumb (width 0).
    const C2DImage* thumb = GetGUIPicture(EGUIPicture::SliderThumb);
    if (thumb && h > kThumbMargin)
    {
        const double side = h - kThumbMargin;
        thumbWidth = static_cast<int32_t>(thumb->width * side / thumb->height);
        thumbHeight = static_cast<int32_t>(thumb->height * side / thumb->height);
    }
}

int32_t CGUISlider::GetInt() { return value; }

// The value whose thumb centre lies nearest to the mouse, held within the
// span.  An empty span or a track with no room leaves the minimum.
int32_t CGUISlider::ValueAt(int32_t px) const
{
    const int32_t low = std::min(minimum, maximum);
    const int32_t high = std::max(minimum, maximum);
    if (maximum == minimum)
        return minimum;
    const double step = static_cast<double>(w - thumbWidth) / (static_cast<double>(maximum) - minimum);
    if (step <= 0.0)
        return minimum;
    const double steps = (static_cast<double>(px) - GetAbsX() - thumbWidth / 2 + step / 2) / step;
    const double unclamped = std::trunc(steps) + minimum;
    return static_cast<int32_t>(std::clamp(unclamped, static_cast<double>(low), static_cast<double>(high)));
}

// The form's hook may destroy this slider (a form that rebuilds its
// controls), so nothing of it is touched after the report.
void CGUISlider::FollowMouse(int32_t px)
{
    value = ValueAt(px);
    if (parent)
        parent->OnControlEvent(IndexInParent());
}

void CGUISlider::OnMouseDown(int32_t px, int32_t)
{
    dragging = 1;
    FollowMouse(px);
}

void CGUISlider::OnMouseMove(int32_t px, int32_t)
{
    if (dragging)
        FollowMouse(px);
}

// The form ends a drag the moment the mouse leaves the slider, with no move
// of its own there; the value follows that last position first, so a drag
// out past an end holds that end.
void CGUISlider::OnMouseUp(int32_t px, int32_t py)
{
    const bool draggedOut = dragging && !HitTest(px, py);
    dragging = 0;
    if (draggedOut)
        FollowMouse(px);
}

void CGUISlider::OnMouseEnter() { hovered = 1; }
void CGUISlider::OnMouseLeave() { hovered = 0; }

void CGUISlider::Render()
{
    const uint32_t colour = dragging ? ColourPressed : hovered ? ColourHover : ColourNormal;
    DrawFramedLook(kBoxAlpha, colour);
    C2DImage* thumb = GetGUIPicture(EGUIPicture::SliderThumb);
    if (thumb == nullptr || thumbWidth <= 1 || thumbHeight <= 1)
        return;
    int32_t offset = 0;
    if (maximum != minimum)
    {
        const double fraction = (static_cast<double>(value) - minimum) / (static_cast<double>(maximum) - minimum);
        offset = static_cast<int32_t>(fraction * (w - thumbWidth - kTrackEnd));
    }
    thumb->RenderStretch(GetAbsX() + kInset + offset, GetAbsY() + kInset, thumbWidth - 1, thumbHeight - 1, true);
}
