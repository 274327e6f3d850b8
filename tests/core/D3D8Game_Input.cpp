#include <gtest/gtest.h>

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

class D3D8GameInput : public ::testing::Test
{
protected:
    void SetUp() override { SysClock::UseTestClock(kClockStart); }
    void TearDown() override { SysClock::UseSystemClock(); }

    void Send(uint32_t code, uint32_t wParam = 0, int32_t lParam = 0) { game.WndProc(Message(code, wParam, lParam)); }

    void ClickLeftAfter(uint32_t milliseconds)
    {
        SysClock::AdvanceTestClock(milliseconds);
        Send(WM_LBUTTONDOWN);
        Send(WM_LBUTTONUP);
    }

    Journal journal;
    RecordingCtrl ctrl{journal, "ctrl"};
    CD3D8Game game{&ctrl};
};
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
    Send(WM_KEYDOWN, 'A');
    EXPECT_EQ(1, game.keys['A']);
    Send(WM_KEYUP, 'A');
    EXPECT_EQ(0, game.keys['A']);

    const Journal expected = {"ctrl.onKeyDown(16)",  "ctrl.onKeyUp(16)",   "ctrl.onKeyDown(161)",
                              "ctrl.onKeyDown(17)",  "ctrl.onKeyDown(18)", "ctrl.onKeyUp(18)",
                              "ctrl.onKeyDown(164)", "ctrl.onKeyDown(65)", "ctrl.onKeyUp(65)"};
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

TEST_F(D3D8GameInput, ButtonsAreNumberedOneLeftTwoRight)
{
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(1, game.leftButton);
    Send(WM_RBUTTONDOWN);
    EXPECT_EQ(1, game.rightButton);
    SysClock::AdvanceTestClock(1000);
    Send(WM_LBUTTONUP);
    EXPECT_EQ(0, game.leftButton);
    SysClock::AdvanceTestClock(1000);
    Send(WM_RBUTTONUP);
    EXPECT_EQ(0, game.rightButton);
    EXPECT_EQ((Journal{"ctrl.onMouseDown(1)", "ctrl.onMouseDown(2)", "ctrl.onMouseUp(1)", "ctrl.onMouseUp(2)"}),
              journal);
}

TEST_F(D3D8GameInput, ReleasesLessThan300MillisecondsApartOfEitherButtonMakeADoubleClick)
{
    ClickLeftAfter(0);
    ClickLeftAfter(300);
    EXPECT_EQ(4u, journal.size());   // exactly 300 apart: no double click
    ClickLeftAfter(299);
    EXPECT_EQ("ctrl.onDoubleClick(1)", journal.back());
    SysClock::AdvanceTestClock(100);
    Send(WM_RBUTTONDOWN);
    Send(WM_RBUTTONUP);
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
    const CString real = CD3D8Game::GetModuleDir();
    ASSERT_GT(real.GetLength(), 0);
    EXPECT_EQ('/', real[real.GetLength() - 1]);
}
