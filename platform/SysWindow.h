#pragma once

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
