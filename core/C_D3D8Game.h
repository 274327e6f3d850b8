#pragma once
// The one application object: it owns the main window, turns window messages
// into input calls on the current screen controller, pumps messages, runs the
// main loop with the controller switch at the end of each frame and counts the
// sixteen controller timer records every 7 ms.
//
// Main thread only.  The controller timer is counted on the main thread: the
// message pump runs one timer step for every 7 ms period that has elapsed, so
// controllers get their onTimer calls between frames, never concurrently.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/C_String.h"
#include "core/DeviceStartup.h"
#include "media/C_Cursors.h"
#include "platform/SysDevice3D.h"
#include "platform/SysDevice3DFactory.h"
#include "platform/SysMessage.h"
#include "platform/SysPeriodicTimer.h"
#include "platform/SysSound.h"
#include "platform/SysWindow.h"

class CCtrl;

// One countdown of the controller timer.  Controllers arm a record by writing
// reload, copying it into counter and setting enabled; clearing enabled
// disarms it.  Every elapsed period counts an armed record down; at 0 or
// below it reloads and the controller's onTimer gets the record's index.
struct CtrlTimer
{
    uint8_t enabled;
    int32_t reload;
    int32_t counter;
};

class CD3D8Game
{
public:
    static constexpr int32_t kTimerCount = 16;
    static constexpr int32_t kKeyCount = 256;
    // Periods per second of the controller timer: 1000 / 128 = 7 ms.
    static constexpr int kTimerRate = 128;
    // Two button releases closer than this make a double click.
    static constexpr uint32_t kDoubleClickMilliseconds = 300;
    // Codes given to the controller's onKeyDown, outside the virtual keys:
    // the drawing device was lost, and it is back.
    static constexpr int32_t kDeviceLostKey = 1977;
    static constexpr int32_t kDeviceResetKey = 19771216;

    explicit CD3D8Game(CCtrl* firstController);
    virtual ~CD3D8Game();

    CD3D8Game(const CD3D8Game&) = delete;
    CD3D8Game& operator=(const CD3D8Game&) = delete;

    // Input for the current controller; nothing while there is none.
    // Button arguments: the left flag, else the right button is meant.
    virtual void OnMouseMove(int32_t x, int32_t y);
    virtual void OnMouseDown(uint8_t left, uint8_t right);
    virtual void OnMouseUp(uint8_t left, uint8_t right);
    virtual void OnDoubleClick(uint8_t left, uint8_t right);
    virtual void OnKeyDown(int32_t vk);
    virtual void OnKeyUp(int32_t vk);
    virtual void OnChar(int32_t code);
    // One period of the controller timer: counts the armed records down.
    virtual void OnTimer();
    // Calls the controller once per wheel notch; nothing below 1.
    virtual void OnWheelUp(int32_t count);
    virtual void OnWheelDown(int32_t count);
    virtual void GetWindowSize(int32_t& outWidth, int32_t& outHeight);
    virtual void GetWindowPos(int32_t& outX, int32_t& outY);
    virtual void Init();
    virtual void Shutdown();
    virtual void BeforeFrame();
    // One frame of the current controller, then the switch to the controller
    // it named (a null one ends the main loop).
    virtual void Frame();
    virtual void AfterFrame();
    virtual bool IsQuit();

    // Opens the window, runs Init, the main loop until the quit flag is set
    // and Shutdown, and closes the window.  False when no window could be
    // opened (nothing was run then).
    bool Run(const char* title);
    // The window procedure: one message from the window.
    void WndProc(const SysMessage& message);
    // One pass of the message pump: runs the elapsed timer periods and the
    // network step, then handles one message, or a whole burst of keyboard
    // messages.
    void PumpMessages();
    void StartTimer(int ratePerSecond);
    void StopTimer();

    // Frame drawing and render states.  Without a drawing device (before
    // Init, after Shutdown) only the bookkeeping is done.
    // Clears the back buffer and begins a scene; nested callers share one.
    void BeginDraw();
    // Ends the scene, takes a requested screenshot, resets the device when
    // asked, waits out a lost device and presents.
    void EndDraw();
    // The default render states, texture-stage states and transforms, the
    // gamma ramp, then the controller's own states.
    void SetupD3D8RenderStates();
    // Rebuilds gammaRamp from colourTable, GAMMA= and BRIGHTNESS=; hands it
    // to the device when `apply` is nonzero.
    void SetGammaRamp(int32_t noise, int32_t step, uint8_t apply);
    // The next free "V2KRN_Screen_NNN.tga" of the executable folder, taken at
    // the end of the frame being drawn (or of the next one), before it is
    // presented; reported on the on-screen message list.
    void MakeScreenShot();

    // Folder of the running executable, ending in a separator.
    static CString GetModuleDir();

    SysWindow window;
    uint8_t keys[kKeyCount];
    int32_t mouseX;
    int32_t mouseY;
    uint8_t leftButton;
    uint8_t rightButton;
    uint8_t shiftDown;
    uint8_t ctrlDown;
    uint8_t altDown;
    SysPeriodicTimer timer;
    uint32_t lastButtonUpTime;
    uint8_t quit;
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    int32_t windowX;
    int32_t windowY;
    CCtrl* controller;
    // The mouse cursors, loaded by Init.
    CCursors cursors;
    CtrlTimer timers[kTimerCount];
    int32_t guardBandLeft;
    uint8_t resetRequested;
    uint16_t gammaRamp[3][256];
    uint16_t colourTable[3][256];
    uint8_t drawing;
    int32_t fpsStart;
    int32_t fps;
    int32_t fpsFrames;
    uint8_t screenShotRequested;
    // The drawing device's entry and the device (null outside Init ..
    // Shutdown; an entry set before Init is used instead of the platform's),
    // its present parameters, and which of the listed sizes exist in 16 and
    // 32 bits.
    std::unique_ptr<SysDevice3DFactory> direct3D;
    std::unique_ptr<SysDevice3D> device;
    Sys3DPresentParams presentParams;
    DeviceStartup::ModeSupportTable modeSupport;
    // Null while the game runs silent.
    SysSound::Device* directSound;
    SysSound::Buffer* primaryBuffer;

private:
    void InitDirect3D();
    void ListDisplayModes(bool& configuredFound);
    void ChooseFallbackMode();
    void ReportCapabilities();
    void CreateDevice();
    void LoadColourTable();
    void InitAudio();
    void ReleaseDirect3D();
    void ReleaseSound();
    void ReleaseDevices();
    // False when the game is to end before the device came back.
    bool RecoverLostDevice();
    void CaptureScreenShot();
    void OnWindowStateMessage(const SysMessage& message);
    void OnKeyMessage(uint32_t vk, uint8_t down);
    void OnButtonUp(uint8_t left, uint8_t right);
    void OnMouseWheel(uint32_t wParam);
    void OnCloseRequest();
    void ReleaseForClose();
    static bool IsKeyboardMessage(uint32_t message);

    // True while EndDraw waits for a lost device.  The controller may be
    // drawing from inside its own Init or Run1Frame then (a loading screen),
    // so a close request that arrives meanwhile only ends the wait; the
    // controller is let go once its call has returned to the main loop.
    bool waitingForDevice = false;
    bool closePending = false;
};

extern CD3D8Game g_D3D8Game;
