#pragma once

#include <cstdint>

// A window message as the application's window procedure reads it: a message
// code with the numeric value the Windows message of that name has, and two
// parameters laid out as that message lays them out.  Only the messages below
// are ever delivered.
struct SysMessage
{
    uint32_t message = 0;
    uint32_t wParam = 0;
    int32_t lParam = 0;
};

// wParam: SIZE_MINIMIZED when the window was minimised, SIZE_RESTORED when it
// came back.  lParam: 0.
constexpr uint32_t WM_SIZE = 0x0005;
// The user asked to close the window (close button, window manager, SIGINT,
// SIGTERM).  Nothing has been closed yet.
constexpr uint32_t WM_CLOSE = 0x0010;
// wParam 1: the window got the input focus; 0: it lost it.
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
// wParam: the virtual-key code (SysVirtualKey.h); generic codes only, so both
// Shift keys give 16, both Ctrl keys 17 and both Alt keys 18.
// lParam: repeat count 1 in the low word; bit 29 set while Alt is held; bit 30
// set when the key was already down (auto-repeat); bit 31 set on release.
// The SYS variants are sent for Alt itself, F10 and any key pressed while Alt
// is held.
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
// wParam: one character in the code page of the current language
// (SysCodePage), 8, 9, 13 and 27 for Backspace, Tab, Enter and Escape.
// Follows the WM_KEYDOWN that typed it; auto-repeat repeats both.
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
// Mouse messages.  wParam: the MOUSE_BIT_ flags after the event.  lParam: the
// mouse position in client pixels, x in the low word, y in the high word (each
// a 16-bit two's complement value).  Mouse moves are merged: a move that
// arrives while the newest waiting message is a move replaces that one.
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
// wParam: the MOUSE_BIT_ flags in the low word and the signed wheel delta in
// the high word, WHEEL_NOTCH per notch, positive away from the user.
// lParam: the mouse position as for the other mouse messages.
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;

constexpr uint32_t MOUSE_BIT_LEFT = 0x0001;
constexpr uint32_t MOUSE_BIT_RIGHT = 0x0002;
constexpr uint32_t MOUSE_BIT_SHIFT = 0x0004;
constexpr uint32_t MOUSE_BIT_CONTROL = 0x0008;
constexpr uint32_t MOUSE_BIT_MIDDLE = 0x0010;

constexpr int WHEEL_NOTCH = 120;

constexpr uint32_t SIZE_RESTORED = 0;
constexpr uint32_t SIZE_MINIMIZED = 1;

constexpr int32_t KEY_FLAG_ALT_HELD = 1 << 29;
constexpr int32_t KEY_FLAG_WAS_DOWN = 1 << 30;
constexpr int32_t KEY_FLAG_RELEASED = static_cast<int32_t>(1u << 31);

// lParam of the mouse messages.
constexpr int32_t MakeMessagePoint(int x, int y)
{
    return static_cast<int32_t>((static_cast<uint32_t>(x) & 0xFFFFu) | (static_cast<uint32_t>(y) << 16));
}
