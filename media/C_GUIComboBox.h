#pragma once
// A drop-down list: closed it shows the selected item; a press opens the
// items below it (or above it, near the bottom of its form) and the item under
// the mouse at the release becomes the selection.

#include "core/C_String.h"
#include "media/C_GUIControl.h"

class CGUIComboBox : public CGUIControl
{
public:
    static constexpr int32_t NoItem = -1;

    // `items` is one ";"-separated text.
    CGUIComboBox(CGUIInterface* parent, int32_t x, int32_t y, int32_t w, int32_t h, int32_t font, const char* items,
                 int32_t selected);

    int32_t GetInt() override;
    void SetValue(int32_t value) override;
    void OnMouseDown(int32_t x, int32_t y) override;
    void OnClick() override;
    void OnMouseMove(int32_t x, int32_t y) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    void Render() override;

    uint8_t hovered;
    int32_t itemCount;
    CStringArray items;
    uint8_t open;
    uint8_t opensDown;
    int32_t hoveredItem;
    int32_t selected;
    int32_t closedX;
    int32_t closedY;
    int32_t closedW;
    int32_t closedH;
    int32_t font;

private:
    // Keeps the selection on an item: beyond the last it becomes the last
    // (reported), below 0 none.
    void CheckSelection();
    void Close();
    // The item shown in a row of the open list, NoItem for the combo's own.
    int32_t ItemInRow(int32_t row) const;
    int32_t ComboRow() const;
    void RenderClosed();
    void RenderOpen();
};
