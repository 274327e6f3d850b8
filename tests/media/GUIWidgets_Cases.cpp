#include <algorithm>
#include <tuple>

#include "core/C_Ctrl.h"
#include "core/C_D3D8Game.h"
#include "core/C_File.h"
#include "core/C_Localizer.h"
#include "media/C_Cursors.h"
#include "media/C_GUIButton.h"
#include "media/C_GUICheckBox.h"
#include "media/C_GUIComboBox.h"
#include "media/C_GUIGroupFrame.h"
#include "media/C_GUIImage.h"
#include "media/C_GUIInterface.h"
#include "media/C_GUIListBox.h"
#include "media/C_GUIMenuEdit.h"
#include "media/C_GUIProgressBar.h"
#include "media/C_GUIText.h"
#include "media/C_LoadingScreen.h"
#include "media/C_Texture.h"
#include "media/C_VoiceBank.h"
#include "net/C_Multiplayer.h"
#include "platform/SysClock.h"
#include "platform/SysMessage.h"
#include "platform/SysWindow.h"
#include "tests/media/GUIDevice.h"
#include "tests/support/StringTexts.h"
#include "tests/support/TestLog.h"

namespace
{
using namespace gui_test;
using Strings = std::vector<std::string>;
constexpr uint32_t kYellow = 0xFFFF00, kImageFrame = 0xFF00FF, kGroupColour = 0x00FFFF, kPictureColour = 0x00C000;

class GUIWidgets : public GUIDevice
{
protected:
    void SetUp() override { OpenForm(1024, 768, 8); }
    void OpenForm(int width, int height, int capacity)
    {
        SysClock::UseTestClock(1000000);  // the caret shows at this time
        Open(width, height);
        form.Init(capacity), form.SetRect(0, 0, -1, -1);
    }
    void TearDown() override { form.DeleteAll(), picture.Release(), GUIDevice::TearDown(), SysClock::UseSystemClock(); }
    // A 16 x 16 picture in kPictureColour.
    void MakePicture()
    {
        picture.singleLevel = 1, picture.format = CTexture::FormatX8R8G8B8;
        ASSERT_TRUE(picture.LoadFromMem(16, 16, std::vector<uint32_t>(16 * 16, 0xFF000000u | kPictureColour).data()));
    }

    template <typename Widget>
    Widget& Add(Widget* widget) { EXPECT_GE(form.AddControl(widget), 0); return *widget; }
    void Press(int x, int y) { form.OnMouseMove(x, y), form.OnMouseDown(x, y); }

    CGUIInterface form;
    CTexture picture;
};

// The gallery: a form on a 640 x 480 screen driven through the application object's window messages and the screen
// controller, then drawn and read back.  The script's points are on the virtual screen and sent as window pixels.

class GalleryCtrl : public CCtrl
{
public:
    CCtrl* Run1Frame() override { RenderForms(); return this; }
};

class GUIGallery : public GUIWidgets
{
protected:
    void SetUp() override
    {
        OpenForm(640, 480, 16);
        ok = form.AddButton(800, 704, 160, 32, "OK", nullptr), form.SetDefaultControl(ok);
        form.AddLabel(32, 16, "GALLERY", 0, kYellow, 0), form.AddCheckBox(32, 64, 0, "box", false);
        form.AddControl(new CGUIComboBox(&form, 32, 128, 160, 16, 0, "red;green;blue", 0));
        list = form.AddControl(new CGUIListBox(&form, 256, 64, 200, 72, 0, "i0;i1;i2;i3;i4;i5;i6;i7;i8;i9", -1));
        entry = form.AddControl(new CGUIMenuEdit(&form, 256, 192, 200, 24, "", 0, CGUIMenuEdit::NoFont, 20));
        form.AddControl(new CGUIText(&form, 512, 64, 200, "wrapped words here", 0, 0xFFFFFF, 0));
        form.AddControl(new CGUIProgressBar(&form, 512, 192, 200, 24, 0, 0, 200, 50));
        ASSERT_NO_FATAL_FAILURE(MakePicture());
        form.AddControl(new CGUIImage(&form, 32, 256, 64, 64, &picture, kImageFrame));
        slider = form.AddSlider(256, 320, 200, 26, 0, 10, 3);
        form.AddControl(new CGUIGroupFrame(&form, 512, 320, 200, 96, "grp", kGroupColour, 0)), ctrl.OpenForm(&form);
    }

    void TearDown() override { game.StopTimer(), GUIWidgets::TearDown(); }

    static int ScreenX(int vx) { return vx * 640 / 1024; }
    static int ScreenY(int vy) { return vy * 480 / 768; }

    void Send(uint32_t code, uint32_t wParam = 0, int32_t lParam = 0) { game.WndProc({code, wParam, lParam}); }
    void Move(int vx, int vy, uint32_t buttons = 0)
    {
        Send(WM_MOUSEMOVE, buttons, MakeMessagePoint(ScreenX(vx), ScreenY(vy)));
    }
    void Press() { Send(WM_LBUTTONDOWN, MOUSE_BIT_LEFT); }
    // No double clicks in this script.
    void Release() { SysClock::AdvanceTestClock(1000), Send(WM_LBUTTONUP); }
    void Type(const std::string& text)
    {
        for (char c : text) Send(WM_CHAR, static_cast<uint8_t>(c));
    }

    CGUIControl& Control(int index) { return *form.controls[index]; }

    GalleryCtrl ctrl;
    CD3D8Game game{&ctrl};
    int ok = -1, list = -1, entry = -1, slider = -1;
};

constexpr uint32_t kBlue = 0x0000FF;

class CursorFrame : public MediaDevice
{
protected:
    void SetUp() override
    {
        g_Config.windowed = 1, g_Config.mouseCursorMode = CCursors::ModeDrawn;
        ASSERT_TRUE(window.Create("cursor test", 0, 0, Side, Side, false)) << SysWindow::LastError();
        ASSERT_NO_FATAL_FAILURE(
            OpenDevice(Side, Side, g_Config.screenWidth, g_Config.screenHeight, window.NativeHandle()));
    }

    void TearDown() override { cursors.Free(), Close(), window.Destroy(), g_Config = saved; }

    void DrawFrame()
    {
        Clear(Background);
        Device().BeginScene();
        cursors.Render();
        Device().EndScene();
        ReadBack();
    }

    CConfig saved = g_Config;
    CScratchFolder folder;
    CTestLog log;
    SysWindow window;
    CCursors cursors;
};
}  // namespace

TEST_F(GUIWidgets, ItemsSplitAtSemicolonsAndTextWrapsAfterBreakCharactersOrInsideLongWords)
{
    const struct { const char* text; Strings items; } lists[] = {
        {"two;words", {"two", "words"}}, {"", {}}, {nullptr, {}}, {"one;", {"one"}}, {";a", {"", "a"}},
        {"a;;b", {"a", "", "b"}}};
    for (const auto& c : lists)
    {
        CGUIListBox list(&form, 0, 0, 100, 100, 0, c.text, 0);
        EXPECT_EQ(std::pair(c.items, int(c.items.size())), std::pair(Texts(list.items), list.itemCount))
            << (c.text ? c.text : "(null)");
    }
    // "abc def" is 70 wide: at 69 only its last character overflows.  A character wider than the text stands alone.
    const struct { const char* text; int w; Strings lines; } texts[] = {
        {"abc def", 69, {"abc ", "def"}}, {"abc def", 70, {"abc def"}}, {"abcdefgh", 35, {"abc", "def", "gh"}},
        {"ab-cd/ef", 45, {"ab-", "cd/", "ef"}}, {"ab", 5, {"a", "b"}}, {"", 50, {""}}};
    for (const auto& c : texts)
        EXPECT_EQ(c.lines, Texts(CGUIText(&form, 0, 0, c.w, c.text, 0, 0xFFFFFF, 0).lines)) << c.text << c.w;
    // Each break character ends the line after it; any other character breaks only where the width runs out.
    const std::string breaks = " \\/-;:=?!$*";
    for (const char c : breaks + ".,_x#\t")
    {
        const std::string text = std::string("ab") + c + "cd";
        const size_t cut = breaks.find(c) != std::string::npos ? 3 : 4;
        EXPECT_EQ((Strings{text.substr(0, cut), text.substr(cut)}),
                  Texts(CGUIText(&form, 0, 0, 45, text.c_str(), 0, 0xFFFFFF, 0).lines)) << text;
    }
}

TEST_F(GUIWidgets, ComboOpensDownOrUpPicksTheItemUnderTheReleaseAndStaysOnAnItem)
{
    const struct { int y, releaseY, openTop, selection; } cases[] = {
        {100, 100 + 2 * 16 + 4, 100, 1},  // downwards: row 2 holds item 1
        {710, 662 + 16 + 4, 662, 1},      // upwards near the bottom: row 1 holds item 1
        {710, 710 + 4, 662, 0}};          // the combo's own row is the last
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.releaseY);
        form.DeleteAll();
        auto& combo = Add(new CGUIComboBox(&form, 32, c.y, 160, 16, 0, "red;green;blue", 0));
        Press(40, c.y + 4);
        EXPECT_EQ((std::vector<int>{c.openTop, 64}), (std::vector<int>{combo.y, combo.h}));
        // Opening downwards, a white line with its black shadow under the top row; the row under the mouse is lit.
        form.OnMouseMove(40, c.releaseY), Clear(), combo.Render(), ReadBack(), form.OnMouseUp(40, c.releaseY);
        EXPECT_EQ((std::vector<uint32_t>{Pixel(100, 116), Pixel(190, 116), Pixel(100, 117)}),
                  (c.y == 100 ? std::vector<uint32_t>{0xFFFFFF, 0xFFFFFF, 0} : std::vector<uint32_t>(3, Background)));
        EXPECT_TRUE(c.selection == 0 || Pixel(182, c.releaseY) != Pixel(182, c.releaseY + 16));
        EXPECT_EQ((std::vector<int>{c.selection, c.y, 16, 0}),
                  (std::vector<int>{combo.GetInt(), combo.y, combo.h, combo.open}));
    }
    CTestLog log;
    CGUIComboBox empty(&form, 0, 0, 100, 16, 0, "", 0);
    CGUIComboBox combo(&form, 0, 0, 100, 16, 0, "a;b;c", 3);   // one past the last item
    EXPECT_TRUE(-1 == empty.GetInt() && 2 == combo.GetInt() && 2 == log.Count("#DEBUG: Combo index out of range"));
    combo.SetValue(-5), combo.Render();  // nothing selected: no item read
    empty.OnMouseDown(5, 5), empty.OnMouseMove(5, 20), empty.Render(), empty.OnClick();
    EXPECT_TRUE(-1 == combo.GetInt() && -1 == empty.GetInt());
}

TEST_F(GUIWidgets, ListScrollsByWheelAndThumbWithinItsItems)
{
    // 72 high: (72 - 4) / 14 = 4 rows; the thumb is 11 x 23 and the track 72 - 23 - 4 = 45 pixels.
    auto& list = Add(new CGUIListBox(&form, 100, 100, 200, 72, 0, "0;1;2;3;4;5;6;7;8;9", -1));
    EXPECT_EQ((std::vector<int>{4, 11, 23}), (std::vector<int>{list.visibleRows, list.thumbWidth, list.thumbHeight}));
    VirtualMouseX = 150, VirtualMouseY = 107;   // over the first row: the item under it follows the wheel
    for (int i = 0; i < 8; ++i) list.OnWheelDown();
    EXPECT_EQ(std::tuple(6, 45, 6), std::tuple(list.firstRow, list.thumbPosition, list.hoveredItem));
    list.OnWheelUp(), VirtualMouseX = VirtualMouseY = 0;
    EXPECT_EQ(std::tuple(5, 37, 5), std::tuple(list.firstRow, list.thumbPosition, list.hoveredItem));  // 45 / 6 x 5
    // The thumb dragged to either end of the bar; the first move onto a control only enters it.
    form.OnMouseMove(295, 150), Press(295, 150);
    EXPECT_EQ(1, list.overScrollBar);
    EXPECT_EQ(0, (form.OnMouseMove(295, 101), list.firstRow + list.thumbPosition));
    EXPECT_EQ(std::pair(6, 45), (form.OnMouseMove(295, 171), std::pair(list.firstRow, list.thumbPosition)));
    form.OnMouseUp(295, 171), Press(150, 100 + 2 + 2 * 14);  // a press on a row's first line selects its item
    EXPECT_STREQ("8", list.GetString());
    list.SetItems("a;b", -1), Press(295, 100 + 2 + 14);   // the scroll bar gone, a row reaches the right edge
    EXPECT_STREQ("b", list.GetString());

    const struct { const char* items; int h, selected, expectedSelection, expectedFirst; } cases[] = {
        {"a;b", 72, 2, -1, 0},                 // selection past the last item: none
        {"a;b", 72, 1, 1, 0},                  // every item fits: no scroll bar
        {"0;1;2;3;4;5;6;7;8;9", 30, 8, 8, 8},  // 1 row, selection scrolled into view
        {"0;1;2;3;4;5;6;7;8;9", 3, 4, 4, 5}};  // no row at all and a negative track
    for (const auto& c : cases)
    {
        CGUIListBox small(&form, 0, 0, 200, c.h, 0, c.items, c.selected);
        EXPECT_TRUE(c.expectedSelection == small.GetInt() && c.expectedFirst == small.firstRow) << c.h;
        small.OnWheelDown(), small.OnWheelUp(), small.OnMouseMove(195, c.h / 2), small.OnMouseDown(195, c.h / 2);
        small.OnMouseMove(195, c.h + 50), small.Render();
    }
    // Many items on a short track: fewer pixels than rows to scroll.
    std::string many;
    for (int i = 0; i < 200; ++i) many += std::to_string(i) + ";";
    CGUIListBox tall(&form, 0, 0, 200, 40, 0, many.c_str(), -1);
    tall.OnMouseMove(195, 20), tall.OnMouseDown(195, 20), tall.OnMouseMove(195, 39);
    EXPECT_TRUE(tall.firstRow > 0 && tall.firstRow <= 200 - tall.visibleRows) << tall.firstRow;
}

TEST_F(GUIWidgets, EntryEditsWithinItsLimits)
{
    constexpr int kHome = 1024 + 36, kEnd = 1024 + 35, kLeft = 1024 + 37, kRight = 1024 + 39;
    const struct { const char* start; int w, measuringFont, limit; std::vector<int> keys; const char* expected;
                   int expectedCursor; } cases[] = {
        {"", 400, -1, 5, {'a', 'b', 'c', 'd', 'e', 'f'}, "abcde", 4},       // five characters
        {"", 70, -1, 99, {'a', 'b', 'c', 'd', 'e', 'f', 'g'}, "abcdef", 5},  // the entry's width less 10
        {"", 400, 1, 24, {'a', 'b', 'c', 'd'}, "abc", 2},                    // pixels of the measuring font
        {"bc", 400, -1, 9, {kHome, 'a'}, "abc", 0}, {"ac", 400, -1, 9, {kLeft, 'b', kEnd, 'd'}, "abcd", 3},
        {"ab", 400, -1, 9, {kHome, kRight, kRight, kRight, 'c'}, "abc", 2},
        {"ab", 400, -1, 9, {kLeft, kLeft, kLeft, kLeft, 'x'}, "xab", 0},
        {"ab", 400, -1, 9, {kHome, 8, 8}, "ab", -1},  // backspace before the first
        {"abc", 400, -1, 9, {8, kLeft, 8}, "b", -1},
        {"", 400, -1, 9, {1, 10, 26, 127, 13, 27, 1024 + 65, 1024 + 38}, "", -1},  // control characters
        {"", 400, -1, 9, {0xE4, ' ', '~'}, "\xE4 ~", 2}};                        // code page characters
    for (const auto& c : cases)
    {
        CGUIMenuEdit entry(&form, 0, 0, c.w, 20, c.start, 0, c.measuringFont, c.limit);
        for (int key : c.keys) entry.OnKey(key);
        EXPECT_EQ(std::pair(std::string(c.expected), c.expectedCursor),
                  std::pair(std::string(entry.GetString()), entry.cursor)) << c.start;
        entry.OnFocus();
        entry.Render();  // with the caret after the cursor character
    }
    CGUIMenuEdit number(&form, 0, 0, 100, 20, "", 0, -1, 9);
    number.SetText("1234"), number.OnFocus(), Clear(), number.Render(), ReadBack();  // the caret after "4" on 42-47
    EXPECT_TRUE(3 == number.cursor && 1234 == number.GetInt() && Pixel(44, 8) == 0xFFFFFFu);
}

TEST_F(GUIWidgets, ImageDrawsItsFrameWithTheTextureTwoPixelsInsideOrTheTextureAlone)
{
    // 16 x 12 images at y 100: framed in magenta at x 100, framed without a texture at 200, unframed at 300.  A
    // texture drawn w wide has its last corner at x + w - 1, a pixel centre: it covers w - 1 pixels.
    ASSERT_NO_FATAL_FAILURE(MakePicture());
    for (const auto& [x, image, frame] : {std::tuple{100, &picture, kImageFrame}, {200, nullptr, kImageFrame},
                                          {300, &picture, CGUIImage::NoFrame}})
        Add(new CGUIImage(&form, x, 100, 16, 12, image, frame));
    Clear(), form.Render(), ReadBack();
    const std::map<uint32_t, char> key = {{Background, '.'}, {kImageFrame, 'F'}, {kPictureColour, 'P'}};
    EXPECT_EQ((Strings{"..F.PPPPPPPPPPP..F..", "..F.PPPPPPP..F..", "..F..............F..", "..PPPPPPPPPPPPPPP...",
                       "..PPPPPPPPPPP..."}),
              (Strings{Strip(98, 106, 1, 0, 20, key), Strip(108, 98, 0, 1, 16, key), Strip(198, 106, 1, 0, 20, key),
                       Strip(298, 106, 1, 0, 20, key), Strip(308, 98, 0, 1, 16, key)}));
}

// A group frame's caption stands half a line (6) and 5 in from the corner; the top edge runs half a line down,
// broken from half a line in to the caption's end (30 wide) plus 10 and half a line: x 106 to 145.
TEST_F(GUIWidgets, AGroupFrameBreaksItsTopEdgeForItsCaption)
{
    Add(new CGUIGroupFrame(&form, 100, 100, 200, 60, "grp", kGroupColour, 0));
    Clear(), form.Render(), ReadBack();
    const std::map<uint32_t, char> key = {{Background, '.'}, {kGroupColour, 'G'}, {0, 'k'}};
    EXPECT_EQ(Strip(98, 106, 1, 0, 52, key), "..GGGGGG.......GGGGGGGGkkGGGGGGGGkkGGGGGGGGkk...GGGG");
}

// Over white, boxes are black at alpha 128 (combo, list: '1') or 64 (edit, bar, slider: '6') in yellow frames
// with black shadows.  Text starts 2 in (its glyphs 2 further); list rows lie 12 + 2 apart, the scroll bar's
// frame 23 from the right edge and its thumb 2 inside; the bar's fill starts 2 in and runs 49 of its 196;
// the slider's thumb stands at 3 of 10 on the track, 2 in from top and bottom.
TEST_F(GUIWidgets, EachWidgetsBoxTextAndPartsStandAtTheirInsets)
{
    Add(new CGUIComboBox(&form, 100, 100, 160, 16, 0, "red;green;blue", 0));
    Add(new CGUIListBox(&form, 300, 100, 200, 72, 0, "i0;i1;i2;i3;i4;i5;i6;i7;i8;i9", -1));
    Add(new CGUIMenuEdit(&form, 100, 200, 200, 24, "ab", 0, CGUIMenuEdit::NoFont, 20));
    Add(new CGUIProgressBar(&form, 100, 300, 200, 24, 0, 0, 200, 50));
    form.AddSlider(100, 400, 200, 26, 0, 10, 3);
    Clear(0xFFFFFF), form.Render(), ReadBack();
    const std::map<uint32_t, char> key = {{0xFFFFFF, 'w'}, {0x7F7F7F, '1'}, {0xBFBFBF, '6'}, {0, 'k'}, {kYellow, 'Y'}};
    EXPECT_EQ((Strings{Strip(100, 104, 1, 0, 10, key), Strip(300, 110, 1, 0, 10, key), Strip(470, 110, 1, 0, 22, key),
                       Strip(306, 112, 0, 1, 8, key), Strip(100, 212, 1, 0, 10, key), Strip(100, 302, 1, 0, 4, key),
                       Strip(149, 302, 1, 0, 4, key), Strip(155, 402, 1, 0, 15, key), Strip(160, 398, 0, 1, 30, key)}),
              (Strings{"Yk11YYYYYY", "Yk11YYYYYY", "11111Y1??????????11111", "YYYkkYYY", "Yk66YYYYYY", "Yk??", "??66",
                       "66???????????66", "wwYk???????????????????????Ykw"}));
}

TEST_F(GUIWidgets, ClickSoundsAndControlEventsFollowWhereThePressAndTheReleaseHappen)
{
    // Each widget at (100, 100) with two points inside it, P and Q; (600, 600) lies outside.  The mouse
    // comes with two moves, as the first move onto a control only enters it.  A release outside with no
    // move before it finds the button and the check box still hovered, so they click; the combo box
    // stays open.  Leaving the combo box closes it without a choice; the list picks on the press.
    enum Gesture { Full, MovedWithin, ReleasedOutside, DraggedOut, NotHovered, Disabled, GestureCount };
    const struct { int px, py, qx, qy; } places[] = {
        {110, 105, 170, 115}, {110, 105, 140, 110}, {110, 105, 110, 150}, {110, 105, 110, 135}};
    // Per gesture: press click, release click, control event, then the button's pressed flag, the check
    // box's checked flag, the combo's or the list's selection (item 2 on the combo's fourth row).
    const int expected[4][GestureCount][4] = {
        {{1, 1, 0, 0}, {1, 1, 0, 0}, {1, 1, -1, 0}, {1, 0, -1, 0}, {1, 0, 0, 0}, {0, 0, -1, 0}},
        {{1, 1, 0, 1}, {1, 1, 0, 1}, {1, 1, -1, 1}, {1, 0, -1, 1}, {1, 0, 0, 1}, {0, 0, -1, 0}},
        {{1, 1, 0, 0}, {1, 1, 0, 2}, {1, 0, -1, 0}, {1, 0, -1, 0}, {1, 1, 0, 0}, {0, 0, -1, 0}},
        {{1, 0, 0, 0}, {1, 0, 0, 0}, {1, 0, -1, 0}, {1, 0, -1, 0}, {0, 0, 0, -1}, {0, 0, -1, -1}}};
    const CConfig saved = g_Config;
    g_Config.audioEnabled = 1;
    constexpr int kClick = 255;
    // Whether the click was asked for since the last look; the bank is emptied.
    auto clicked = [] {
        const bool asked = g_VoiceBank.GetSlot(kClick)->request != CVoiceBank::RequestNone;
        g_VoiceBank.Init(kClick + 1, nullptr);
        return int(asked);
    };
    g_VoiceBank.Init(kClick + 1, nullptr);
    for (int widget = 0; widget < 4; ++widget)
        for (int gesture = 0; gesture < GestureCount; ++gesture)
        {
            SCOPED_TRACE(testing::Message() << "widget " << widget << ", gesture " << gesture);
            form.DeleteAll();
            auto* button = widget == 0 ? new CGUIButton(&form, 100, 100, 80, 20, "OK", nullptr) : nullptr;
            auto* box = widget == 1 ? new CGUICheckBox(&form, 100, 100, 0, "abc", false) : nullptr;
            auto* combo = widget == 2 ? new CGUIComboBox(&form, 100, 100, 80, 16, 0, "r;g;b", 0) : nullptr;
            auto* list = widget == 3 ? new CGUIListBox(&form, 100, 100, 200, 72, 0, "0;1;2;3", -1) : nullptr;
            CGUIControl* control = button ? button : box ? box : combo ? combo : static_cast<CGUIControl*>(list);
            Add(control).enabled = gesture != Disabled;
            const auto& at = places[widget];
            const bool within = gesture == MovedWithin;
            const bool outside = gesture == ReleasedOutside || gesture == DraggedOut;
            const int releaseX = within ? at.qx : outside ? 600 : at.px;
            const int releaseY = within ? at.qy : outside ? 600 : at.py;
            for (int move = 0; move < 2 && gesture != NotHovered; ++move) form.OnMouseMove(at.px, at.py);
            form.OnMouseDown(at.px, at.py);
            const int pressClick = clicked();
            EXPECT_TRUE(!button || (button->OnMouseDown(at.px, at.py), clicked() == 0));   // held: no second click
            if (within || gesture == DraggedOut) form.OnMouseMove(releaseX, releaseY);
            form.OnMouseUp(releaseX, releaseY);
            const int state = button ? button->pressed : box ? box->checked : control->GetInt();
            EXPECT_EQ((std::vector<int>(expected[widget][gesture], expected[widget][gesture] + 4)),
                      (std::vector<int>{pressClick, clicked(), form.result, state}));
            EXPECT_EQ(combo && gesture == ReleasedOutside, combo && combo->open);
        }
    g_VoiceBank.Free(), g_Config = saved;
}


TEST_F(GUIGallery, RecordedScriptOperatesEveryWidgetAndTheFormShowsIt)
{
    Move(300, 200), Press(), Release();  // a click: the entry takes the focus
    Type("abc\b");
    Move(300, 90), Send(WM_MOUSEWHEEL, uint32_t(uint16_t(int16_t(-120 * 3))) << 16);  // three notches down
    // The slider: pressed, dragged, and out past its end.
    Move(300, 330), Press(), Move(400, 330, MOUSE_BIT_LEFT), Move(700, 330, MOUSE_BIT_LEFT), Release();
    Type("\r");

    EXPECT_STREQ("ab", Control(entry).GetString());
    EXPECT_TRUE(3 == (static_cast<CGUIListBox&>(Control(list)).firstRow) && 10 == Control(slider).GetInt() &&
                ok == form.result);

    Clear(), ctrl.Run1Frame(), ReadBack();
    // Frames in their colours: list box and progress bar yellow (not hovered), the image's frame and the group frame
    // in their own.  The entry's text "ab" at (258, 194): glyph k spans x 260 + 10 k to 267 + 10 k and y 196 to 207;
    // the removed "c" left nothing.  The slider thumb stands at the right end of its track.  The list's first row
    // of text ("i3") is printed one above the row's top (66), so its glyphs start at y 67.
    const struct { int x, y; uint32_t colour; int tolerance; bool shown; const char* what; } marks[] = {
        {256, 100, kYellow, 0, true, "list box frame"}, {512, 204, kYellow, 0, true, "progress bar frame"},
        {32, 288, kImageFrame, 0, true, "image frame"}, {512, 376, kGroupColour, 0, true, "group frame"},
        {64, 288, kPictureColour, 0, true, "image texture"}, {264, 202, kYellow, 8, true, "glyph a"},
        {274, 202, kYellow, 8, true, "glyph b"}, {284, 202, kYellow, 64, false, "no glyph c"},
        {448, 334, kThumbColour, 8, true, "thumb at the end"}, {36, 70, kBoxColour, 8, true, "unchecked box"},
        {264, 334, kThumbColour, 64, false, "no thumb at the start"}, {264, 68, kYellow, 64, true, "list text's top"},
        {627, 204, kYellow, 8, true, "the bar's \"25 %\" centred: its % at 622"}};
    for (const auto& m : marks)
        EXPECT_EQ(m.shown, ColourNear(ScreenX(m.x), ScreenY(m.y), m.colour, m.tolerance)) << m.what;
}

TEST_F(CursorFrame, DrawnCursorStandsAtTheMouseMinusItsHotSpotWithItsShadowInEveryMode)
{
    // Slot 0: a blue 10 x 10 block in the top-left corner of a red (clear) picture, hot spot (3, 2).
    std::vector<uint32_t> picture(32 * 32, 0xFF0000);
    for (int y = 0; y < 10; ++y) std::fill_n(picture.begin() + y * 32, 10, kBlue);
    const std::string file = folder.Write("block.tga", Tga24(picture, 32, 32));
    SDL_Event event = {};
    event.motion = {SDL_MOUSEMOTION, 0, 0, 0, 0, 30, 20, 0, 0};  // the mouse at (30, 20)
    // The system modes fall back to the drawn cursor with one log line.
    for (const int32_t mode : {CCursors::ModeDrawn, CCursors::ModeMono, CCursors::ModeColour})
    {
        SCOPED_TRACE(mode);
        cursors.Init(2, &window), log.Clear();
        ASSERT_TRUE(cursors.LoadCursor(0, file.c_str(), file.c_str(), 3, 2));
        SDL_PushEvent(&event);
        for (SysMessage message; window.PeekMessage(message);) {}
        g_Config.mouseCursorMode = mode;
        for (const int slot : {0, 1, 0}) cursors.SetCursor(slot);
        EXPECT_EQ(mode == CCursors::ModeDrawn ? 0 : 1,
                  log.Count("The system mouse cursor is not available, the game draws the cursor"));
        EXPECT_TRUE(CCursors::ModeDrawn == cursors.EffectiveMode() && mode == g_Config.mouseCursorMode &&
                    SDL_DISABLE == SDL_ShowCursor(SDL_QUERY));
        DrawFrame();
        // The block covers (27, 18) to (36, 27).
        EXPECT_EQ((std::vector<uint32_t>{kBlue, kBlue, Background, Background}),
                  (std::vector<uint32_t>{Pixel(27, 18), Pixel(36, 27), Pixel(26, 18), Pixel(27, 17)}));
        // Shadow pixel (10, 5) at (27 + 4 + 10, 18 + 4 + 5): alpha 56, kept in four bits as 3 x 17 = 51,
        // darkens the grey 64 to 51; shadow pixel (13, 13) is out of reach of the block.
        EXPECT_NEAR(51, int(Pixel(41, 27) & 0xFF), 2);
        EXPECT_TRUE((Pixel(41, 27) & 0xFF) == (Pixel(41, 27) >> 16) && Background == Pixel(44, 35) &&
                    0u == RenderState(Sys3DRenderState::AlphaBlendEnable));
    }
    // The current slot is not set again, but Refresh applies it.
    window.ShowCursor(true), cursors.SetCursor(0);
    EXPECT_EQ(SDL_ENABLE, SDL_ShowCursor(SDL_QUERY));
    EXPECT_EQ(SDL_DISABLE, (cursors.Refresh(), SDL_ShowCursor(SDL_QUERY)));
    // A missing picture gives a clear slot; a slot past the set is refused.
    const std::string missing = folder / "missing.tga";
    ASSERT_TRUE(cursors.LoadCursor(0, missing.c_str(), missing.c_str(), 0, 0));
    EXPECT_EQ(2, log.Count("Mouse cursor picture \"" + missing +
                           "\" is missing or not 32 x 32, the cursor is transparent"));
    EXPECT_FALSE(cursors.LoadCursor(2, file.c_str(), file.c_str(), 0, 0));
    EXPECT_EQ(Background, (DrawFrame(), Pixel(30, 20)));
}

TEST_F(CursorFrame, LoadingBarGrowsByItsStepsToTheFullWidthAndStaysFullPastTheLast)
{
    // A 1024 x 768 screen: the bar, white at alpha 64 over black, lies from x 54 on at y 674 to 715,
    // 912 / 4 pixels longer each step; back-2.tga is blue down to y 639, the first screen's picture red (4 x 4).
    ASSERT_NO_FATAL_FAILURE(OpenDevice(1024, 768, 1024, 768));
    ASSERT_NO_FATAL_FAILURE(LoadFonts({5}));
    for (const auto& [name, colour, w, h] :
         {std::tuple{"back-2", kBlue, 1024, 640}, {"first", 0xFF0000u, 4, 4}, {"csik1", 0xFFFFFFu, 4, 4}})
        folder.Write("Loading/" + std::string(name) + ".tga", Tga24(std::vector<uint32_t>(w * h, colour), w, h));
    InitDataFile((folder.Path() + "/").c_str(), 0);
    const std::string texts = "LOADING,\"Loading\"\nFILE_LOADING_SCREEN,\"first.tga\"\n";
    g_Localizer.Clear();
    ASSERT_TRUE(g_Localizer.LoadLocaleText("loading", texts.c_str(), int(texts.size())));
    // Each frame on a black screen; the last lit column of the bar's middle row, -1 for none.
    CLoadingScreen screen;
    auto step = [&]() { Clear(0); screen.Step(); ReadBack(); };
    auto lit = [this](int x, int y) { return (Pixel(x, y) & 0xFF) > 0x30; };
    auto barEnd = [&]() {
        int end = -1;
        for (int x = 0; x < 1024; ++x) end = lit(x, 694) ? x : end;
        return end;
    };
    EXPECT_STREQ("Loading", (screen.Init(2, 4), screen.caption));
    screen.message = "ab";
    const int ends[] = {54 + 228 - 1, 54 + 456 - 1, 54 + 684 - 1, 54 + 912 - 1, 54 + 912 - 1};
    for (int steps = 1; steps <= 5; ++steps)
    {
        step();
        EXPECT_EQ((std::tuple{ends[steps - 1], kBlue, false, true, true, false, true, false}),
                  (std::tuple{barEnd(), Pixel(2, 2), lit(53, 694), lit(54, 694), lit(60, 674), lit(60, 673),
                              lit(60, 715), lit(60, 716)})) << steps;
    }
    // The bar is white at alpha 64, which the picture's four-bit alpha holds as 4 / 15: 0x44 over black.
    EXPECT_TRUE(1 == log.Count("#DEBUG: Progressbar overflow") && Close(Pixel(60, 694), 0x444444, 1));
    // Font 5, 8 x 12 glyphs two pixels right of and below the pen: the caption black at alpha 80 over the blue
    // (255 x 175 / 255) from (956 - 56, 610), the message white from (800 - 8, 300); then the font is opaque again.
    const std::map<uint32_t, char> key = {{kBlue, 'b'}, {0x0000AF, 's'}, {0xFFFFFF, 'w'}};
    EXPECT_EQ((Strings{"b" + std::string(56, 's') + "b", "b" + std::string(12, 's') + "b",
                       "b" + std::string(16, 'w') + "b", "b" + std::string(12, 'w') + "b"}),
              (Strings{Strip(901, 617, 1, 0, 58, key), Strip(930, 611, 0, 1, 14, key), Strip(793, 307, 1, 0, 18, key),
                       Strip(800, 301, 0, 1, 14, key)}));
    EXPECT_EQ(255, GetGlobalFont(5)->alpha);
    screen.Free();

    // The first screen: its own picture, no caption, no bar.
    EXPECT_STREQ("", (screen.Init(0, 0), screen.caption));
    // A networked load drains the packet cache at each step, and goes on once it is empty.
    g_Config.networkRole = CMultiplayer::RoleHost, step(), g_Config.networkRole = CMultiplayer::RoleSinglePlayer;
    EXPECT_TRUE(-1 == barEnd() && 0xFF0000u == Pixel(2, 2) && 0u == Pixel(800, 307));  // Init dropped the message
    screen.Free();
    InitDataFile("", 0), g_Localizer.Clear();
}
