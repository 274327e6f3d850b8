#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/C_Ctrl.h"
#include "core/C_D3D8Game.h"
#include "media/C_GUIInterface.h"
#include "platform/SysClock.h"
#include "tests/platform/Window_TestEvents.h"

using window_test::WheelParam;

namespace
{
// A form and a controller that write every call they get into one shared journal, so that tests can check what
// arrived and in which order.
using Journal = std::vector<std::string>;

std::string Call(const std::string& who, const std::string& what, const std::vector<int>& args = {})
{
    std::string call = who + "." + what;
    for (size_t i = 0; i < args.size(); ++i) call += (i == 0 ? "(" : ",") + std::to_string(args[i]);
    return args.empty() ? call : call + ")";
}

class RecordingForm : public CGUIInterface
{
public:
    RecordingForm(Journal& journal, std::string name) : journal(journal), name(std::move(name)) {}

    void OnMouseDown(int32_t x, int32_t y) override { Note("OnMouseDown", {x, y}); }
    void OnWheelUp() override { Note("OnWheelUp"); }
    void OnKey(int32_t key) override { Note("OnKey", {key}); }
    void ResetResult() override { Note("ResetResult"); }
    void Release() override { Note("Release"); }
    void Render1Frame() override { Note("Render1Frame"); }

private:
    void Note(const char* what, const std::vector<int>& args = {}) { journal.push_back(Call(name, what, args)); }
    Journal& journal;
    std::string name;
};

// Forwards a button, the wheel up and characters to the base after noting them, so that the form stack of the base
// is exercised as well.
class RecordingCtrl : public CCtrl
{
public:
    RecordingCtrl(Journal& journal, std::string name) : journal(journal), name(std::move(name)) {}

    void Init() override { Note("Init"); }
    CCtrl* Run1Frame() override { Note("Run1Frame"); return next; }
    void Release() override { Note("Release"); }
    void onMouseMove(int32_t x, int32_t y) override { Note("onMouseMove", {x, y}); }
    void onMouseDown(int32_t button) override { Note("onMouseDown", {button}); CCtrl::onMouseDown(button); }
    void onMouseUp(int32_t button) override { Note("onMouseUp", {button}); }
    void onDoubleClick(int32_t button) override { Note("onDoubleClick", {button}); }
    void onWheelUp() override { Note("onWheelUp"); CCtrl::onWheelUp(); }
    void onWheelDown() override { Note("onWheelDown"); }
    void onKeyDown(int32_t key) override { Note("onKeyDown", {key}); }
    void onKeyUp(int32_t key) override { Note("onKeyUp", {key}); }
    void onChar(int32_t code) override { Note("onChar", {code}); CCtrl::onChar(code); }
    void onTimer(int32_t index) override { Note("onTimer", {index}); }
    void onSetCustomRenderStates() override { Note("onSetCustomRenderStates"); }

    // What Run1Frame returns; itself unless a test says otherwise.
    CCtrl* next = this;

private:
    void Note(const char* what, const std::vector<int>& args = {}) { journal.push_back(Call(name, what, args)); }
    Journal& journal;
    std::string name;
};

// A controller that uses its state while it initialises, as screens do.
class StatefulCtrl : public RecordingCtrl
{
public:
    using RecordingCtrl::RecordingCtrl;
    void Init() override { RecordingCtrl::Init(); state = 42; }
};

// The application object with a recording controller on a test clock
// (started far from 0, as the real tick count always is).
class D3D8Game : public ::testing::Test
{
protected:
    void SetUp() override { SysClock::UseTestClock(5000000); }
    void TearDown() override { SysClock::UseSystemClock(); }

    void Send(uint32_t code, uint32_t wParam = 0) { game.WndProc(SysMessage{code, wParam}); }
    void ClickAfter(uint32_t milliseconds, uint32_t down = WM_LBUTTONDOWN, uint32_t up = WM_LBUTTONUP)
    {
        SysClock::AdvanceTestClock(milliseconds), Send(down), Send(up);
    }
    void Arm(int index, int32_t reload)
    {
        game.timers[index].reload = game.timers[index].counter = reload, game.timers[index].enabled = 1;
    }
    Journal journal;
    RecordingCtrl ctrl{journal, "ctrl"};
    StatefulCtrl second{journal, "second"};
    CD3D8Game game{&ctrl};
};

class PlainCtrl : public CCtrl {};   // the base behaviour, untouched

class CtrlForms : public ::testing::Test
{
protected:
    RecordingForm& MakeForm(const std::string& name)
    {
        forms.push_back(std::make_unique<RecordingForm>(journal, name));
        return *forms.back();
    }

    Journal journal;
    PlainCtrl ctrl;
    std::vector<std::unique_ptr<RecordingForm>> forms;
};
}  // namespace

TEST_F(D3D8Game, KeysKeepTheKeyTableAndModifiersAndWheelCharactersAndButtonsReachControllerAndTopForm)
{
    EXPECT_TRUE(game.width == 640 && game.height == 480 && game.bitsPerPixel == 16 && game.controller == &ctrl &&
                std::count(game.keys, game.keys + 256, 0) == 256);   // as constructed
    const struct { uint32_t message, key; unsigned char CD3D8Game::*flag; int expected; } steps[] = {
        {WM_KEYDOWN, 16, &CD3D8Game::shiftDown, 1}, {WM_KEYUP, 16, &CD3D8Game::shiftDown, 0},
        {WM_KEYDOWN, 161, &CD3D8Game::shiftDown, 1}, {WM_SYSKEYDOWN, 17, &CD3D8Game::ctrlDown, 1},
        {WM_KEYDOWN, 18, &CD3D8Game::altDown, 1},    {WM_SYSKEYUP, 18, &CD3D8Game::altDown, 0},
        {WM_KEYDOWN, 164, &CD3D8Game::altDown, 0},   // the separate Alt keys only mark their own entries
    };
    for (const auto& step : steps)
        EXPECT_EQ((Send(step.message, step.key), game.*step.flag), step.expected) << step.key;
    Send(WM_KEYUP, 'A');
    EXPECT_TRUE(game.keys[161] == 1 && game.keys[164] == 1 && game.keys['A'] == 0);
    const Journal expected = {"ctrl.onKeyDown(16)",  "ctrl.onKeyUp(16)",   "ctrl.onKeyDown(161)",
                              "ctrl.onKeyDown(17)",  "ctrl.onKeyDown(18)", "ctrl.onKeyUp(18)",
                              "ctrl.onKeyDown(164)", "ctrl.onKeyUp(65)"};
    EXPECT_EQ(journal, expected);
    // Whole notches of 120 only, each one call.
    const std::pair<int, Journal> wheels[] = {{240, {"ctrl.onWheelUp", "ctrl.onWheelUp"}}, {60, {}},
                                              {-359, {"ctrl.onWheelDown", "ctrl.onWheelDown"}}};
    for (const auto& [delta, calls] : wheels)
        EXPECT_EQ((journal.clear(), Send(WM_MOUSEWHEEL, WheelParam(delta)), journal), calls) << delta;
    RecordingForm form(journal, "form");
    ctrl.OpenForm(&form);
    VirtualMouseX = 700, VirtualMouseY = 500;
    journal.clear();
    Send(WM_CHAR, 0xE4), Send(WM_RBUTTONDOWN), game.OnWheelUp(1), game.OnWheelDown(0);
    EXPECT_EQ(journal, (Journal{"ctrl.onChar(228)", "form.OnKey(228)", "ctrl.onMouseDown(2)",
                                "form.OnMouseDown(700,500)", "ctrl.onWheelUp", "form.OnWheelUp"}));
}

TEST_F(D3D8Game, ReleasesLessThan300MillisecondsApartOfEitherButtonMakeADoubleClick)
{
    ClickAfter(0);
    EXPECT_EQ(journal, (Journal{"ctrl.onMouseDown(1)", "ctrl.onMouseUp(1)"}));
    ClickAfter(300);
    EXPECT_EQ(journal.size(), 4u);   // exactly 300 apart: no double click
    ClickAfter(299);
    EXPECT_EQ(journal.back(), "ctrl.onDoubleClick(1)");
    ClickAfter(100, WM_RBUTTONDOWN, WM_RBUTTONUP);
    EXPECT_TRUE(journal[journal.size() - 3] == "ctrl.onMouseDown(2)" && journal.back() == "ctrl.onDoubleClick(2)" &&
                journal.size() == 10u);
}

TEST_F(D3D8Game, FramesSwitchControllersAndANullResultQuitsOnTheNextFrame)
{
    game.Init();   // the first controller is started by Init, not by a frame
    ctrl.next = &second;
    second.state = 9, game.Frame();
    EXPECT_EQ(journal, (Journal{"ctrl.Init", "ctrl.Run1Frame", "ctrl.Release", "second.Init",
                                "second.onSetCustomRenderStates"}));
    EXPECT_TRUE(game.controller == &second && second.state == 0);   // reset before its Init

    journal.clear();
    game.Frame(), second.next = nullptr;
    game.Frame();
    EXPECT_EQ(journal, (Journal{"second.Run1Frame", "second.Run1Frame", "second.Release"}));
    EXPECT_TRUE(game.controller == nullptr && !game.IsQuit());
    game.Frame();
    EXPECT_TRUE(game.IsQuit());
    game.Shutdown();
}

TEST_F(D3D8Game, TimerRecordsFireInIndexOrderWhenTheirCounterRunsOut)
{
    Arm(3, 4), Arm(5, 2);
    game.timers[5].enabled = 0;   // disabled records only wait
    for (int period = 1; period <= 7; ++period) game.OnTimer();
    EXPECT_EQ(journal, Journal{"ctrl.onTimer(3)"});
    EXPECT_TRUE((game.OnTimer(), journal.size() == 2u) && game.timers[3].counter == 4 && game.timers[5].counter == 2);

    for (const auto& [index, reload] : {std::pair{3, 0}, {15, 1}, {0, 1}, {7, 2}}) Arm(index, reload);
    journal.clear(), game.OnTimer(), game.OnTimer();
    EXPECT_EQ(journal, (Journal{"ctrl.onTimer(0)", "ctrl.onTimer(3)", "ctrl.onTimer(15)", "ctrl.onTimer(0)",
                                "ctrl.onTimer(3)", "ctrl.onTimer(7)", "ctrl.onTimer(15)"}));
    journal.clear();
    game.controller = nullptr, game.OnTimer();   // without a controller nothing counts down
    EXPECT_TRUE(journal.empty() && game.timers[0].counter == 1);
}

TEST_F(CtrlForms, SeventeenthFormIsRefusedWithoutPreparingIt)
{
    RecordingForm& first = MakeForm("f0");
    first.visible = 0;
    ASSERT_TRUE(ctrl.OpenForm(&first));
    EXPECT_TRUE(first.visible == 1 && journal == Journal{"f0.ResetResult"});   // opening shows it and lets it prepare
    for (int i = 1; i < CCtrl::kMaxForms; ++i) ASSERT_TRUE(ctrl.OpenForm(&MakeForm("f" + std::to_string(i))));
    journal.clear();
    RecordingForm& extra = MakeForm("extra");
    extra.visible = 0;
    EXPECT_TRUE(!ctrl.OpenForm(&extra) && ctrl.formCount == 16 && extra.visible == 0);
    EXPECT_TRUE(journal.empty() && ctrl.GetTopForm() == forms[15].get());
}

TEST_F(CtrlForms, FormsAreDrawnBottomToTopAndClosedOnlyFromTheTop)
{
    RecordingForm& bottom = MakeForm("bottom");
    RecordingForm& below = MakeForm("below");
    RecordingForm& top = MakeForm("top");
    for (RecordingForm* form : {&bottom, &below, &top}) ctrl.OpenForm(form);
    below.visible = 0;   // the opener hid it
    below.closeRequest = 1;   // waits until it is on top
    journal.clear();
    ctrl.RenderForms();
    EXPECT_TRUE(journal == (Journal{"bottom.Render1Frame", "top.Render1Frame"}) && ctrl.formCount == 3);

    // A closed top is drawn once more before the one below is shown.
    top.closeRequest = 1, journal.clear(), ctrl.RenderForms();
    EXPECT_EQ(journal, (Journal{"bottom.Render1Frame", "top.Render1Frame", "top.Release"}));
    EXPECT_TRUE(ctrl.formCount == 2 && top.closeRequest == 0 && below.visible == 1 && ctrl.GetTopForm() == &below);
    ctrl.RenderForms(), bottom.closeRequest = 1, ctrl.RenderForms();
    EXPECT_TRUE(ctrl.formCount == 0 && ctrl.GetTopForm() == nullptr);
    journal.clear();
    ctrl.onChar('x'), ctrl.onMouseDown(CCtrl::kLeftButton), ctrl.RenderForms();  // no open form: it goes nowhere
    EXPECT_TRUE(journal.empty());
}

TEST(CtrlVirtualMouse, ScalesWindowPixelsToTheVirtualScreenTruncating)
{
    // x * 1024 / width and y * 768 / height, truncated.
    const struct { int x, y, width, height, expectedX, expectedY; } cases[] = {
        {799, 599, 800, 600, 1022, 766},      // 1022.72, 766.72
        {1279, 1023, 1280, 1024, 1023, 767},  // 1023.2, 767.25
        {300, 200, 0, 0, 300, 200},           // no division by zero
    };
    for (const auto& c : cases)
        EXPECT_EQ((CCtrl::SetVirtualMouse(c.x, c.y, c.width, c.height), std::pair(VirtualMouseX, VirtualMouseY)),
                  std::pair(c.expectedX, c.expectedY)) << c.x << " " << c.width;
}
