// The widgets' own rules, case by case, on the real device with the small
// generated font (10 pixels a character in font 0, 8 in font 1, lines 12
// high) and the plain interface pictures of GUIDevice.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/C_Ctrl.h"
#include "media/C_GUICheckBox.h"
#include "media/C_GUIComboBox.h"
#include "media/C_GUIInterface.h"
#include "media/C_GUIListBox.h"
#include "media/C_GUIMenuEdit.h"
#include "media/C_GUIProgressBar.h"
#include "media/C_GUISlider.h"
#include "media/C_GUIText.h"
#include "platform/SysClock.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/TestLog.h"

using namespace gui_test;

namespace
{
std::vector<std::string> Texts(const CStringArray& array)
{
    std::vector<std::string> out;
    for (int i = 0; i < array.GetCount(); ++i)
        out.emplace_back(array[i].GetBuffer());
    return out;
}

// Counts the control events the widgets raise.
class CountingForm : public CGUIInterface
{
public:
    int32_t OnControlEvent(int32_t index) override
    {
        ++events;
        return CGUIInterface::OnControlEvent(index);
    }
    int events = 0;
};

class GUIWidgets : public GUIDevice
{
protected:
    void SetUp() override
    {
        SysClock::UseTestClock(1000000);  // the caret shows at this time
        Open(1024, 768);
        form.Init(8);
        form.SetRect(0, 0, -1, -1);
    }
    void TearDown() override
    {
        form.DeleteAll();
        GUIDevice::TearDown();
        SysClock::UseSystemClock();
    }

    template <typename Widget>
    Widget& Add(Widget* widget)
    {
        const int index = form.AddControl(widget);
        EXPECT_GE(index, 0);
        return *widget;
    }

    CountingForm form;
};
}  // namespace

TEST_F(GUIWidgets, ItemTextsSplitAtSemicolons)
{
    const struct
    {
        const char* text;
        std::vector<std::string> items;
    } cases[] = {
        {"two;words", {"two", "words"}}, {"", {}},          {nullptr, {}},
        {"one;", {"one"}},               {";a", {"", "a"}}, {"a;;b", {"a", "", "b"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        CGUIListBox list(&form, 0, 0, 100, 100, 0, c.text, 0);
        EXPECT_EQ(c.items, Texts(list.items));
        EXPECT_EQ(int(c.items.size()), list.itemCount);
    }
}

TEST_F(GUIWidgets, ComboOpensDownOrUpAndPicksTheItemUnderTheRelease)
{
    struct Case
    {
        int y;
        int dragToY;  // -1: released where pressed
        int expectedTop, expectedSelection;
    } const cases[] = {
        {100, 100 + 3 * 16 + 4, 100, 2},  // downwards: row 3 holds item 2
        {100, 100 + 4, 100, 0},           // the combo's own row chooses nothing
        {100, -1, 100, 0},                // press and release: opened and closed again
        {710, 662 + 16 + 4, 662, 1},      // upwards near the bottom: row 1 holds item 1
        {710, 710 + 4, 662, 0},           // the combo's own row is the last
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.dragToY);
        form.DeleteAll();
        const int index = form.AddControl(new CGUIComboBox(&form, 32, c.y, 160, 16, 0, "red;green;blue", 0));
        auto& combo = static_cast<CGUIComboBox&>(*form.controls[index]);
        form.OnMouseMove(40, c.y + 4);
        form.OnMouseDown(40, c.y + 4);
        EXPECT_EQ(c.expectedTop, combo.y);
        EXPECT_EQ(64, combo.h);
        combo.Render();
        const int releaseY = c.dragToY < 0 ? c.y + 4 : c.dragToY;
        form.OnMouseMove(40, releaseY);
        form.OnMouseUp(40, releaseY);
        EXPECT_EQ(c.expectedSelection, combo.GetInt());
        EXPECT_EQ(c.y, combo.y);
        EXPECT_EQ(16, combo.h);
        EXPECT_EQ(0, combo.open);
    }
}

TEST_F(GUIWidgets, ComboSelectionStaysOnAnItem)
{
    CTestLog log;
    CGUIComboBox empty(&form, 0, 0, 100, 16, 0, "", 0);
    EXPECT_EQ(-1, empty.GetInt());
    CGUIComboBox combo(&form, 0, 0, 100, 16, 0, "a;b;c", 7);
    EXPECT_EQ(2, combo.GetInt());
    EXPECT_EQ(2, log.Count("#DEBUG: Combo index out of range"));
    combo.SetValue(-5);
    EXPECT_EQ(-1, combo.GetInt());
    combo.SetValue(1);
    EXPECT_EQ(1, combo.GetInt());
    // Drawing with nothing selected, and opening an empty list, read no item.
    combo.SetValue(-1);
    combo.Render();
    empty.OnMouseDown(5, 5);
    empty.OnMouseMove(5, 20);
    empty.Render();
    empty.OnClick();
    EXPECT_EQ(-1, empty.GetInt());
}

TEST_F(GUIWidgets, ListScrollsByWheelAndThumbWithinItsItems)
{
    // 72 high: (72 - 4) / 14 = 4 rows; the thumb is 11 x 23 and the track
    // 72 - 23 - 4 = 45 pixels.
    auto& list = Add(new CGUIListBox(&form, 100, 100, 200, 72, 0, "0;1;2;3;4;5;6;7;8;9", -1));
    EXPECT_EQ(4, list.visibleRows);
    EXPECT_EQ(11, list.thumbWidth);
    EXPECT_EQ(23, list.thumbHeight);
    for (int i = 0; i < 8; ++i)
        list.OnWheelDown();
    EXPECT_EQ(6, list.firstRow);
    EXPECT_EQ(45, list.thumbPosition);
    list.OnWheelUp();
    EXPECT_EQ(5, list.firstRow);
    EXPECT_EQ(37, list.thumbPosition);  // 45 / 6 x 5

    // Dragging the thumb to either end of the bar.  The first move onto a
    // control only enters it.
    form.OnMouseMove(295, 150);
    form.OnMouseMove(295, 150);
    EXPECT_EQ(1, list.overScrollBar);
    form.OnMouseDown(295, 150);
    form.OnMouseMove(295, 101);
    EXPECT_EQ(0, list.firstRow);
    EXPECT_EQ(0, list.thumbPosition);
    form.OnMouseMove(295, 171);
    EXPECT_EQ(6, list.firstRow);
    EXPECT_EQ(45, list.thumbPosition);
    form.OnMouseUp(295, 171);

    // A press on a row selects its item.
    form.OnMouseMove(150, 100 + 2 + 14 + 5);
    form.OnMouseDown(150, 100 + 2 + 14 + 5);
    EXPECT_EQ(7, list.GetInt());
    EXPECT_STREQ("7", list.GetString());
}

TEST_F(GUIWidgets, ListWithoutRoomToScrollOrSelectionIsSafe)
{
    const struct
    {
        const char* items;
        int h, selected;
        int expectedSelection, expectedFirst;
    } cases[] = {
        {"a;b", 72, 5, -1, 0},    // selection beyond the items: none
        {"a;b", 72, 1, 1, 0},     // every item fits: no scroll bar, the wheel does nothing
        {"0;1;2;3;4;5;6;7;8;9", 30, 8, 8, 8},  // 1 row, selection scrolled into view
        {"0;1;2;3;4;5;6;7;8;9", 3, 4, 4, 5},  // no row at all and a negative track
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.h);
        CGUIListBox list(&form, 0, 0, 200, c.h, 0, c.items, c.selected);
        EXPECT_EQ(c.expectedSelection, list.GetInt());
        EXPECT_EQ(c.expectedFirst, list.firstRow);
        list.OnWheelDown();
        list.OnWheelUp();
        list.OnMouseMove(195, c.h / 2);
        list.OnMouseDown(195, c.h / 2);
        list.OnMouseMove(195, c.h + 50);
        list.Render();
        if (c.expectedSelection < 0)
        {
            EXPECT_EQ(nullptr, list.GetString());
        }
    }
    // Many items on a short track: fewer pixels than rows to scroll.
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += std::to_string(i) + ";";
    CGUIListBox tall(&form, 0, 0, 200, 40, 0, many.c_str(), -1);
    tall.OnMouseMove(195, 20);
    tall.OnMouseDown(195, 20);
    tall.OnMouseMove(195, 39);
    EXPECT_GT(tall.firstRow, 0);
    EXPECT_LE(tall.firstRow, 200 - tall.visibleRows);
}

TEST_F(GUIWidgets, EntryEditsWithinItsLimits)
{
    constexpr int kHome = 1024 + 36, kEnd = 1024 + 35, kLeft = 1024 + 37, kRight = 1024 + 39;
    const struct
    {
        const char* name;
        const char* start;
        int w, measuringFont, limit;
        std::vector<int> keys;
        const char* expected;
        int expectedCursor;
    } cases[] = {
        {"five characters", "", 400, -1, 5, {'a', 'b', 'c', 'd', 'e', 'f'}, "abcde", 4},
        {"entry width less 10", "", 70, -1, 99, {'a', 'b', 'c', 'd', 'e', 'f', 'g'}, "abcdef", 5},
        {"measuring font pixels", "", 400, 1, 24, {'a', 'b', 'c', 'd'}, "abc", 2},
        {"insert at home", "bc", 400, -1, 9, {kHome, 'a'}, "abc", 0},
        {"insert in the middle", "ac", 400, -1, 9, {kLeft, 'b', kEnd, 'd'}, "abcd", 3},
        {"right stops at the end", "ab", 400, -1, 9, {kHome, kRight, kRight, kRight, 'c'}, "abc", 2},
        {"left stops before the first", "ab", 400, -1, 9, {kLeft, kLeft, kLeft, kLeft, 'x'}, "xab", 0},
        {"backspace before the first", "ab", 400, -1, 9, {kHome, 8, 8}, "ab", -1},
        {"backspace", "abc", 400, -1, 9, {8, kLeft, 8}, "b", -1},
        {"control characters and other keys", "", 400, -1, 9, {1, 10, 26, 127, 13, 27, 1024 + 65, 1024 + 38}, "", -1},
        {"code page characters", "", 400, -1, 9, {0xE4, ' ', '~'}, "\xE4 ~", 2},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CGUIMenuEdit entry(&form, 0, 0, c.w, 20, c.start, 0, c.measuringFont, c.limit);
        for (int key : c.keys)
            entry.OnKey(key);
        EXPECT_STREQ(c.expected, entry.GetString());
        EXPECT_EQ(c.expectedCursor, entry.cursor);
        entry.OnFocus();
        entry.Render();  // with the caret after the cursor character
    }
    CGUIMenuEdit number(&form, 0, 0, 100, 20, "", 0, -1, 9);
    number.SetText("1234");
    EXPECT_EQ(3, number.cursor);
    EXPECT_EQ(1234, number.GetInt());
}

TEST_F(GUIWidgets, TextWrapsAfterBreakCharactersOrInsideLongWords)
{
    const struct
    {
        const char* text;
        int w;
        std::vector<std::string> lines;
    } cases[] = {
        {"abc def", 69, {"abc ", "def"}},  // 70 wide: only the last character overflows
        {"abc def", 70, {"abc def"}},
        {"abcdefgh", 35, {"abc", "def", "gh"}},
        {"ab-cd/ef", 45, {"ab-", "cd/", "ef"}},
        {"ab", 5, {"a", "b"}},  // a character wider than the text keeps its own line
        {"", 50, {""}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        CGUIText text(&form, 0, 0, c.w, c.text, 0, 0xFFFFFF, 0);
        EXPECT_EQ(c.lines, Texts(text.lines));
    }
}

TEST_F(GUIWidgets, SliderAndProgressBarSurviveAnEmptySpanAndMissingThumb)
{
    SetGUIPicture(EGUIPicture::SliderThumb, nullptr);
    const int index = form.AddSlider(100, 100, 200, 26, 5, 5, 5);
    auto& flat = static_cast<CGUISlider&>(*form.controls[index]);
    EXPECT_EQ(0, flat.thumbWidth);
    form.OnMouseMove(250, 110);
    form.OnMouseDown(250, 110);
    EXPECT_EQ(5, flat.GetInt());
    flat.Render();
    CGUIProgressBar bar(&form, 0, 0, 100, 20, 0, 7, 7, 9);
    EXPECT_EQ(0.0, bar.Fraction());
    bar.Render();
    EXPECT_EQ(0.25, CGUIProgressBar(&form, 0, 0, 100, 20, 0, 0, 200, 50).Fraction());  // "25 %"
}

TEST_F(GUIWidgets, SliderReportsEveryDragStepAndHoldsItsEnds)
{
    // Thumb 12 x 24 on a 200-pixel slider from 0 to 10: 18.8 pixels a step.
    const int index = form.AddSlider(100, 100, 200, 26, 0, 10, 3);
    auto& slider = static_cast<CGUISlider&>(*form.controls[index]);
    EXPECT_EQ(12, slider.thumbWidth);
    form.OnMouseMove(144, 110);
    form.OnMouseDown(144, 110);  // (44 - 6 + 9.4) / 18.8 = 2.5
    EXPECT_EQ(2, slider.GetInt());
    form.OnMouseMove(100, 110);
    EXPECT_EQ(0, slider.GetInt());
    form.OnMouseMove(900, 110);  // out past the right end in one move
    EXPECT_EQ(10, slider.GetInt());
    EXPECT_EQ(0, slider.dragging);
    EXPECT_EQ(3, form.events);
    EXPECT_EQ(index, form.result);
}

TEST_F(GUIWidgets, CheckBoxKeepsItsOwnCopyOfTheText)
{
    auto text = std::make_unique<std::string>("four");
    CGUICheckBox box(&form, 0, 0, 0, text->c_str(), false);
    text.reset();
    EXPECT_STREQ("four", box.text);
    EXPECT_EQ(12, box.h);
    EXPECT_EQ(40 + 12, box.w);
    CGUICheckBox untitled(&form, 0, 0, 0, nullptr, true);
    EXPECT_EQ(12, untitled.w);
    EXPECT_TRUE(untitled.GetBool());
}
