// The application object dispatching messages, frames and timer periods to
// its controller.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/C_D3D8Game.h"
#include "platform/SysClock.h"
#include "platform/SysFile.h"
#include "platform/SysMessage.h"
#include "tests/core/Ctrl_TestDoubles.h"

using namespace ctrl_test;

namespace
{
// Far from 0, as the real tick count always is.
constexpr uint32_t kClockStart = 5000000;

SysMessage Message(uint32_t code, uint32_t wParam = 0, int32_t lParam = 0)
{
    SysMessage message;
    message.message = code;
    message.wParam = wParam;
    message.lParam = lParam;
    return message;
}

uint32_t WheelParam(int delta)
{
    return static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16;
}

// A controller that uses its state while it initialises, as screens do.
class StatefulCtrl : public RecordingCtrl
{
public:
    using RecordingCtrl::RecordingCtrl;

    void Init() override
    {
        RecordingCtrl::Init();
        state = 42;
    }
};

// The application object with a recording controller on a test clock.
class D3D8GameTest : public ::testing::Test
{
protected:
    void SetUp() override { SysClock::UseTestClock(kClockStart); }
    void TearDown() override
    {
        game.StopTimer();
        SysClock::UseSystemClock();
    }

    void Send(uint32_t code, uint32_t wParam = 0, int32_t lParam = 0) { game.WndProc(Message(code, wParam, lParam)); }

    void ClickLeftAfter(uint32_t milliseconds)
    {
        SysClock::AdvanceTestClock(milliseconds);
        Send(WM_LBUTTONDOWN);
        Send(WM_LBUTTONUP);
    }

    void Arm(int index, int32_t reload)
    {
        game.timers[index].reload = reload;
        game.timers[index].counter = reload;
        game.timers[index].enabled = 1;
    }

    // Periods (1-based) in which the record fired, out of `periods` steps.
    std::vector<int> FiringPeriods(int index, int periods)
    {
        std::vector<int> fired;
        for (int period = 1; period <= periods; ++period)
        {
            journal.clear();
            game.OnTimer();
            if (std::find(journal.begin(), journal.end(), Call("ctrl", "onTimer", index)) != journal.end())
                fired.push_back(period);
        }
        return fired;
    }

    Journal journal;
    RecordingCtrl ctrl{journal, "ctrl"};
    StatefulCtrl second{journal, "second"};
    CD3D8Game game{&ctrl};
};

using D3D8GameInput = D3D8GameTest;
using D3D8GameFrame = D3D8GameTest;
using D3D8GameTimer = D3D8GameTest;
constexpr uint32_t kPeriod = 7;  // 1000 / 128, whole milliseconds
}  // namespace

TEST_F(D3D8GameInput, KeyMessagesKeepTheKeyTableAndModifiers)
{
    Send(WM_KEYDOWN, 16);
    EXPECT_EQ(1, game.shiftDown);
    Send(WM_KEYUP, 16);
    EXPECT_EQ(0, game.shiftDown);
    Send(WM_KEYDOWN, 161);
    EXPECT_EQ(1, game.shiftDown);
    EXPECT_EQ(1, game.keys[161]);
    Send(WM_SYSKEYDOWN, 17);
    EXPECT_EQ(1, game.ctrlDown);
    Send(WM_KEYDOWN, 18);
    EXPECT_EQ(1, game.altDown);
    Send(WM_SYSKEYUP, 18);
    EXPECT_EQ(0, game.altDown);
    // The separate Alt keys only mark their own entries.
    Send(WM_KEYDOWN, 164);
    EXPECT_EQ(0, game.altDown);
    EXPECT_EQ(1, game.keys[164]);
    Send(WM_KEYUP, 'A');
    EXPECT_EQ(0, game.keys['A']);

    const Journal expected = {"ctrl.onKeyDown(16)",  "ctrl.onKeyUp(16)",   "ctrl.onKeyDown(161)",
                              "ctrl.onKeyDown(17)",  "ctrl.onKeyDown(18)", "ctrl.onKeyUp(18)",
                              "ctrl.onKeyDown(164)", "ctrl.onKeyUp(65)"};
    EXPECT_EQ(expected, journal);
}

TEST_F(D3D8GameInput, CharactersRightPressAndWheelReachTheTopForm)
{
    RecordingForm form(journal, "form");
    ctrl.OpenForm(&form);
    VirtualMouseX = 700;
    VirtualMouseY = 500;
    journal.clear();
    Send(WM_CHAR, 8);
    Send(WM_CHAR, 0xE4);
    Send(WM_RBUTTONDOWN);
    game.OnWheelUp(2);
    game.OnWheelDown(0);
    EXPECT_EQ((Journal{"ctrl.onChar(8)", "form.OnKey(8)", "ctrl.onChar(228)", "form.OnKey(228)",
                       "ctrl.onMouseDown(2)", "form.OnMouseDown(700,500)", "ctrl.onWheelUp", "form.OnWheelUp",
                       "ctrl.onWheelUp", "form.OnWheelUp"}),
              journal);
}

TEST_F(D3D8GameInput, MouseMoveReadsXUnsignedAndYSigned)
{
    Send(WM_MOUSEMOVE, MOUSE_BIT_LEFT | MOUSE_BIT_RIGHT, MakeMessagePoint(-1, -5));
    EXPECT_EQ(65535, game.mouseX);
    EXPECT_EQ(-5, game.mouseY);
    EXPECT_EQ(1, game.leftButton);
    EXPECT_EQ(1, game.rightButton);
    Send(WM_MOUSEMOVE, 0, MakeMessagePoint(320, 240));
    EXPECT_EQ(0, game.leftButton);
    EXPECT_EQ(0, game.rightButton);
    EXPECT_EQ((Journal{"ctrl.onMouseMove(65535,-5)", "ctrl.onMouseMove(320,240)"}), journal);
}

TEST_F(D3D8GameInput, ReleasesLessThan300MillisecondsApartOfEitherButtonMakeADoubleClick)
{
    ClickLeftAfter(0);
    EXPECT_EQ((Journal{"ctrl.onMouseDown(1)", "ctrl.onMouseUp(1)"}), journal);
    ClickLeftAfter(300);
    EXPECT_EQ(4u, journal.size());   // exactly 300 apart: no double click
    ClickLeftAfter(299);
    EXPECT_EQ("ctrl.onDoubleClick(1)", journal.back());
    SysClock::AdvanceTestClock(100);
    Send(WM_RBUTTONDOWN);
    Send(WM_RBUTTONUP);
    EXPECT_EQ("ctrl.onMouseDown(2)", journal[journal.size() - 3]);
    EXPECT_EQ("ctrl.onDoubleClick(2)", journal.back());
    EXPECT_EQ(10u, journal.size());
}

TEST_F(D3D8GameInput, WheelCallsOncePerWholeNotch)
{
    Send(WM_MOUSEWHEEL, WheelParam(240));
    EXPECT_EQ((Journal{"ctrl.onWheelUp", "ctrl.onWheelUp"}), journal);
    journal.clear();
    Send(WM_MOUSEWHEEL, WheelParam(60));
    EXPECT_TRUE(journal.empty());
    Send(WM_MOUSEWHEEL, WheelParam(-120));
    EXPECT_EQ(Journal{"ctrl.onWheelDown"}, journal);
    journal.clear();
    Send(WM_MOUSEWHEEL, WheelParam(-359));
    EXPECT_EQ((Journal{"ctrl.onWheelDown", "ctrl.onWheelDown"}), journal);
}

TEST_F(D3D8GameInput, InputWithoutControllerIsDropped)
{
    game.controller = nullptr;
    Send(WM_KEYDOWN, 'B');
    Send(WM_CHAR, 'b');
    Send(WM_MOUSEMOVE, 0, MakeMessagePoint(1, 2));
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    Send(WM_MOUSEWHEEL, WheelParam(120));
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(1, game.keys['B']);  // the key table is kept all the same
}

TEST_F(D3D8GameInput, CloseRequestReleasesTheControllerAndEndsTheLoop)
{
    Send(WM_CLOSE);
    EXPECT_EQ(Journal{"ctrl.Release"}, journal);
    EXPECT_EQ(nullptr, game.controller);
    EXPECT_TRUE(game.IsQuit());
    game.Frame();
    EXPECT_EQ(Journal{"ctrl.Release"}, journal);
}

TEST(D3D8GameModuleDir, IsTheExecutableFolderEvenWhenLong)
{
    const std::string longFolder = "/" + std::string(300, 'x') + "/game/";
    SysFile::SetExecutableFolderForTests(longFolder.c_str());
    EXPECT_EQ(longFolder, std::string(CD3D8Game::GetModuleDir()));
    SysFile::SetExecutableFolderForTests(nullptr);
}

TEST_F(D3D8GameFrame, SwitchReleasesTheOldThenStartsTheNewWithStateZero)
{
    ctrl.next = &second;
    second.state = 9;
    game.Frame();
    const Journal expected = {"ctrl.Run1Frame", "ctrl.Release", "second.Init",
                              "second.onSetCustomRenderStates"};
    EXPECT_EQ(expected, journal);
    EXPECT_EQ(&second, game.controller);
    EXPECT_EQ(0, second.state);

    // A controller that stays current is not switched.
    journal.clear();
    game.Frame();
    game.Frame();
    EXPECT_EQ((Journal{"second.Run1Frame", "second.Run1Frame"}), journal);
}

TEST_F(D3D8GameFrame, NullResultReleasesAndTheNextFrameQuits)
{
    ctrl.next = nullptr;
    game.Frame();
    EXPECT_EQ((Journal{"ctrl.Run1Frame", "ctrl.Release"}), journal);
    EXPECT_EQ(nullptr, game.controller);
    EXPECT_FALSE(game.IsQuit());
    game.Frame();
    EXPECT_TRUE(game.IsQuit());
    EXPECT_EQ(2u, journal.size());
}

TEST_F(D3D8GameFrame, FirstControllerIsStartedByInitNotByTheFrame)
{
    game.Init();
    EXPECT_EQ(Journal{"ctrl.Init"}, journal);
    journal.clear();
    game.Frame();
    EXPECT_EQ(Journal{"ctrl.Run1Frame"}, journal);
    game.Shutdown();
}

TEST_F(D3D8GameTimer, RecordsFireWhenTheirCounterRunsOut)
{
    Arm(3, 4);
    EXPECT_EQ((std::vector<int>{4, 8, 12}), FiringPeriods(3, 12));
    EXPECT_EQ(4, game.timers[3].counter);
    Arm(0, 0);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), FiringPeriods(0, 3));
    Arm(5, 2);
    game.timers[5].enabled = 0;   // disabled records only wait
    EXPECT_TRUE(FiringPeriods(5, 6).empty());
    EXPECT_EQ(2, game.timers[5].counter);
}

TEST_F(D3D8GameTimer, DueRecordsFireInIndexOrder)
{
    Arm(15, 1);
    Arm(0, 1);
    Arm(7, 2);
    game.OnTimer();
    game.OnTimer();
    EXPECT_EQ((Journal{"ctrl.onTimer(0)", "ctrl.onTimer(15)", "ctrl.onTimer(0)", "ctrl.onTimer(7)",
                       "ctrl.onTimer(15)"}),
              journal);

    // Without a controller nothing counts down.
    journal.clear();
    game.controller = nullptr;
    game.OnTimer();
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(1, game.timers[0].counter);
}

TEST_F(D3D8GameTimer, PumpDeliversEveryElapsedPeriodOnTheCallingThread)
{
    Arm(0, 0);
    game.StartTimer(CD3D8Game::kTimerRate);
    SysClock::AdvanceTestClock(10 * kPeriod);  // a stall of 70 ms
    game.PumpMessages();
    EXPECT_EQ(10u, journal.size());
    journal.clear();
    SysClock::AdvanceTestClock(kPeriod - 1);
    game.PumpMessages();
    EXPECT_TRUE(journal.empty());
    SysClock::AdvanceTestClock(1);
    game.PumpMessages();
    EXPECT_EQ(Journal{"ctrl.onTimer(0)"}, journal);

    journal.clear();
    game.StopTimer();
    SysClock::AdvanceTestClock(100);
    game.PumpMessages();
    EXPECT_TRUE(journal.empty());
}
