#include "core/C_D3D8Game.h"

#include <cstring>

#include "core/C_Config.h"
#include "core/C_Ctrl.h"
#include "core/C_LogFile.h"
#include "core/C_PtrGarbage.h"
#include "core/MAIN.h"
#include "net/C_MultiplayerGame.h"
#include "platform/SysClock.h"
#include "platform/SysFile.h"
#include "platform/SysVirtualKey.h"

namespace
{
constexpr int32_t kDefaultWidth = 640;
constexpr int32_t kDefaultHeight = 480;
constexpr int32_t kDefaultBitsPerPixel = 16;
constexpr uint32_t kPumpSleepMilliseconds = 1;
}

CD3D8Game::CD3D8Game(CCtrl* firstController)
    : keys{},
      mouseX(0),
      mouseY(0),
      leftButton(0),
      rightButton(0),
      shiftDown(0),
      ctrlDown(0),
      altDown(0),
      lastButtonUpTime(0),
      quit(0),
      width(kDefaultWidth),
      height(kDefaultHeight),
      bitsPerPixel(kDefaultBitsPerPixel),
      windowX(0),
      windowY(0),
      controller(firstController),
      timers{},
      guardBandLeft(0),
      resetRequested(0),
      gammaRamp{},
      colourTable{},
      drawing(0),
      fpsStart(0),
      fps(0),
      fpsFrames(0),
      screenShotRequested(0),
      modeSupport{},
      directSound(nullptr),
      primaryBuffer(nullptr)
{
}

// A fatal error may end the process between Init and Shutdown: the devices
// still go before the window they draw into.
CD3D8Game::~CD3D8Game()
{
    ReleaseDevices();
}

// ---- Input -------------------------------------------------------------------

void CD3D8Game::OnMouseMove(int32_t x, int32_t y)
{
    if (controller)
        controller->onMouseMove(x, y);
}

void CD3D8Game::OnMouseDown(uint8_t left, uint8_t)
{
    if (controller)
        controller->onMouseDown(left ? CCtrl::kLeftButton : CCtrl::kRightButton);
}

void CD3D8Game::OnMouseUp(uint8_t left, uint8_t)
{
    if (controller)
        controller->onMouseUp(left ? CCtrl::kLeftButton : CCtrl::kRightButton);
}

void CD3D8Game::OnDoubleClick(uint8_t left, uint8_t)
{
    if (controller)
        controller->onDoubleClick(left ? CCtrl::kLeftButton : CCtrl::kRightButton);
}

void CD3D8Game::OnKeyDown(int32_t vk)
{
    if (controller)
        controller->onKeyDown(vk);
}

void CD3D8Game::OnKeyUp(int32_t vk)
{
    if (controller)
        controller->onKeyUp(vk);
}

void CD3D8Game::OnChar(int32_t code)
{
    if (controller)
        controller->onChar(code);
}

void CD3D8Game::OnWheelUp(int32_t count)
{
    for (int32_t i = 0; i < count && controller; ++i)
        controller->onWheelUp();
}

void CD3D8Game::OnWheelDown(int32_t count)
{
    for (int32_t i = 0; i < count && controller; ++i)
        controller->onWheelDown();
}

void CD3D8Game::OnTimer()
{
    for (int32_t i = 0; i < kTimerCount && controller; ++i)
    {
        CtrlTimer& record = timers[i];
        if (!record.enabled)
            continue;
        --record.counter;
        if (record.counter <= 0)
        {
            record.counter = record.reload;
            controller->onTimer(i);
        }
    }
}

void CD3D8Game::GetWindowSize(int32_t& outWidth, int32_t& outHeight)
{
    outWidth = width;
    outHeight = height;
}

void CD3D8Game::GetWindowPos(int32_t& outX, int32_t& outY)
{
    outX = windowX;
    outY = windowY;
}

bool CD3D8Game::IsQuit()
{
    return quit != 0;
}

// ---- Window procedure and message pump -------------------------------------------

void CD3D8Game::OnKeyMessage(uint32_t vk, uint8_t down)
{
    if (vk == SysVirtualKey::Shift || vk == SysVirtualKey::LeftShift || vk == SysVirtualKey::RightShift)
        shiftDown = down;
    else if (vk == SysVirtualKey::Control || vk == SysVirtualKey::LeftControl ||
             vk == SysVirtualKey::RightControl)
        ctrlDown = down;
    else if (vk == SysVirtualKey::Alt)
        altDown = down;
    if (vk < kKeyCount)
        keys[vk] = down;
    if (down)
        OnKeyDown(static_cast<int32_t>(vk));
    else
        OnKeyUp(static_cast<int32_t>(vk));
}

// Two releases less than 300 ms apart, of either button, make a double click;
// the time stamp is shared by both buttons.
void CD3D8Game::OnButtonUp(uint8_t left, uint8_t right)
{
    if (left)
        leftButton = 0;
    else
        rightButton = 0;
    OnMouseUp(left, right);
    const uint32_t now = SysClock::TickCount();
    if (SysClock::TicksBetween(lastButtonUpTime, now) < kDoubleClickMilliseconds)
        OnDoubleClick(left, right);
    lastButtonUpTime = now;
}

void CD3D8Game::OnMouseWheel(uint32_t wParam)
{
    const int32_t delta = static_cast<int16_t>(wParam >> 16);
    if (delta > 0)
        OnWheelUp(delta / WHEEL_NOTCH);
    else
        OnWheelDown(-delta / WHEEL_NOTCH);
}

// The close button, the window manager and SIGINT/SIGTERM end the game in
// order: the current screen lets go and the main loop ends after this frame,
// so the configuration and the profiles are written back as after a quit
// from the menus.
void CD3D8Game::OnCloseRequest()
{
    quit = 1;
    if (waitingForDevice)
    {
        closePending = true;
        return;
    }
    ReleaseForClose();
}

void CD3D8Game::ReleaseForClose()
{
    closePending = false;
    CCtrl* closing = controller;
    controller = nullptr;
    quit = 1;
    if (closing)
        closing->Release();
}

void CD3D8Game::WndProc(const SysMessage& message)
{
    switch (message.message)
    {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        OnKeyMessage(message.wParam, 1);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        OnKeyMessage(message.wParam, 0);
        break;
    case WM_CHAR:
        OnChar(static_cast<int32_t>(message.wParam));
        break;
    case WM_MOUSEMOVE:
        leftButton = (message.wParam & MOUSE_BIT_LEFT) ? 1 : 0;
        rightButton = (message.wParam & MOUSE_BIT_RIGHT) ? 1 : 0;
        mouseX = static_cast<int32_t>(static_cast<uint32_t>(message.lParam) & 0xFFFFu);
        mouseY = message.lParam >> 16;
        OnMouseMove(mouseX, mouseY);
        break;
    case WM_LBUTTONDOWN:
        leftButton = 1;
        OnMouseDown(1, 0);
        break;
    case WM_LBUTTONUP:
        OnButtonUp(1, 0);
        break;
    case WM_RBUTTONDOWN:
        rightButton = 1;
        OnMouseDown(0, 1);
        break;
    case WM_RBUTTONUP:
        OnButtonUp(0, 1);
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(message.wParam);
        break;
    case WM_CLOSE:
        OnCloseRequest();
        break;
    case WM_SIZE:
    case WM_ACTIVATEAPP:
        OnWindowStateMessage(message);
        break;
    default:
        break;
    }
}

bool CD3D8Game::IsKeyboardMessage(uint32_t message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

void CD3D8Game::PumpMessages()
{
    SysClock::SleepMilliseconds(kPumpSleepMilliseconds);
    for (uint32_t periods = timer.TakeElapsedPeriods(); periods > 0; --periods)
        OnTimer();
    // A burst of keyboard messages is handled at once; any other message
    // ends the pass, so at most one of them is handled per frame.
    for (;;)
    {
        g_MultiplayerGame.Update();
        SysMessage message;
        if (!window.PeekMessage(message))
            return;
        WndProc(message);
        if (!IsKeyboardMessage(message.message))
            return;
    }
}

void CD3D8Game::StartTimer(int ratePerSecond)
{
    timer.Start(ratePerSecond);
}

void CD3D8Game::StopTimer()
{
    timer.Stop();
}

// ---- Main loop -----------------------------------------------------------------

void CD3D8Game::BeforeFrame() {}
void CD3D8Game::AfterFrame() {}

void CD3D8Game::Frame()
{
    // A close request held back while a controller drew (the first one may
    // draw from inside its Init, before the first frame) is carried out
    // here, each time the controller's own call has returned.
    if (closePending)
    {
        ReleaseForClose();
        return;
    }
    if (!controller)
    {
        quit = 1;
        return;
    }
    CCtrl* current = controller;
    BeginDraw();
    CCtrl* next = current->Run1Frame();
    EndDraw();
    if (closePending)
    {
        ReleaseForClose();
        return;
    }
    // A close request handled while the frame ran has already let go of it.
    if (controller != current || next == current)
        return;
    current->Release();
    controller = next;
    if (!next)
        return;
    next->Init();
    if (closePending)
    {
        ReleaseForClose();
        return;
    }
    next->state = 0;
    SetupD3D8RenderStates();
    cursors.ClipToScreen();
}

bool CD3D8Game::Run(const char* title)
{
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    int32_t left = 0;
    int32_t top = 0;
    GetWindowSize(windowWidth, windowHeight);
    GetWindowPos(left, top);
    if (!window.Create(title, left, top, windowWidth, windowHeight, !g_Config.windowed))
    {
        const CString reason = CString("Unable to open the game window: ") + SysWindow::LastError();
        g_Log.Write(reason);
        ReportFatalError(reason, title);
        return false;
    }
    Init();
    do
    {
        PumpMessages();
        BeforeFrame();
        Frame();
        AfterFrame();
    } while (!IsQuit());
    // Units and buildings still waiting for deletion may refer to what the
    // shut-down frees next; no screen refers to them any more.
    g_PtrGarbage.Flush();
    Shutdown();
    window.Destroy();
    return true;
}

CString CD3D8Game::GetModuleDir()
{
    return CString(SysFile::ExecutableFolder().c_str());
}
