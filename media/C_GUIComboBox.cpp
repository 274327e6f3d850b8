#include "media/C_GUIComboBox.h"

#include "core/C_LogFile.h"
#include "media/C_GUIInterface.h"

namespace
{
constexpr int32_t kClosedBoxAlpha = 128;
constexpr int32_t kOpenBoxAlpha = 160;
constexpr uint32_t kItemColour = 0x00FF00;
constexpr int32_t kTextInset = 2;
}

CGUIComboBox::CGUIComboBox(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, int32_t font,
                           const char* itemText, int32_t selected)
    : CGUIControl(parent, x, y, w, h),
      hovered(0),
      itemCount(0),
      open(0),
      opensDown(1),
      hoveredItem(NoItem),
      selected(selected),
      closedX(x),
      closedY(y),
      closedW(w),
      closedH(h),
      font(font)
{
    SplitItems(itemText, items);
    itemCount = items.GetCount();
    CheckSelection();
}

void CGUIComboBox::CheckSelection()
{
    if (selected >= itemCount)
    {
        DEBUG_REPORT("#DEBUG: Combo index out of range");
        selected = itemCount - 1;
    }
    if (selected < 0)
        selected = NoItem;
}

int32_t CGUIComboBox::GetInt() { return selected; }

void CGUIComboBox::SetValue(int32_t value)
{
    selected = value;
    CheckSelection();
}

void CGUIComboBox::OnMouseDown(int32_t, int32_t)
{
    if (open)
        return;
    PlayInterfaceClick();
    closedX = x;
    closedY = y;
    closedW = w;
    closedH = h;
    open = 1;
    h = (itemCount + 1) * closedH;
    const int32_t formHeight = parent ? parent->h : CGUIInterface::kVirtualScreenHeight;
    opensDown = y + h < formHeight ? 1 : 0;
    if (!opensDown)
        y -= itemCount * closedH;
    hoveredItem = NoItem;
}

// The container calls it on a release over the open list.
void CGUIComboBox::OnClick()
{
    if (!open)
        return;
    PlayInterfaceClick();
    if (hoveredItem != NoItem)
        selected = hoveredItem;
    Close();
}

void CGUIComboBox::Close()
{
    open = 0;
    x = closedX;
    y = closedY;
    w = closedW;
    h = closedH;
    hoveredItem = NoItem;
}

int32_t CGUIComboBox::ComboRow() const { return opensDown ? 0 : itemCount; }

int32_t CGUIComboBox::ItemInRow(int32_t row) const
{
    const int32_t item = opensDown ? row - 1 : row;
    if (row < 0 || row == ComboRow() || item < 0 || item >= itemCount)
        return NoItem;
    return item;
}

void CGUIComboBox::OnMouseMove(int32_t, int32_t py)
{
    if (!open || closedH <= 0)
        return;
    const int32_t offset = py - GetAbsY();
    hoveredItem = offset < 0 ? NoItem : ItemInRow(offset / closedH);
}

void CGUIComboBox::OnMouseEnter() { hovered = 1; }

// Leaving the open list closes it without choosing.
void CGUIComboBox::OnMouseLeave()
{
    hovered = 0;
    if (open)
        Close();
}

void CGUIComboBox::Render()
{
    if (open)
        RenderOpen();
    else
        RenderClosed();
}

void CGUIComboBox::RenderClosed()
{
    const uint32_t colour = !enabled ? ColourDisabled : hovered ? ColourHover : ColourNormal;
    DrawFramedLook(kClosedBoxAlpha, colour);
    if (selected != NoItem)
        Print(font, GetAbsX() + kTextInset, GetAbsY() + kTextInset, items[selected], colour, AlignLeft);
}

void CGUIComboBox::RenderOpen()
{
    const int32_t left = GetAbsX();
    const int32_t top = GetAbsY();
    DrawFramedLook(kOpenBoxAlpha, ColourHover);
    if (opensDown)
    {
        DrawLine(left + 1, top + closedH + 1, left + w, top + closedH + 1, ColourBlack);
        DrawLine(left, top + closedH, left + w - 1, top + closedH, ColourHover);
    }
    const int32_t comboTop = top + ComboRow() * closedH;
    if (selected != NoItem)
    {
        const uint32_t colour = hoveredItem != NoItem ? ColourNormal : ColourHover;
        Print(font, left + kTextInset, comboTop + kTextInset, items[selected], colour, AlignLeft);
    }
    for (int32_t item = 0; item < itemCount; ++item)
    {
        const int32_t rowTop = top + (opensDown ? item + 1 : item) * closedH;
        uint32_t colour = kItemColour;
        if (item == hoveredItem)
        {
            DrawBox(left, rowTop, left + w - 1, rowTop + closedH - 1, ColourHighlight, HighlightAlpha);
            colour = ColourHover;
        }
        Print(font, left + kTextInset, rowTop + kTextInset, items[item], colour, AlignLeft);
    }
}
