#pragma once

#include <cstdint>
#include <memory>

#include "platform/SysMessage.h"

// The game's one window: borderless, at a given place and size, windowed or
// full screen, able to carry an OpenGL drawing device; and its message queue.
//
// Main thread only.  The window owns its SDL video subsystem reference; the
// drawing device is created on NativeHandle() and must be released before the
// window is destroyed.
class SysWindow
{
public:
    SysWindow();
    ~SysWindow();
    SysWindow(const SysWindow&) = delete;
    SysWindow& operator=(const SysWindow&) = delete;

    // Opens the window at (x, y) on the desktop with a client area of
    // width x height pixels, shown, with text input on, and makes SIGINT and
    // SIGTERM arrive as WM_CLOSE.  The title is in the current code page.
    // False, with nothing opened, when no window can be made;
    // SysWindow::LastError() says why.
    bool Create(const char* title, int x, int y, int width, int height, bool fullScreen);
    // Closes the window; waiting messages are discarded.  Nothing when closed.
    void Destroy();

    bool IsOpen() const;
    bool IsFullScreen() const;
    // The SDL_Window* of the window, for the drawing device and message
    // boxes; null while closed.
    void* NativeHandle() const;

    // The system mouse cursor over the window: shown or hidden.
    void ShowCursor(bool show);
    // Keeps the mouse inside the window (the game confines it in full
    // screen) or lets it go.
    void ConfineCursor(bool confine);
    // The mouse position in client pixels as of the last message pass.
    void GetMousePosition(int& x, int& y) const;
    // Makes a 32 x 32 picture the system mouse cursor over the window:
    // pixels 0xAARRGGBB, top row first, alpha 0 transparent; (hotX, hotY)
    // is the pixel that points.  The window keeps the cursor until the next
    // call or until it closes.  False, with the cursor shown before kept,
    // when the video driver has no system cursors (the offscreen driver) or
    // the window is closed.
    bool SetColourCursor(const uint32_t* pixels, int hotX, int hotY);

    // Takes the oldest waiting message, after collecting what the system has
    // delivered since the last call.  False when none waits.  This is the
    // pump's only source of input.
    bool PeekMessage(SysMessage& out);

    // Why the last Create failed.
    static const char* LastError();

private:
    struct State;
    std::unique_ptr<State> state;
};
