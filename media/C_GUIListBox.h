#pragma once
// A scrolling list: rows of items, the selected one highlighted, and a scroll
// bar with the slider thumb when there are more items than rows.  The wheel
// scrolls by one row; the thumb is dragged.

#include "core/C_String.h"
#include "media/C_GUIControl.h"

class CGUIListBox : public CGUIControl
{
public:
    static constexpr int32_t NoItem = -1;
    // The thumb is the slider thumb picture scaled to this height.
    static constexpr int32_t ThumbPictureHeight = 23;

    // `items` is one ";"-separated text.
    CGUIListBox(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, int32_t font, const char* items,
                int32_t selected);

    // Replaces the items; a selection beyond them becomes none.  The
    // selection is scrolled into view.
    void SetItems(const char* items, int32_t selected);

    int32_t GetInt() override;
    // The selected item's text; null when none is selected.
    const char* GetString() override;
    void OnMouseDown(int32_t x, int32_t y) override;
    void OnMouseUp(int32_t x, int32_t y) override;
    void OnMouseMove(int32_t x, int32_t y) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void OnWheelUp() override;
    void OnWheelDown() override;
    void Render() override;

    CStringArray items;
    int32_t itemCount;
    int32_t selected;
    uint8_t hovered;
    int32_t hoveredItem;
    uint8_t dragging;
    uint8_t overScrollBar;
    int32_t visibleRows;
    int32_t firstRow;
    int32_t font;
    int32_t thumbWidth;
    int32_t thumbHeight;
    int32_t thumbPosition;

private:
    int32_t RowHeight() const;
    bool HasScrollBar() const;
    // Rows the list can scroll by: 0 when every item fits.
    int32_t ScrollRange() const;
    int32_t Track() const;
    void ScrollToMouse(int32_t py);
    void PlaceThumbAtFirstRow();
    void FindHoveredItem(int32_t px, int32_t py);
};
