#include "media/C_GUIProgressBar.h"

#include <algorithm>

#include "core/C_String.h"

namespace
{
constexpr int32_t kBoxAlpha = 64;
constexpr int32_t kInset = 2;
constexpr int32_t kWholePercent = 100;
}

CGUIProgressBar::CGUIProgressBar(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h,
                                 int32_t percentFont, int32_t minimum, int32_t maximum, int32_t value)
    : CGUIControl(parent, x, y, w, h), minimum(minimum), maximum(maximum), value(value), percentFont(percentFont)
{
}

void CGUIProgressBar::SetValue(int32_t newValue) { value = newValue; }

// The fraction is not clamped below 0 for the fill (a negative fill draws
// nothing); an empty span has made no progress.
double CGUIProgressBar::Fraction() const
{
    if (maximum == minimum)
        return 0.0;
    return (static_cast<double>(value) - minimum) / (static_cast<double>(maximum) - minimum);
}

void CGUIProgressBar::Render()
{
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    DrawFramedLook(kBoxAlpha, ColourNormal);
    const int32_t room = w - 2 * kInset;
    const double fill = std::min(Fraction() * room, static_cast<double>(room));
    if (fill >= 1.0)
    {
        DrawBox(left + kInset, top + kInset, left + kInset + static_cast<int32_t>(fill), top + h - 1,
                ColourHighlight, HighlightAlpha);
    }
    if (percentFont == NoFont)
        return;
    const double percent = std::clamp(Fraction() * kWholePercent, 0.0, static_cast<double>(kWholePercent));
    CString label;
    label.FromInt(static_cast<int32_t>(percent));
    label += " %";
    Print(percentFont, left + w / 2, top + (h - LineHeight(percentFont)) / 2, label, ColourNormal, AlignCentre);
}
