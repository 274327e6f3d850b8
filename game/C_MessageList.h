#pragma once
// Stands in for the in-game interface's on-screen message list: it keeps the
// lines and their colours without drawing them, each for as long as it would
// be shown, and never more than the list holds.
//
// Main thread only.  The device start-up creates the one list and the device
// shut-down destroys it; g_MessageList is null outside that time.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/C_String.h"

struct SMessageLine
{
    CString text;
    uint32_t colour;  // 0x00RRGGBB
    uint32_t time;    // tick count when it was added
};

class CMessageList
{
public:
    // How long a line stays on the screen.
    static constexpr uint32_t kShowMilliseconds = 5000;
    // Most lines the list holds; a new line beyond them drops the oldest.
    static constexpr size_t kMostLines = 64;

    // A line shown from now on; a null text adds an empty line.
    void AddMessage(const char* text, uint32_t colour);

    // The lines still shown, oldest first.
    const std::vector<SMessageLine>& GetLines() const;

private:
    // Drops the lines shown for their full time by now.
    void DropExpired() const;

    // Pruned by the readers too: a line leaves once its time is up.
    mutable std::vector<SMessageLine> m_Lines;
};

extern CMessageList* g_MessageList;
