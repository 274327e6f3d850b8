#pragma once
// Base of every screen controller.  Exactly one controller is current: it
// gets every input event, runs one frame at a time and names the controller
// of the next frame.  The base keeps a stack of open forms, gives input to the
// form on top, draws the open forms and closes the top one when it asks.
//
// Everything runs on the main thread, onTimer included (the timer periods are
// delivered from the message pump).  Controllers are long-lived globals and
// are never deleted through the base, so the base has no virtual destructor.

#include <cstdint>

class CGUIInterface;
struct CNetPacket;

// The mouse position on the virtual 1024 x 768 screen, set by the
// controllers' onMouseMove (the base's included) from the configured screen
// size.
extern int32_t VirtualMouseX;
extern int32_t VirtualMouseY;

class CCtrl
{
public:
    static constexpr int32_t kMaxForms = 16;
    static constexpr int32_t kLeftButton = 1;
    static constexpr int32_t kRightButton = 2;

    CCtrl();

    CCtrl(const CCtrl&) = delete;
    CCtrl& operator=(const CCtrl&) = delete;

    // Slots in this order; the base forwards input to the top form and does
    // nothing while no form is open.
    virtual void Init();
    // The controller of the next frame; null ends the main loop.
    virtual CCtrl* Run1Frame();
    virtual void Release();
    // Window client pixels: sets the virtual mouse position and gives it to
    // the form, like every other mouse event.
    virtual void onMouseMove(int32_t x, int32_t y);
    // Button 1 left, 2 right; the form is told the virtual mouse position.
    virtual void onMouseDown(int32_t button);
    virtual void onMouseUp(int32_t button);
    virtual void onDoubleClick(int32_t button);
    virtual void onWheelUp();
    virtual void onWheelDown();
    // Virtual-key codes, and the device codes 1977 (lost) and 19771216 (reset).
    virtual void onKeyDown(int32_t key);
    virtual void onKeyUp(int32_t key);
    virtual void onChar(int32_t code);
    // Keep to counting and setting flags that Run1Frame consumes.
    virtual void onTimer(int32_t index);
    virtual void onSetCustomRenderStates();
    virtual void onNetPacket(CNetPacket* packet);
    virtual void onPlayerJoined(int32_t a, int32_t b);
    virtual void onPlayerLeft(int32_t player);

    // Pushes a form, makes it visible and lets it prepare itself.  Refused,
    // without a word, while all 16 places are taken.
    bool OpenForm(CGUIInterface* form);
    // Draws the open forms bottom to top, then closes the top form when it
    // asked to be closed (at most one per frame).
    void RenderForms();

    CGUIInterface* GetTopForm() const;

    // The virtual mouse position for client pixels on a screen of the given
    // size, as the controllers' onMouseMove compute it.
    static void SetVirtualMouse(int32_t x, int32_t y, int32_t screenWidth, int32_t screenHeight);

    CGUIInterface* forms[kMaxForms];
    int32_t formCount;
    int32_t state;

protected:
    ~CCtrl() = default;
};
