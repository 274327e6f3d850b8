#pragma once
// The busy cursor for the length of one long map operation (a new map, the
// image of a map file, its text export) and the normal cursor after it.
// Without the start-up cursor set (no device: tools and tests) it shows
// nothing.  Main thread only.

#include <cstdint>

class CBusyCursor
{
public:
    // The slots of the start-up set.
    static constexpr int32_t NormalSlot = 0;
    static constexpr int32_t BusySlot = 1;

    CBusyCursor();
    ~CBusyCursor();
    CBusyCursor(const CBusyCursor&) = delete;
    CBusyCursor& operator=(const CBusyCursor&) = delete;
};
