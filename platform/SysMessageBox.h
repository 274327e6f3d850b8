#pragma once

// A modal message box with one OK button.
//
// Show blocks the calling thread until the user has closed the box.  Where
// there is no display to show it on (the offscreen or dummy video driver of
// tests and automated runs, or no X11 or Wayland display at all), or the box
// cannot be shown, the caption and the text go to standard error as the line
// "caption: text" and Show returns at once.  The texts are in the code page
// of the current language (SysCodePage).  The owner is the NativeHandle() of
// the game's window, or null; a confined mouse is let go while the box shows.
class SysMessageBox
{
public:
    static void Show(void* ownerWindow, const char* text, const char* caption);

    // True when Show writes to standard error instead of opening a box.
    static bool IsHeadless();
};
