#pragma once
// Screenshots: the next free "V2KRN_Screen_NNN.tga" of a folder and the
// picture of the device's back buffer written there as a 32-bit TGA, through
// the colour correction table, with the white mark image in the lower right
// corner.  Main thread only.

#include <cstdint>

#include "core/C_String.h"

class SysDevice3D;

class CScreenShot
{
public:
    static constexpr int kMaxScreenShots = 1000;
    // Gap between the mark image and the right and bottom edges.
    static constexpr int32_t kMarkMargin = 5;

    // folder + "V2KRN_Screen_" + the number in three digits + ".tga".
    static CString MakeName(const char* folder, int number);
    // The first name from 000 on that names no existing file; empty when all
    // 1000 exist.
    static CString FindFreeName(const char* folder);
    // Reads the back buffer (before it is presented), corrects each channel
    // through the table (level' = entry >> 8), blends the mark image
    // "InGame\ScreenShotMark\pelwin.tga" when it loads, and writes the file.
    // False when the back buffer cannot be read or the file not written (an
    // older file of that name stays whole).
    static bool Capture(SysDevice3D& device, const uint16_t colourTable[3][256], const char* fileName);
};
