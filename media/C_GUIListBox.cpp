#include "media/C_GUIListBox.h"

#include <algorithm>

#include "core/C_Ctrl.h"
#include "media/C_2DImage.h"

namespace
{
constexpr int32_t kBoxAlpha = 128;
constexpr int32_t kInset = 2;
constexpr int32_t kRowGap = 2;
constexpr int32_t kScrollBarFrameWidth = 25;
constexpr int32_t kThumbOffset = 23;
constexpr int32_t kHighlightEndWithBar = 27;
}

CGUIListBox::CGUIListBox(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, int32_t font,
                         const char* itemText, int32_t selected)
    : CGUIControl(parent, x, y, w, h),
      itemCount(0),
      selected(NoItem),
      hovered(0),
      hoveredItem(NoItem),
      dragging(0),
      overScrollBar(0),
      visibleRows(0),
      firstRow(0),
      font(font),
      thumbWidth(0),
      thumbHeight(0),
      thumbPosition(0)
{
    SetItems(itemText, selected);
}

void CGUIListBox::SetItems(const char* itemText, int32_t newSelected)
{
    SplitItems(itemText, items);
    itemCount = items.GetCount();
    selected = newSelected >= 0 && newSelected < itemCount ? newSelected : NoItem;
    hoveredItem = NoItem;
    visibleRows = std::max(0, (h - 2 * kInset) / RowHeight());
    firstRow = 0;
    if (selected != NoItem && selected >= visibleRows)
        firstRow = std::min(selected - visibleRows + 1, ScrollRange());
    thumbWidth = 0;
    thumbHeight = 0;
    thumbPosition = 0;
    const C2DImage* thumb = GetGUIPicture(EGUIPicture::SliderThumb);
    if (thumb && itemCount > visibleRows)
    {
        thumbWidth = static_cast<int32_t>(thumb->width * static_cast<double>(ThumbPictureHeight) / thumb->height);
        thumbHeight = static_cast<int32_t>(thumb->height * static_cast<double>(ThumbPictureHeight) / thumb->height);
    }
    PlaceThumbAtFirstRow();
}

int32_t CGUIListBox::RowHeight() const { return LineHeight(font) + kRowGap; }
bool CGUIListBox::HasScrollBar() const { return itemCount > visibleRows && thumbWidth > 0; }
int32_t CGUIListBox::ScrollRange() const { return std::max(0, itemCount - visibleRows); }
int32_t CGUIListBox::Track() const { return std::max(0, h - thumbHeight - 2 * kInset); }

int32_t CGUIListBox::GetInt() { return selected; }

const char* CGUIListBox::GetString()
{
    return selected != NoItem ? items[selected].GetBuffer() : nullptr;
}

// The divisions run in floating point and only over a range that is there:
// a list whose items all fit, or whose track is shorter than its rows, has
// nothing to divide by.
void CGUIListBox::ScrollToMouse(int32_t py)
{
    const int32_t track = Track();
    const int32_t fromTop = py - (GetAbsY() + thumbHeight / 2);
    const double pixelsPerRow = static_cast<double>(track) / (ScrollRange() + 1);
    int32_t first = 0;
    if (pixelsPerRow > 0.0)
        first = static_cast<int32_t>(std::clamp(fromTop / pixelsPerRow, 0.0, static_cast<double>(ScrollRange())));
    firstRow = first;
    thumbPosition = std::clamp(fromTop, 0, track);
}

void CGUIListBox::PlaceThumbAtFirstRow()
{
    const int32_t range = ScrollRange();
    thumbPosition = range > 0 ? static_cast<int32_t>(static_cast<double>(Track()) / range * firstRow) : 0;
}

void CGUIListBox::FindHoveredItem(int32_t px, int32_t py)
{
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    hoveredItem = NoItem;
    overScrollBar = 0;
    if (HasScrollBar() && px >= left + w - thumbWidth && px <= left + w && py >= top && py <= top + h)
    {
        overScrollBar = 1;
        return;
    }
    if (px < left + kInset || px > left + w - thumbWidth || py < top + kInset)
        return;
    const int32_t row = (py - top - kInset) / RowHeight();
    const int32_t item = firstRow + row;
    if (row < visibleRows && item < itemCount)
        hoveredItem = item;
}

void CGUIListBox::OnMouseMove(int32_t px, int32_t py)
{
    if (dragging)
        ScrollToMouse(py);
    else
        FindHoveredItem(px, py);
}

void CGUIListBox::OnMouseDown(int32_t, int32_t py)
{
    if (hoveredItem != NoItem)
    {
        selected = hoveredItem;
        PlayInterfaceClick();
    }
    else if (overScrollBar)
    {
        dragging = 1;
        ScrollToMouse(py);
    }
}

void CGUIListBox::OnMouseUp(int32_t, int32_t) { dragging = 0; }
void CGUIListBox::OnMouseEnter() { hovered = 1; }

void CGUIListBox::OnMouseLeave()
{
    hoveredItem = NoItem;
    hovered = 0;
    dragging = 0;
}

void CGUIListBox::OnWheelUp()
{
    if (firstRow > 0)
        --firstRow;
    PlaceThumbAtFirstRow();
    FindHoveredItem(VirtualMouseX, VirtualMouseY);
}

void CGUIListBox::OnWheelDown()
{
    if (firstRow < ScrollRange())
        ++firstRow;
    PlaceThumbAtFirstRow();
    FindHoveredItem(VirtualMouseX, VirtualMouseY);
}

void CGUIListBox::Render()
{
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    const uint32_t colour = hovered ? ColourHover : !enabled ? ColourDisabled : ColourNormal;
    DrawFramedLook(kBoxAlpha, colour);
    const bool scrollBar = HasScrollBar();
    if (scrollBar)
    {
        DrawFrame(left + w - kScrollBarFrameWidth, top, left + w - 1, top + h - 1, colour);
        if (C2DImage* thumb = GetGUIPicture(EGUIPicture::SliderThumb))
            thumb->RenderStretch(left + w - kThumbOffset, top + thumbPosition + kInset, thumbWidth - 1,
                                 thumbHeight - 1, true);
    }
    const int32_t highlightRight = scrollBar ? left + w - kHighlightEndWithBar : left + w - kInset;
    for (int32_t row = 0; row < visibleRows && firstRow + row < itemCount; ++row)
    {
        const int32_t item = firstRow + row;
        const int32_t rowTop = top + kInset + row * RowHeight();
        uint32_t textColour = !enabled ? ColourDisabled : item == hoveredItem ? ColourHover : ColourNormal;
        if (item == selected)
        {
            DrawBox(left + kInset, rowTop, highlightRight, rowTop + RowHeight() - 1, ColourHighlight, HighlightAlpha);
            textColour = ColourHover;
        }
        Print(font, left + kInset, rowTop - 1, items[item], textColour, AlignLeft);
    }
}
