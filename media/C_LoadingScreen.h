#pragma once
// The picture shown while a screen loads its resources: a background, a
// progress bar and a caption, one whole frame drawn and presented per step.
// It lives for one load: Init with the number of steps, one Step per
// resource group, Free at the end.  Main thread only; coordinates are on the
// virtual 1024 x 768 screen.

#include <cstdint>

#include "core/C_String.h"
#include "media/C_2DImage.h"

class CLoadingScreen
{
public:
    // The bar at full length.
    static constexpr int32_t BarX = 54;
    static constexpr int32_t BarY = 674;
    static constexpr int32_t BarFullWidth = 912;
    static constexpr int32_t BarHeight = 42;
    static constexpr int32_t BarAlpha = 64;

    CLoadingScreen();

    // Background "Loading\back-" + index + ".tga", or for index 0
    // "Loading\" + the text of FILE_LOADING_SCREEN; the caption is the text
    // of LOADING, none for index 0.  `steps` 0 shows no bar.  A missing
    // text counts as empty, a missing picture as none (with its log line).
    void Init(int32_t index, int32_t steps);
    // One step: the bar grows by one step (a step past the last is
    // reported and leaves it full), and one frame is drawn and presented;
    // then the window's messages are pumped and, in a network game, the
    // waiting packets taken.
    void Step();
    void Free();

    // What one frame shows, drawn into the frame being drawn.
    void Draw();
    // Width of the bar in pixels of the virtual screen.
    int32_t BarWidth() const;

    int32_t steps;
    int32_t progress;
    C2DImage background;
    C2DImage bar;
    CString caption;  // empty: none
    CString message;  // empty: none
};
